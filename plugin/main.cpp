#include "plugin/main.h"

#include "plugin/HandlerScope.h"
#include "plugin/Messages.h"
#include "plugin/Vellacord.h"

Orvo_tlb::IPluginHost* HostPlugin = nullptr;
TVellacord* ThePlugin = nullptr;
std::string PluginPath;
platform::Handle InstanceMutex = 0;

namespace {

int handlerDepth = 0;
bool endPending = false;

// What _pinAbort does when no handler is running: the plug-in object, then the mutex. The
// object is unhooked first, so that anything reached during its destruction finds none.
void TearDown() {
    if (TVellacord* plugin = ThePlugin) {
        ThePlugin = nullptr;
        delete plugin;
    }
    if (InstanceMutex) {
        auto& os = platform::Os();
        os.ReleaseMutex(InstanceMutex);
        os.CloseHandle(InstanceMutex);
        InstanceMutex = 0;
    }
}

// The refusal shown to a host that is too old: beep, warning box, then the host's own answer.
std::intptr_t RefuseWithMessage(Orvo_tlb::IPluginHost* host) {
    auto& os = platform::Os();
    os.MessageBeep(platform::kMbIconExclamation);
    os.MessageBox(0, messages::kHostRefused, messages::kCaption,
                  platform::kMbOk | platform::kMbIconWarning, platform::kCodePage932);
    return host->Decline();
}

}  // namespace

HandlerScope::HandlerScope() {
    ++handlerDepth;
}

HandlerScope::~HandlerScope() {
    if (--handlerDepth > 0 || !endPending) return;
    endPending = false;
    TearDown();
}

bool HandlerScope::Active() {
    return handlerDepth > 0;
}

bool HandlerScope::EndPending() {
    return endPending;
}

extern "C" std::intptr_t VLC_CDECL pinRun(Orvo_tlb::IPluginHost* host) {
    HostPlugin = host;
    if (!host->AcceptsVersion(kRequiredHostVersion) || host->HostVersion() < kRequiredHostVersion)
        return RefuseWithMessage(host);

    auto& os = platform::Os();
    // The mutex is never owned: its existence alone marks the running instance. A refused
    // start closes its own handle at once, or the name would outlive the other instance and
    // refuse every later start in this process; the running instance keeps its handle.
    const platform::Handle mutex = os.CreateMutex("Vellacord");
    if (mutex == 0 || os.GetLastError() == platform::kErrorAlreadyExists) {
        if (mutex) os.CloseHandle(mutex);
        return host->Decline();
    }
    InstanceMutex = mutex;

    const char* fileName = host->PluginFileName();
    PluginPath = fileName ? fileName : "";
    InstallSettingsDialog();
    {
        HandlerScope scope;  // construction may show a box
        ThePlugin = new TVellacord(host->PluginOwner());
    }
    if (!ThePlugin) return host->Decline();  // ended from inside a box while starting
    return reinterpret_cast<std::intptr_t>(ThePlugin);
}

extern "C" void VLC_CDECL pinAbort() {
    if (HandlerScope::Active()) {
        endPending = true;
        return;
    }
    TearDown();
}

extern "C" const char* VLC_CDECL pinOpenPlayFile(const char* path) {
    if (!ThePlugin || HandlerScope::EndPending()) return path;
    const char* result = path;
    {
        HandlerScope scope;
        result = ThePlugin->OpenPlayFile(path);
    }
    // Ended during the conversion: the result pointed into the freed object.
    return ThePlugin ? result : path;
}
