#include "plugin/main.h"

#include "plugin/Messages.h"
#include "plugin/Vellacord.h"

Orvo_tlb::IPluginHost* HostPlugin = nullptr;
TVellacord* ThePlugin = nullptr;
std::string PluginPath;
platform::Handle InstanceMutex = 0;

namespace {

// The refusal shown to a host that is too old: beep, warning box, then the host's own answer.
std::intptr_t RefuseWithMessage(Orvo_tlb::IPluginHost* host) {
    auto& os = platform::Os();
    os.MessageBeep(platform::kMbIconExclamation);
    os.MessageBox(0, messages::kHostRefused, messages::kCaption,
                  platform::kMbOk | platform::kMbIconWarning, platform::kCodePage932);
    return host->Decline();
}

}  // namespace

extern "C" std::intptr_t VLC_CDECL pinRun(Orvo_tlb::IPluginHost* host) {
    HostPlugin = host;
    if (!host->AcceptsVersion(kRequiredHostVersion) || host->HostVersion() < kRequiredHostVersion)
        return RefuseWithMessage(host);

    auto& os = platform::Os();
    // The mutex is never owned: its existence alone marks the running instance.
    InstanceMutex = os.CreateMutex("Vellacord");
    if (InstanceMutex == 0 || os.GetLastError() == platform::kErrorAlreadyExists)
        return host->Decline();

    const char* fileName = host->PluginFileName();
    PluginPath = fileName ? fileName : "";
    InstallSettingsDialog();
    ThePlugin = new TVellacord(host->PluginOwner());
    return reinterpret_cast<std::intptr_t>(ThePlugin);
}

extern "C" void VLC_CDECL pinAbort() {
    if (ThePlugin) {
        delete ThePlugin;
        ThePlugin = nullptr;
    }
    if (InstanceMutex) {
        auto& os = platform::Os();
        os.ReleaseMutex(InstanceMutex);
        os.CloseHandle(InstanceMutex);
        InstanceMutex = 0;
    }
}

extern "C" const char* VLC_CDECL pinOpenPlayFile(const char* path) {
    return ThePlugin ? ThePlugin->OpenPlayFile(path) : path;
}
