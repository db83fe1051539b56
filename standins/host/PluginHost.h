// The host side of the plug-in contract: the plug-in host interface handed to `_pinRun`, with
// every answer settable, and the plug-in library with its three exports.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "hostlink/ORVO_TLB.h"
#include "standins/host/Transcript.h"

namespace host {

struct HostSettings {
    Orvo_tlb::Long version = 6000;
    bool accepts = true;
    Orvo_tlb::Long decline = 0;
    std::string fileName;  // ANSI bytes; empty: the loaded library's full path
    void* owner = nullptr;
};

class PluginHost final : public Orvo_tlb::PluginHostFillers {
  public:
    PluginHost(HostSettings& settings, Transcript& transcript)
        : settings_(settings), transcript_(transcript) {}

    Orvo_tlb::Long VLC_STDCALL HostVersion() override;
    std::uint8_t VLC_STDCALL AcceptsVersion(Orvo_tlb::Long version) override;
    Orvo_tlb::Long VLC_STDCALL Decline() override;
    const char* VLC_STDCALL PluginFileName() override;
    void* VLC_STDCALL PluginOwner() override;

  private:
    void Unexpected(int position) override;

    HostSettings& settings_;
    Transcript& transcript_;
};

// The plug-in library, loaded by path through the ANSI call like the real host does.
class PluginLibrary {
  public:
    using RunFn = std::intptr_t(__cdecl*)(Orvo_tlb::IPluginHost*);
    using AbortFn = void(__cdecl*)();
    using OpenPlayFileFn = const char*(__cdecl*)(const char*);

    PluginLibrary() = default;
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the library and looks up the exports; false and a reason on failure.
    bool Load(const std::string& ansiPath, std::string& reason);
    bool Loaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    std::string FullPath() const;  // ANSI bytes

    RunFn run = nullptr;
    AbortFn abort = nullptr;
    OpenPlayFileFn openPlayFile = nullptr;

  private:
    HMODULE module_ = nullptr;
};

}  // namespace host
