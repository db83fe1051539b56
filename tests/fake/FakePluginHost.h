// A plug-in host interface for native tests: scripted answers, calls recorded into a log
// (usually the FakePlatform's, so host calls and system calls interleave in one sequence).
#pragma once

#include <string>
#include <vector>

#include "hostlink/ORVO_TLB.h"

namespace fake {

class FakePluginHost final : public Orvo_tlb::PluginHostFillers {
  public:
    explicit FakePluginHost(std::vector<std::string>& log) : log_(log) {}

    Orvo_tlb::Long hostVersion = 6000;
    bool accepts = true;
    Orvo_tlb::Long declineValue = 0x0D0D;
    std::string pluginFileName = "C:\\ORVO\\Plugins\\Vellacord.dll";
    void* owner = reinterpret_cast<void*>(0x0A0A);

    Orvo_tlb::Long VLC_STDCALL HostVersion() override {
        log_.push_back("Host.HostVersion()");
        return hostVersion;
    }
    std::uint8_t VLC_STDCALL AcceptsVersion(Orvo_tlb::Long version) override {
        log_.push_back("Host.AcceptsVersion(" + std::to_string(version) + ")");
        return accepts ? 1 : 0;
    }
    Orvo_tlb::Long VLC_STDCALL Decline() override {
        log_.push_back("Host.Decline()");
        return declineValue;
    }
    const char* VLC_STDCALL PluginFileName() override {
        log_.push_back("Host.PluginFileName()");
        return pluginFileName.c_str();
    }
    void* VLC_STDCALL PluginOwner() override {
        log_.push_back("Host.PluginOwner()");
        return owner;
    }

  private:
    void Unexpected(int slot) override {
        log_.push_back("Host.Reserved" + std::to_string(slot) + "()");
    }
    std::vector<std::string>& log_;
};

}  // namespace fake
