#include "standins/host/PluginHost.h"

#include "standins/host/Text.h"

namespace host {

Orvo_tlb::Long VLC_STDCALL PluginHost::HostVersion() {
    transcript_.Line("host: HostVersion() -> " + std::to_string(settings_.version));
    return settings_.version;
}

std::uint8_t VLC_STDCALL PluginHost::AcceptsVersion(Orvo_tlb::Long version) {
    transcript_.Line("host: AcceptsVersion(" + std::to_string(version) + ") -> " +
                     (settings_.accepts ? "1" : "0"));
    return settings_.accepts ? 1 : 0;
}

Orvo_tlb::Long VLC_STDCALL PluginHost::Decline() {
    transcript_.Line("host: Decline() -> " + std::to_string(settings_.decline));
    return settings_.decline;
}

const char* VLC_STDCALL PluginHost::PluginFileName() {
    transcript_.Line("host: PluginFileName() -> " + AnsiToUtf8(settings_.fileName));
    return settings_.fileName.c_str();
}

void* VLC_STDCALL PluginHost::PluginOwner() {
    transcript_.Line("host: PluginOwner() -> " +
                     Transcript::Hex(reinterpret_cast<std::uintptr_t>(settings_.owner)));
    return settings_.owner;
}

void PluginHost::Unexpected(int position) {
    transcript_.Line("host: FAIL unexpected call at position " + std::to_string(position));
}

PluginLibrary::~PluginLibrary() {
    if (module_) ::FreeLibrary(module_);
}

bool PluginLibrary::Load(const std::string& ansiPath, std::string& reason) {
    module_ = ::LoadLibraryA(ansiPath.c_str());
    if (!module_) {
        reason = "LoadLibraryA error " + std::to_string(::GetLastError());
        return false;
    }
    run = reinterpret_cast<RunFn>(reinterpret_cast<void*>(::GetProcAddress(module_, "_pinRun")));
    abort =
        reinterpret_cast<AbortFn>(reinterpret_cast<void*>(::GetProcAddress(module_, "_pinAbort")));
    openPlayFile = reinterpret_cast<OpenPlayFileFn>(
        reinterpret_cast<void*>(::GetProcAddress(module_, "_pinOpenPlayFile")));
    if (!run || !abort || !openPlayFile) {
        reason = "missing export";
        return false;
    }
    return true;
}

std::string PluginLibrary::FullPath() const {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(module_, path, MAX_PATH);
    return std::string(path, length);
}

}  // namespace host
