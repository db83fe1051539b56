// The player's automation server: one object serving `IORVOControl`, `IORVOPlayList`,
// `IORVOLyrics` and `IORVOMenu` by table position. Every call is written to the transcript as
// "com: Interface.Operation(args) -> answer"; answers come from the `HostState`, and the menu
// and playlist operations change it. Texts handed out are allocated with SysAllocString (the
// caller frees them); texts handed in stay the caller's.
#pragma once

#include <string>

#include "hostlink/ORVO_TLB.h"
#include "standins/host/HostState.h"
#include "standins/host/Transcript.h"

namespace host {

class AutomationServer final : public Orvo_tlb::IORVOControl,
                               public Orvo_tlb::IORVOPlayList,
                               public Orvo_tlb::IORVOLyrics,
                               public Orvo_tlb::IORVOMenu {
  public:
    using HResult = platform::HResult;
    using Bstr = platform::Bstr;
    using VBool = platform::VariantBool;

    AutomationServer(HostState& state, Transcript& transcript, UINT orvoMessage)
        : state_(state), transcript_(transcript), orvoMessage_(orvoMessage) {}

    // References held by clients; the host owns the object, so it is never deleted by them.
    long References() const { return references_; }

    HResult VLC_STDCALL QueryInterface(const platform::Guid& iid, void** object) override;
    std::uint32_t VLC_STDCALL AddRef() override {
        return static_cast<std::uint32_t>(++references_);
    }
    std::uint32_t VLC_STDCALL Release() override {
        return static_cast<std::uint32_t>(--references_);
    }

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

    // ---- IORVOControl ----
    HResult VLC_STDCALL get_Version(Long* v) override { return Read("Version", v, state_.version); }
    HResult VLC_STDCALL CheckVersion(Long version) override;
    HResult VLC_STDCALL get_Handle(Long* v) override;
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
    HResult VLC_STDCALL get_Repeat(VBool* v) override { return ReadBool("Repeat", v); }
    HResult VLC_STDCALL set_Repeat(VBool v) override { return Write("Repeat", v); }
    HResult VLC_STDCALL get_Random(VBool* v) override { return ReadBool("Random", v); }
    HResult VLC_STDCALL set_Random(VBool v) override { return Write("Random", v); }
    HResult VLC_STDCALL get_RemainTime(VBool* v) override { return ReadBool("RemainTime", v); }
    HResult VLC_STDCALL set_RemainTime(VBool v) override { return Write("RemainTime", v); }
    HResult VLC_STDCALL get_Design(Bstr* value) override;
    HResult VLC_STDCALL set_Design(Bstr value) override;
    HResult VLC_STDCALL Slot36() override { return Filler(36); }
    HResult VLC_STDCALL Slot37() override { return Filler(37); }
    HResult VLC_STDCALL get_DisplayMode(Long* v) override { return Read("DisplayMode", v); }
    HResult VLC_STDCALL set_DisplayMode(Long v) override { return Write("DisplayMode", v); }
    HResult VLC_STDCALL get_OnTimer(VBool* v) override { return ReadBool("OnTimer", v); }
    HResult VLC_STDCALL set_OnTimer(VBool v) override { return Write("OnTimer", v); }
    HResult VLC_STDCALL get_OnTime(Long* v) override { return Read("OnTime", v); }
    HResult VLC_STDCALL set_OnTime(Long v) override { return Write("OnTime", v); }
    HResult VLC_STDCALL get_OffTimer(VBool* v) override { return ReadBool("OffTimer", v); }
    HResult VLC_STDCALL set_OffTimer(VBool v) override { return Write("OffTimer", v); }
    HResult VLC_STDCALL get_OffTime(Long* v) override { return Read("OffTime", v); }
    HResult VLC_STDCALL set_OffTime(Long v) override { return Write("OffTime", v); }
    HResult VLC_STDCALL get_ShutDownRecord(VBool* v) override {
        return ReadBool("ShutDownRecord", v);
    }
    HResult VLC_STDCALL set_ShutDownRecord(VBool v) override { return Write("ShutDownRecord", v); }
    HResult VLC_STDCALL get_RecLevel(Long* v) override { return Read("RecLevel", v); }
    HResult VLC_STDCALL set_RecLevel(Long v) override { return Write("RecLevel", v); }
    HResult VLC_STDCALL Attach(Long instance, Long processId, Long window, Long* mode,
                               Long* runValue) override;
    HResult VLC_STDCALL Detach(Long window) override;
    HResult VLC_STDCALL Abort(Long window) override;
    HResult VLC_STDCALL Close() override { return Command("Close", {}); }
    HResult VLC_STDCALL ShutDown() override { return Command("ShutDown", {}); }
    HResult VLC_STDCALL GetEvent(Long window, Long* mask) override;
    HResult VLC_STDCALL SetEvent(Long window, Long mask) override;
    HResult VLC_STDCALL NotifyEvent(Long target, Long wParam, Long lParam) override;
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
    HResult VLC_STDCALL GetText(Bstr* text, Long* adjust, std::int16_t* showAccel,
                                std::int16_t* option, Bstr* faceName, Long* charSet, Long* size,
                                Long* style, Long* color, Long* extra) override;
    HResult VLC_STDCALL GetVolumes(Long* first, Long* second) override;
    HResult VLC_STDCALL GetSpeana(Long* v0, Long* v1, Long* v2, Long* v3, Long* v4, Long* v5,
                                  Long* v6, Long* v7, Long* v8, Long* v9) override;
    HResult VLC_STDCALL SaveORVOini() override { return Command("SaveORVOini", {}); }
    HResult VLC_STDCALL Slot79() override { return Filler(79); }
    HResult VLC_STDCALL GetColor(Long index, Long* color) override;
    HResult VLC_STDCALL GetFont(Long index, Bstr* faceName, Long* charSet, Long* size, Long* style,
                                Long* color) override;
    HResult VLC_STDCALL GetFormImage(Bstr text) override;
    HResult VLC_STDCALL get_Rate(Long* v) override { return Read("Rate", v); }
    HResult VLC_STDCALL set_Rate(Long v) override { return Write("Rate", v); }

    // ---- IORVOPlayList ----
    HResult VLC_STDCALL get_Tracks(Long* value) override;
    HResult VLC_STDCALL get_SelectedTrack(Long* value) override;
    HResult VLC_STDCALL New() override;
    HResult VLC_STDCALL Add(Bstr path) override;
    HResult VLC_STDCALL Load(Bstr path) override { return TextCommand("PlayList.Load", path); }
    HResult VLC_STDCALL Save(Bstr path) override { return TextCommand("PlayList.Save", path); }
    HResult VLC_STDCALL GetTrackInfo(Long index, Bstr* text0, Bstr* text1, Bstr* fileName,
                                     Bstr* text3, Bstr* text4, Long* value0, Long* value1,
                                     Long* value2, Long* kind, Long* driveAndTrack, Long* value5,
                                     Long* value6) override;
    HResult VLC_STDCALL SetTrackInfo(Long index, Bstr text0, Bstr text1, Bstr fileName, Bstr text3,
                                     Bstr text4, Long value0, Long value1, Long value2, Long kind,
                                     Long driveAndTrack, Long value5, Long value6) override;

    // ---- IORVOLyrics ----
    HResult VLC_STDCALL get_Lines(Long* value) override;
    HResult VLC_STDCALL GetLyrics(Long index, Long* number, Bstr* text, Long* adjust, Long* flags,
                                  Bstr* faceName, Long* charSet, Long* size, Long* style,
                                  Long* color, Long* extra) override;

    // ---- IORVOMenu ----
    HResult VLC_STDCALL AddItem(Long window, Long parentId, Bstr caption, Long* newId) override;
    HResult VLC_STDCALL DeleteItem(Long id) override;
    HResult VLC_STDCALL GetItemCaption(Long id, Bstr* caption) override;
    HResult VLC_STDCALL SetItemCaption(Long id, Bstr caption) override;
    HResult VLC_STDCALL SetItemEnabled(Long id, Long flag) override;

    // Filler slots of the three smaller interfaces (one override serves all three tables).
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

  private:
    void Log(const std::string& line) { transcript_.Line("com: " + line); }
    // The status a read answers with: S_OK or the failure chosen for it by the script.
    HResult Status(const std::string& name);
    HResult Read(const std::string& name, Long* value, Long answer);
    HResult Read(const std::string& name, Long* value);
    HResult ReadBool(const std::string& name, VBool* value);
    HResult Write(const std::string& name, Long value);
    HResult Command(const std::string& name, std::initializer_list<Long> args);
    HResult TextCommand(const std::string& name, Bstr text);
    HResult Filler(int slot);

    HostState& state_;
    Transcript& transcript_;
    UINT orvoMessage_;
    long references_ = 0;
};

}  // namespace host
