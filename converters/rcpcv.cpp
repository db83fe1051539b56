#include "converters/rcpcv.h"

#include <cstring>

#include "converters/LiveRegistry.h"
#include "converters/Texts.h"
#include "platform/Platform.h"

using Registry = converters::LiveRegistry<TRCPCV>;

const char* const TRCPCV::kEntryNames[kEntryCount] = {"rcpcvConvertFile",
                                                      "rcpcvConvertFileFromBuffer",
                                                      "rcpcvDeleteObject",
                                                      "rcpcvGetSMF",
                                                      "rcpcvSaveSMF",
                                                      "rcpcvGetSMFLength",
                                                      "rcpcvGetOriginalFileType",
                                                      "rcpcvGetVersionMajor",
                                                      "rcpcvGetVersionMinor",
                                                      "rcpcvGetCopyright"};

namespace {

std::uint32_t ReadWord(const void* record, std::size_t offset) {
    unsigned char bytes[4];
    std::memcpy(bytes, static_cast<const unsigned char*>(record) + offset, sizeof bytes);
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

}  // namespace

TRCPCV::TRCPCV() {
    Registry::Add(this);
}

TRCPCV::~TRCPCV() {
    SetEnabled(false);
    Registry::Remove(this);
}

void TRCPCV::Load() {
    if (Module == 0) Module = platform::LoadTrustedLibrary(kLibraryName);
    if (Module == 0) {
        Enabled = false;
        return;
    }
    for (int i = 0; i < kEntryCount; ++i)
        Entries[i] = converters::FindEntry(Module, kEntryNames[i]);
    if (Entries[kConvertFile] && Entries[kSaveSmf]) return;
    converters::ShowUnusable(BoxOwner, converters::texts::kRcpcvUnusable);
    Unload();
    Enabled = false;
}

void TRCPCV::Unload() {
    if (Module == 0) return;
    platform::Os().FreeLibrary(Module);
    Module = 0;
    for (void*& entry : Entries) entry = nullptr;
}

void TRCPCV::SetEnabled(bool value) {
    LastResult = 0;
    Enabled = value;
    if (!value) {
        Unload();
        return;
    }
    const bool wasLoaded = Module != 0;
    Load();
    if (!wasLoaded) Unload();
}

void TRCPCV::Convert(const std::string& source, const std::string& dest) {
    LastResult = 0;
    if (!Enabled) return;
    if (Module == 0) Load();
    if (!Enabled) return;
    if (source.empty() || dest.empty()) return;

    const auto convertFile = converters::AsFunction<ConvertFileFn>(Entries[kConvertFile]);
    ConvertedObject =
        convertFile(source.c_str(), 2, &ProgressCallback, 0, Registry::UserValue(this));
    if (ConvertedObject == 0) return;

    LastResult =
        converters::AsFunction<SaveSmfFn>(Entries[kSaveSmf])(ConvertedObject, dest.c_str());
    if (Entries[kDeleteObject])
        converters::AsFunction<DeleteObjectFn>(Entries[kDeleteObject])(ConvertedObject);
}

std::int32_t VLC_STDCALL TRCPCV::ProgressCallback(const void* record) {
    if (!record) return 1;
    TRCPCV* const binding = Registry::Find(ReadWord(record, kUserOffset));
    if (!binding) return 1;
    const auto progress = static_cast<std::int32_t>(ReadWord(record, kProgressOffset));
    return converters::AskToGoOn(binding->OnProgress, binding, progress);
}
