// What every stand-in of the player's automation server shares: one object serving the four
// interfaces, whose plain numeric properties, simple commands and unused positions all go to a
// few hooks. The stand-in host and the native test fake each decide what the hooks do (answer
// from their state, record the call); everything with more to it stays theirs.
#pragma once

#include <initializer_list>
#include <string>

#include "hostlink/ORVO_TLB.h"

namespace standin {

class PlayerServerBase : public Orvo_tlb::IORVOControl,
                         public Orvo_tlb::IORVOPlayList,
                         public Orvo_tlb::IORVOLyrics,
                         public Orvo_tlb::IORVOMenu {
  public:
    using Long = Orvo_tlb::Long;
    using HResult = platform::HResult;
    using Bstr = platform::Bstr;
    using VBool = platform::VariantBool;

    // ---- IDispatch: never used by clients of this server ----
    HResult VLC_STDCALL GetTypeInfoCount(std::uint32_t*) override { return platform::kENotImpl; }
    HResult VLC_STDCALL GetTypeInfo(std::uint32_t, std::uint32_t, void**) override {
        return platform::kENotImpl;
    }
    HResult VLC_STDCALL GetIDsOfNames(const platform::Guid&, void*, std::uint32_t, std::uint32_t,
                                      Long*) override {
        return platform::kENotImpl;
    }
    HResult VLC_STDCALL Invoke(Long, const platform::Guid&, std::uint32_t, std::uint16_t, void*,
                               void*, void*, std::uint32_t*) override {
        return platform::kENotImpl;
    }

    // ---- plain properties ----
    HResult VLC_STDCALL get_Visible(Long* v) override { return Read("Visible", v); }
    HResult VLC_STDCALL set_Visible(Long v) override { return Write("Visible", v); }
    HResult VLC_STDCALL get_Left(Long* v) override { return Read("Left", v); }
    HResult VLC_STDCALL set_Left(Long v) override { return Write("Left", v); }
    HResult VLC_STDCALL get_Top(Long* v) override { return Read("Top", v); }
    HResult VLC_STDCALL set_Top(Long v) override { return Write("Top", v); }
    HResult VLC_STDCALL get_Width(Long* v) override { return Read("Width", v); }
    HResult VLC_STDCALL get_Height(Long* v) override { return Read("Height", v); }
    HResult VLC_STDCALL get_PlayStatus(Long* v) override { return Read("PlayStatus", v); }
    HResult VLC_STDCALL get_Track(Long* v) override { return Read("Track", v); }
    HResult VLC_STDCALL set_Track(Long v) override { return Write("Track", v); }
    HResult VLC_STDCALL get_Position(Long* v) override { return Read("Position", v); }
    HResult VLC_STDCALL set_Position(Long v) override { return Write("Position", v); }
    HResult VLC_STDCALL get_Length(Long* v) override { return Read("Length", v); }
    HResult VLC_STDCALL get_Volume(Long* v) override { return Read("Volume", v); }
    HResult VLC_STDCALL set_Volume(Long v) override { return Write("Volume", v); }
    HResult VLC_STDCALL get_Counter(Long* v) override { return Read("Counter", v); }
    HResult VLC_STDCALL set_Counter(Long v) override { return Write("Counter", v); }
    HResult VLC_STDCALL get_Repeat(VBool* v) override { return ReadFlag("Repeat", v); }
    HResult VLC_STDCALL set_Repeat(VBool v) override { return Write("Repeat", v); }
    HResult VLC_STDCALL get_Random(VBool* v) override { return ReadFlag("Random", v); }
    HResult VLC_STDCALL set_Random(VBool v) override { return Write("Random", v); }
    HResult VLC_STDCALL get_RemainTime(VBool* v) override { return ReadFlag("RemainTime", v); }
    HResult VLC_STDCALL set_RemainTime(VBool v) override { return Write("RemainTime", v); }
    HResult VLC_STDCALL get_DisplayMode(Long* v) override { return Read("DisplayMode", v); }
    HResult VLC_STDCALL set_DisplayMode(Long v) override { return Write("DisplayMode", v); }
    HResult VLC_STDCALL get_OnTimer(VBool* v) override { return ReadFlag("OnTimer", v); }
    HResult VLC_STDCALL set_OnTimer(VBool v) override { return Write("OnTimer", v); }
    HResult VLC_STDCALL get_OnTime(Long* v) override { return Read("OnTime", v); }
    HResult VLC_STDCALL set_OnTime(Long v) override { return Write("OnTime", v); }
    HResult VLC_STDCALL get_OffTimer(VBool* v) override { return ReadFlag("OffTimer", v); }
    HResult VLC_STDCALL set_OffTimer(VBool v) override { return Write("OffTimer", v); }
    HResult VLC_STDCALL get_OffTime(Long* v) override { return Read("OffTime", v); }
    HResult VLC_STDCALL set_OffTime(Long v) override { return Write("OffTime", v); }
    HResult VLC_STDCALL get_ShutDownRecord(VBool* v) override {
        return ReadFlag("ShutDownRecord", v);
    }
    HResult VLC_STDCALL set_ShutDownRecord(VBool v) override { return Write("ShutDownRecord", v); }
    HResult VLC_STDCALL get_RecLevel(Long* v) override { return Read("RecLevel", v); }
    HResult VLC_STDCALL set_RecLevel(Long v) override { return Write("RecLevel", v); }
    HResult VLC_STDCALL get_Rate(Long* v) override { return Read("Rate", v); }
    HResult VLC_STDCALL set_Rate(Long v) override { return Write("Rate", v); }

    // ---- simple commands ----
    HResult VLC_STDCALL Close() override { return Command("Close", {}); }
    HResult VLC_STDCALL ShutDown() override { return Command("ShutDown", {}); }
    HResult VLC_STDCALL Stop() override { return Command("Stop", {}); }
    HResult VLC_STDCALL Pause() override { return Command("Pause", {}); }
    HResult VLC_STDCALL Play() override { return Command("Play", {}); }
    HResult VLC_STDCALL FF(Long on) override { return Command("FF", {on}); }
    HResult VLC_STDCALL Rewind(Long on) override { return Command("Rewind", {on}); }
    HResult VLC_STDCALL Next() override { return Command("Next", {}); }
    HResult VLC_STDCALL Back() override { return Command("Back", {}); }
    HResult VLC_STDCALL Eject() override { return Command("Eject", {}); }
    HResult VLC_STDCALL Seek(Long a, Long b) override { return Command("Seek", {a, b}); }
    HResult VLC_STDCALL ShowPlayList() override { return Command("ShowPlayList", {}); }
    HResult VLC_STDCALL ShowProperty() override { return Command("ShowProperty", {}); }
    HResult VLC_STDCALL ShowMenu() override { return Command("ShowMenu", {}); }
    HResult VLC_STDCALL ShowToolMenu() override { return Command("ShowToolMenu", {}); }
    HResult VLC_STDCALL Click(Long value) override { return Command("Click", {value}); }
    HResult VLC_STDCALL KeyDown(Long key, Long shift) override {
        return Command("KeyDown", {key, shift});
    }
    HResult VLC_STDCALL SaveORVOini() override { return Command("SaveORVOini", {}); }

    // ---- unused positions (one override serves every table that has the position) ----
    HResult VLC_STDCALL Slot7() override { return Filler(7); }
    HResult VLC_STDCALL Slot8() override { return Filler(8); }
    HResult VLC_STDCALL Slot9() override { return Filler(9); }
    HResult VLC_STDCALL Slot10() override { return Filler(10); }
    HResult VLC_STDCALL Slot11() override { return Filler(11); }
    HResult VLC_STDCALL Slot12() override { return Filler(12); }
    HResult VLC_STDCALL Slot13() override { return Filler(13); }
    HResult VLC_STDCALL Slot14() override { return Filler(14); }
    HResult VLC_STDCALL Slot15() override { return Filler(15); }
    HResult VLC_STDCALL Slot16() override { return Filler(16); }
    HResult VLC_STDCALL Slot17() override { return Filler(17); }
    HResult VLC_STDCALL Slot18() override { return Filler(18); }
    HResult VLC_STDCALL Slot19() override { return Filler(19); }
    HResult VLC_STDCALL Slot20() override { return Filler(20); }
    HResult VLC_STDCALL Slot22() override { return Filler(22); }
    HResult VLC_STDCALL Slot23() override { return Filler(23); }
    HResult VLC_STDCALL Slot24() override { return Filler(24); }
    HResult VLC_STDCALL Slot26() override { return Filler(26); }
    HResult VLC_STDCALL Slot27() override { return Filler(27); }
    HResult VLC_STDCALL Slot36() override { return Filler(36); }
    HResult VLC_STDCALL Slot37() override { return Filler(37); }
    HResult VLC_STDCALL Slot79() override { return Filler(79); }

  protected:
    // A numeric property read: the value through `value`, the status as the server answers.
    virtual HResult Read(const std::string& name, Long* value) = 0;
    virtual HResult Write(const std::string& name, Long value) = 0;
    virtual HResult Command(const std::string& name, std::initializer_list<Long> args) = 0;
    virtual HResult Filler(int position) = 0;

    // An automation boolean read as its 32-bit value narrowed, the status kept.
    HResult ReadFlag(const std::string& name, VBool* value) {
        Long wide = 0;
        const HResult status = Read(name, &wide);
        *value = static_cast<VBool>(wide);
        return status;
    }
};

}  // namespace standin
