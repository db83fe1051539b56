// The player's automation server for native tests: one object serving the four interfaces.
//
// Every call is appended to `log` as "Interface.Operation(args)", so host calls interleave with
// the FakePlatform's system calls when both share a log. Answers come from plain members. Texts
// handed back are allocated through the platform's SysAllocString, so the FakePlatform can count
// that each is freed.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "hostlink/ORVO_TLB.h"
#include "platform/Platform.h"

namespace fake {

struct HostTrack {
    std::u16string texts[5];        // Text0, Text1, FileName, Text3, Text4
    Orvo_tlb::Long values[7] = {};  // Value0, Value1, Value2, Kind, Drive<<16|TrackNo, 5, 6
};

struct HostTextRecord {
    Orvo_tlb::Long number = 0;
    std::u16string text;
    Orvo_tlb::Long adjust = 0;
    Orvo_tlb::Long flags = 0;  // ShowAccel low 16 bits, Option high 16 bits
    std::u16string faceName;
    Orvo_tlb::Long charSet = 0, size = 0, style = 0, color = 0, extra = 0;
};

class FakeOrvoServer final : public Orvo_tlb::IORVOControl,
                             public Orvo_tlb::IORVOPlayList,
                             public Orvo_tlb::IORVOLyrics,
                             public Orvo_tlb::IORVOMenu {
  public:
    using Long = Orvo_tlb::Long;
    using HResult = platform::HResult;
    using Bstr = platform::Bstr;

    explicit FakeOrvoServer(std::vector<std::string>& log) : log(log) {}

    std::vector<std::string>& log;
    int refCount = 1;

    // When set, every operation of the four interfaces answers this status, though it still does
    // what it was asked and fills its out arguments (texts included): the caller may neither
    // trust nor leak what comes back. Interface queries and reference counting are not affected.
    HResult failEveryCall = platform::kSOk;

    // Interfaces this server refuses, and with which status.
    std::map<std::string, HResult> refusedInterfaces;  // "IORVOControl", ...

    Long version = 6003;
    Long acceptedClientVersion = 4300;  // CheckVersion answers S_OK for this and below
    Long mainWindow = 0x5150;
    Long attachMode = 2;
    Long eventMask = 0;  // as last set by SetEvent
    // Numeric properties by name ("Left", "Repeat", ...) and failing reads by name.
    std::map<std::string, Long> properties;
    std::map<std::string, HResult> failingReads;
    std::u16string design;

    std::vector<HostTrack> tracks;
    Long selectedTrack = -1;
    std::vector<HostTextRecord> lyrics;
    HostTextRecord displayText;
    std::map<Long, Long> colors;
    struct HostFont {
        std::u16string faceName;
        Long charSet = 0, size = 0, style = 0, color = 0;
    };
    std::map<Long, HostFont> fonts;

    // Menus: items the host holds, by id, with their parent, caption and enabled state.
    struct HostMenuItem {
        Long parent = 0;
        std::u16string caption;
        bool enabled = true;
        Long window = 0;
    };
    std::map<Long, HostMenuItem> menuItems;
    Long nextMenuId = 0x100;
    bool addItemGivesNoId = false;

    // ---- IUnknown ----
    HResult VLC_STDCALL QueryInterface(const platform::Guid& iid, void** object) override;
    std::uint32_t VLC_STDCALL AddRef() override { return ++refCount; }
    std::uint32_t VLC_STDCALL Release() override { return --refCount; }

    // ---- IDispatch ----
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
    HResult VLC_STDCALL get_Version(Long* value) override {
        return Read("Version", value, version);
    }
    HResult VLC_STDCALL CheckVersion(Long v) override;
    HResult VLC_STDCALL get_Handle(Long* value) override {
        return Read("Handle", value, mainWindow);
    }
    HResult VLC_STDCALL get_Visible(Long* v) override { return ReadProp("Visible", v); }
    HResult VLC_STDCALL set_Visible(Long v) override { return Write("Visible", v); }
    HResult VLC_STDCALL get_Left(Long* v) override { return ReadProp("Left", v); }
    HResult VLC_STDCALL set_Left(Long v) override { return Write("Left", v); }
    HResult VLC_STDCALL get_Top(Long* v) override { return ReadProp("Top", v); }
    HResult VLC_STDCALL set_Top(Long v) override { return Write("Top", v); }
    HResult VLC_STDCALL get_Width(Long* v) override { return ReadProp("Width", v); }
    HResult VLC_STDCALL get_Height(Long* v) override { return ReadProp("Height", v); }
    HResult VLC_STDCALL get_PlayStatus(Long* v) override { return ReadProp("PlayStatus", v); }
    HResult VLC_STDCALL get_Track(Long* v) override { return ReadProp("Track", v); }
    HResult VLC_STDCALL set_Track(Long v) override { return Write("Track", v); }
    HResult VLC_STDCALL get_Position(Long* v) override { return ReadProp("Position", v); }
    HResult VLC_STDCALL set_Position(Long v) override { return Write("Position", v); }
    HResult VLC_STDCALL get_Length(Long* v) override { return ReadProp("Length", v); }
    HResult VLC_STDCALL get_Volume(Long* v) override { return ReadProp("Volume", v); }
    HResult VLC_STDCALL set_Volume(Long v) override { return Write("Volume", v); }
    HResult VLC_STDCALL get_Counter(Long* v) override { return ReadProp("Counter", v); }
    HResult VLC_STDCALL set_Counter(Long v) override { return Write("Counter", v); }
    HResult VLC_STDCALL get_Repeat(platform::VariantBool* v) override {
        return ReadBool("Repeat", v);
    }
    HResult VLC_STDCALL set_Repeat(platform::VariantBool v) override { return Write("Repeat", v); }
    HResult VLC_STDCALL get_Random(platform::VariantBool* v) override {
        return ReadBool("Random", v);
    }
    HResult VLC_STDCALL set_Random(platform::VariantBool v) override { return Write("Random", v); }
    HResult VLC_STDCALL get_RemainTime(platform::VariantBool* v) override {
        return ReadBool("RemainTime", v);
    }
    HResult VLC_STDCALL set_RemainTime(platform::VariantBool v) override {
        return Write("RemainTime", v);
    }
    HResult VLC_STDCALL get_Design(Bstr* value) override;
    HResult VLC_STDCALL set_Design(Bstr value) override;
    HResult VLC_STDCALL Slot36() override { return Filler("Control", 36); }
    HResult VLC_STDCALL Slot37() override { return Filler("Control", 37); }
    HResult VLC_STDCALL get_DisplayMode(Long* v) override { return ReadProp("DisplayMode", v); }
    HResult VLC_STDCALL set_DisplayMode(Long v) override { return Write("DisplayMode", v); }
    HResult VLC_STDCALL get_OnTimer(platform::VariantBool* v) override {
        return ReadBool("OnTimer", v);
    }
    HResult VLC_STDCALL set_OnTimer(platform::VariantBool v) override {
        return Write("OnTimer", v);
    }
    HResult VLC_STDCALL get_OnTime(Long* v) override { return ReadProp("OnTime", v); }
    HResult VLC_STDCALL set_OnTime(Long v) override { return Write("OnTime", v); }
    HResult VLC_STDCALL get_OffTimer(platform::VariantBool* v) override {
        return ReadBool("OffTimer", v);
    }
    HResult VLC_STDCALL set_OffTimer(platform::VariantBool v) override {
        return Write("OffTimer", v);
    }
    HResult VLC_STDCALL get_OffTime(Long* v) override { return ReadProp("OffTime", v); }
    HResult VLC_STDCALL set_OffTime(Long v) override { return Write("OffTime", v); }
    HResult VLC_STDCALL get_ShutDownRecord(platform::VariantBool* v) override {
        return ReadBool("ShutDownRecord", v);
    }
    HResult VLC_STDCALL set_ShutDownRecord(platform::VariantBool v) override {
        return Write("ShutDownRecord", v);
    }
    HResult VLC_STDCALL get_RecLevel(Long* v) override { return ReadProp("RecLevel", v); }
    HResult VLC_STDCALL set_RecLevel(Long v) override { return Write("RecLevel", v); }
    HResult VLC_STDCALL Attach(Long instance, Long processId, Long window, Long* mode,
                               Long* runValue) override;
    HResult VLC_STDCALL Detach(Long window) override { return Command("Detach", {window}); }
    HResult VLC_STDCALL Abort(Long window) override { return Command("Abort", {window}); }
    HResult VLC_STDCALL Close() override { return Command("Close", {}); }
    HResult VLC_STDCALL ShutDown() override { return Command("ShutDown", {}); }
    HResult VLC_STDCALL GetEvent(Long window, Long* mask) override;
    HResult VLC_STDCALL SetEvent(Long window, Long mask) override;
    HResult VLC_STDCALL NotifyEvent(Long target, Long wParam, Long lParam) override {
        return Command("NotifyEvent", {target, wParam, lParam});
    }
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
    HResult VLC_STDCALL Slot79() override { return Filler("Control", 79); }
    HResult VLC_STDCALL GetColor(Long index, Long* color) override;
    HResult VLC_STDCALL GetFont(Long index, Bstr* faceName, Long* charSet, Long* size, Long* style,
                                Long* color) override;
    HResult VLC_STDCALL GetFormImage(Bstr text) override;
    HResult VLC_STDCALL get_Rate(Long* v) override { return ReadProp("Rate", v); }
    HResult VLC_STDCALL set_Rate(Long v) override { return Write("Rate", v); }

    // ---- IORVOPlayList and IORVOLyrics ----
    HResult VLC_STDCALL get_Tracks(Long* value) override;
    HResult VLC_STDCALL get_SelectedTrack(Long* value) override;
    HResult VLC_STDCALL New() override { return Command("PlayList.New", {}); }
    HResult VLC_STDCALL Add(Bstr path) override { return TextCommand("PlayList.Add", path); }
    HResult VLC_STDCALL Load(Bstr path) override { return TextCommand("PlayList.Load", path); }
    HResult VLC_STDCALL Save(Bstr path) override { return TextCommand("PlayList.Save", path); }
    HResult VLC_STDCALL GetTrackInfo(Long index, Bstr* text0, Bstr* text1, Bstr* fileName,
                                     Bstr* text3, Bstr* text4, Long* value0, Long* value1,
                                     Long* value2, Long* kind, Long* driveAndTrack, Long* value5,
                                     Long* value6) override;
    HResult VLC_STDCALL SetTrackInfo(Long index, Bstr text0, Bstr text1, Bstr fileName, Bstr text3,
                                     Bstr text4, Long value0, Long value1, Long value2, Long kind,
                                     Long driveAndTrack, Long value5, Long value6) override;
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

    // Filler slots shared by the three smaller interfaces (same signature, one override).
    HResult VLC_STDCALL Slot7() override { return Filler("Other", 7); }
    HResult VLC_STDCALL Slot8() override { return Filler("Menu", 8); }
    HResult VLC_STDCALL Slot9() override { return Filler("Other", 9); }
    HResult VLC_STDCALL Slot10() override { return Filler("Other", 10); }
    HResult VLC_STDCALL Slot11() override { return Filler("Other", 11); }
    HResult VLC_STDCALL Slot12() override { return Filler("Other", 12); }
    HResult VLC_STDCALL Slot13() override { return Filler("Other", 13); }
    HResult VLC_STDCALL Slot14() override { return Filler("Other", 14); }
    HResult VLC_STDCALL Slot15() override { return Filler("Other", 15); }
    HResult VLC_STDCALL Slot16() override { return Filler("Other", 16); }
    HResult VLC_STDCALL Slot17() override { return Filler("Other", 17); }
    HResult VLC_STDCALL Slot18() override { return Filler("Other", 18); }
    HResult VLC_STDCALL Slot19() override { return Filler("Other", 19); }
    HResult VLC_STDCALL Slot20() override { return Filler("Other", 20); }
    HResult VLC_STDCALL Slot22() override { return Filler("Other", 22); }
    HResult VLC_STDCALL Slot23() override { return Filler("Other", 23); }
    HResult VLC_STDCALL Slot24() override { return Filler("Other", 24); }
    HResult VLC_STDCALL Slot26() override { return Filler("Other", 26); }
    HResult VLC_STDCALL Slot27() override { return Filler("Other", 27); }

    // The interface pointers as the server hands them out.
    Orvo_tlb::IORVOControl* Control() { return this; }
    Orvo_tlb::IORVOPlayList* PlayList() { return this; }
    Orvo_tlb::IORVOLyrics* Lyrics() { return this; }
    Orvo_tlb::IORVOMenu* Menu() { return this; }

    // Text of a host string for assertions.
    static std::string Narrow(const std::u16string& text);

  private:
    HResult Read(const std::string& name, Long* value, Long answer);
    HResult ReadProp(const std::string& name, Long* value);
    HResult ReadBool(const std::string& name, platform::VariantBool* value);
    HResult Write(const std::string& name, Long value);
    HResult Command(const std::string& name, const std::vector<Long>& args);
    HResult TextCommand(const std::string& name, Bstr text);
    HResult Filler(const std::string& name, int slot);
    Bstr Alloc(const std::u16string& text);
    HResult Answer(HResult normal) const {
        return failEveryCall != platform::kSOk ? failEveryCall : normal;
    }
};

}  // namespace fake
