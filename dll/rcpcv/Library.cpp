// The exports of rcpcv.dll over the portable song converter: read the song (and the control
// files it names) from disk, convert, keep the encoded Standard MIDI File in a converter object
// behind a handle, write it out whole or not at all. How endless loops play comes from an
// optional "rcpcv.ini" beside the library, read again for every conversion, as does the synthesizer
// a song written for the MT-32 is rendered for (the rendering's summary travels in the file as
// a text event at its start).
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dll/common/FileAccess.h"
#include "dll/common/Guard.h"
#include "dll/common/ProgressSteps.h"
#include "dll/rcpcv/HandleRegistry.h"
#include "dll/rcpcv/LoopSettings.h"
#include "dll/rcpcv/rcpcv.h"
#include "rcp/Convert.h"
#include "smf/Smf.h"

namespace {

// Real songs are a few hundred kilobytes at most; control files a few kilobytes.
constexpr std::size_t kSongLimit = 64u << 20;
constexpr std::size_t kControlFileLimit = 1u << 20;
// A settings file holds two lines; anything this large is not one.
constexpr std::size_t kSettingsFileLimit = 64u << 10;

struct Converted {
    std::vector<std::uint8_t> smf;
    rcp::SongInfo::Variant variant;
};

rcpcvdll::HandleRegistry<Converted>& Objects() {
    static rcpcvdll::HandleRegistry<Converted> objects;
    return objects;
}

std::int32_t FileType(rcp::SongInfo::Variant variant) {
    switch (variant) {
        case rcp::SongInfo::Variant::Rcp2:
            return RCPCV_TYPE_RCP2;
        case rcp::SongInfo::Variant::R36:
            return RCPCV_TYPE_R36;
        case rcp::SongInfo::Variant::Rcp3G36:
            return RCPCV_TYPE_G36;
        case rcp::SongInfo::Variant::G18:
            return RCPCV_TYPE_G18;
    }
    return 0;
}

// Forwards the converter's percentages to the caller's callback in the library's record.
class Progress {
  public:
    Progress(RcpcvProgressCallback callback, std::uint32_t user) : callback_(callback) {
        record_.size = sizeof record_;
        record_.reserved = 0;
        record_.percent = 0;
        record_.user = user;
    }

    bool Report(int percent) {
        if (!callback_) return true;
        const auto next = steps_.Next(percent);
        if (!next) return true;
        record_.percent = *next;
        return callback_(&record_) != 0;
    }

  private:
    RcpcvProgressCallback callback_;
    RcpcvProgress record_;
    dllfront::ProgressSteps steps_;
};

// The folder this library was loaded from, with its trailing separator; nothing when the
// system cannot say. ANSI, as the host's paths are: FolderOf keeps double-byte characters whole.
std::optional<std::string> LibraryFolder() {
    HMODULE self = nullptr;
    if (!::GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&LibraryFolder), &self))
        return std::nullopt;
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::string path(size, '\0');
        const DWORD length = ::GetModuleFileNameA(self, &path[0], size);
        if (length == 0) return std::nullopt;
        if (length < size) {
            const std::string folder = dllfront::FolderOf(path.substr(0, length));
            // Never a bare "rcpcv.ini": that would be whatever the current folder holds.
            if (folder.empty()) return std::nullopt;
            return folder;
        }
    }
    return std::nullopt;
}

// The loop settings for one conversion: the defaults, or what rcpcv.ini beside the library
// says of them, and the synthesizer MT-32 songs are rendered for. The one file access besides the
// song and its control files.
void ApplyLoopSettings(rcp::Options& options) {
    const rcpcvdll::LoopSettings defaults{options.endlessLoopPasses, options.fadeSeconds,
                                          options.target};
    rcpcvdll::LoopSettings settings = defaults;
    if (const auto folder = LibraryFolder()) {
        if (const auto ini =
                dllfront::ReadWholeFile((*folder + "rcpcv.ini").c_str(), kSettingsFileLimit)) {
            settings = rcpcvdll::ReadLoopSettings(
                std::string_view(reinterpret_cast<const char*>(ini->data()), ini->size()),
                defaults);
        }
    }
    options.endlessLoopPasses = settings.passes;
    options.fadeSeconds = settings.fadeSeconds;
    options.target = settings.target;
}

// Converts `song` and registers the result; 0 on any failure, the caller's stop included.
std::uint32_t Convert(const std::vector<std::uint8_t>& song, const std::string& folder,
                      bool withFolder, RcpcvProgressCallback callback, std::uint32_t user) {
    Progress progress(callback, user);
    if (!progress.Report(0)) return 0;
    rcp::Options options;
    ApplyLoopSettings(options);
    if (withFolder) {
        options.readControlFile = [folder](const std::string& storedName) {
            std::optional<std::vector<std::uint8_t>> bytes;
            if (const auto path = dllfront::FindInFolder(folder, storedName))
                bytes = dllfront::ReadWholeFile(path->c_str(), kControlFileLimit);
            return bytes;
        };
    } else {
        options.controlFiles = false;
    }
    options.progress = [&progress](int percent) { return progress.Report(percent); };

    rcp::SongInfo info;
    const smf::File file = rcp::Convert(song.data(), song.size(), options, &info);
    auto converted = std::make_shared<Converted>();
    converted->smf = smf::Write(file);
    converted->variant = info.variant;
    // The last report comes when the object is complete: a stop there still makes nothing.
    if (!progress.Report(100)) return 0;
    return Objects().Add(std::move(converted));
}

}  // namespace

extern "C" {

std::uint32_t RCPCV_CALL rcpcvConvertFile(const char* path, std::int32_t mode,
                                          RcpcvProgressCallback callback, std::int32_t,
                                          std::uint32_t user) {
    return dllfront::Guarded<std::uint32_t>(0, [&]() -> std::uint32_t {
        if (mode != RCPCV_MODE_SMF) return 0;
        const auto song = dllfront::ReadWholeFile(path, kSongLimit);
        if (!song) return 0;
        return Convert(*song, dllfront::FolderOf(path), true, callback, user);
    });
}

std::uint32_t RCPCV_CALL rcpcvConvertFileFromBuffer(const void* data, std::uint32_t length,
                                                    std::int32_t mode,
                                                    RcpcvProgressCallback callback,
                                                    std::uint32_t user) {
    return dllfront::Guarded<std::uint32_t>(0, [&]() -> std::uint32_t {
        if (mode != RCPCV_MODE_SMF || !data || length > kSongLimit) return 0;
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        return Convert(std::vector<std::uint8_t>(bytes, bytes + length), {}, false, callback, user);
    });
}

std::int32_t RCPCV_CALL rcpcvDeleteObject(std::uint32_t handle) {
    return dllfront::Guarded<std::int32_t>(0, [&] { return Objects().Remove(handle) ? 1 : 0; });
}

const void* RCPCV_CALL rcpcvGetSMF(std::uint32_t handle) {
    return dllfront::Guarded<const void*>(nullptr, [&]() -> const void* {
        const auto object = Objects().Find(handle);
        return object ? object->smf.data() : nullptr;
    });
}

std::int32_t RCPCV_CALL rcpcvSaveSMF(std::uint32_t handle, const char* path) {
    return dllfront::Guarded<std::int32_t>(RCPCV_INTERNAL_ERROR, [&]() -> std::int32_t {
        const auto object = Objects().Find(handle);
        if (!object) return RCPCV_BAD_HANDLE;
        if (!path || !*path) return RCPCV_NO_PATH;
        return dllfront::WriteWholeOrNothing(path, object->smf) ? RCPCV_SAVED : RCPCV_NOT_WRITABLE;
    });
}

std::uint32_t RCPCV_CALL rcpcvGetSMFLength(std::uint32_t handle) {
    return dllfront::Guarded<std::uint32_t>(0, [&]() -> std::uint32_t {
        const auto object = Objects().Find(handle);
        return object ? static_cast<std::uint32_t>(object->smf.size()) : 0;
    });
}

std::int32_t RCPCV_CALL rcpcvGetOriginalFileType(std::uint32_t handle) {
    return dllfront::Guarded<std::int32_t>(0, [&]() -> std::int32_t {
        const auto object = Objects().Find(handle);
        return object ? FileType(object->variant) : 0;
    });
}

std::int32_t RCPCV_CALL rcpcvGetVersionMajor() {
    return 1;
}

std::int32_t RCPCV_CALL rcpcvGetVersionMinor() {
    return 0;
}

const char* RCPCV_CALL rcpcvGetCopyright() {
    return "Vellacord RCP converter 1.0, copyright 2026 the Vellacord developers";
}

}  // extern "C"
