#include "converters/smfknife.h"

#include "converters/LiveRegistry.h"
#include "converters/Texts.h"
#include "platform/Platform.h"

using Registry = converters::LiveRegistry<TSMFKnife>;

TSMFKnife::TSMFKnife(platform::Handle Window)
    : Window(Window), Options{24, -1, -1, -1, -1, Registry::UserValue(this)} {
    Registry::Add(this);
}

TSMFKnife::~TSMFKnife() {
    SetEnabled(false);
    Registry::Remove(this);
}

void TSMFKnife::Load() {
    if (Module == 0) Module = platform::LoadTrustedLibrary(kLibraryName);
    if (Module == 0) {
        Enabled = false;
        return;
    }
    GetSmfkVersion = converters::FindEntry(Module, "GetSmfkVersion");
    SmfkConvert =
        converters::AsFunction<SmfkConvertFn>(converters::FindEntry(Module, "SmfkConvert"));
    if (SmfkConvert) return;
    converters::ShowUnusable(BoxOwner, converters::texts::kSmfKnifeUnusable);
    Unload();
    Enabled = false;
}

void TSMFKnife::Unload() {
    if (Module == 0) return;
    platform::Os().FreeLibrary(Module);
    Module = 0;
    GetSmfkVersion = nullptr;
    SmfkConvert = nullptr;
}

void TSMFKnife::SetEnabled(bool value) {
    Enabled = value;
    if (!value) {
        Unload();
        return;
    }
    const bool wasLoaded = Module != 0;
    Load();
    if (!wasLoaded) Unload();
}

std::int32_t TSMFKnife::Convert(const std::string& source, const std::string& dest) {
    LastResult = 0;
    SourceFile = source;
    DestFile = dest;
    if (!Enabled) return 0;
    if (Module == 0) Load();
    if (!Enabled) return -1;
    if (SourceFile.empty() || DestFile.empty() || ConfigFile.empty()) return 0;
    const std::int32_t result = SmfkConvert(Window, SourceFile.c_str(), DestFile.c_str(),
                                            ConfigFile.c_str(), 0, &Options, &ProgressCallback);
    // The library's -1 is not a failure: it wrote the destination.
    LastResult = result == -1 ? 0 : result;
    return LastResult;
}

std::int32_t VLC_STDCALL TSMFKnife::ProgressCallback(std::int32_t progress, std::uint32_t user) {
    TSMFKnife* const binding = Registry::Find(user);
    if (!binding) return 1;
    return converters::AskToGoOn(binding->OnProgress, binding, progress);
}
