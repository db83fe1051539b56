// A plug-in host interface for native tests: scripted answers, calls recorded into a log
// (usually the FakePlatform's, so host calls and system calls interleave in one sequence).
#pragma once

#include <string>
#include <vector>

#include "hostlink/ORVO_TLB.h"

namespace fake {

class FakePluginHost final : public Orvo_tlb::IPluginHost {
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
    void VLC_STDCALL Reserved3() override { Unexpected(3); }
    void VLC_STDCALL Reserved4() override { Unexpected(4); }
    void VLC_STDCALL Reserved5() override { Unexpected(5); }
    void VLC_STDCALL Reserved6() override { Unexpected(6); }
    void VLC_STDCALL Reserved7() override { Unexpected(7); }
    void VLC_STDCALL Reserved9() override { Unexpected(9); }
    void VLC_STDCALL Reserved10() override { Unexpected(10); }
    void VLC_STDCALL Reserved11() override { Unexpected(11); }
    void VLC_STDCALL Reserved12() override { Unexpected(12); }
    void VLC_STDCALL Reserved13() override { Unexpected(13); }
    void VLC_STDCALL Reserved14() override { Unexpected(14); }

  private:
    void Unexpected(int slot) { log_.push_back("Host.Reserved" + std::to_string(slot) + "()"); }
    std::vector<std::string>& log_;
};

}  // namespace fake
