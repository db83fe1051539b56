// The player's automation server for native tests: one object serving the four interfaces.
//
// Every call is appended to `log` as "Interface.Operation(args)", so host calls interleave with
// the FakePlatform's system calls when both share a log. Answers come from plain members. Texts
// handed back are allocated through the platform's SysAllocString, so the FakePlatform can count
// that each is freed.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "hostlink/ORVO_TLB.h"
#include "platform/Platform.h"
#include "standins/common/PlayerServerBase.h"

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

class FakeOrvoServer final : public standin::PlayerServerBase {
  public:
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
    // A host that ends the client at once, from inside its Abort.
    std::function<void()> whileAborting;

    // ---- IUnknown ----
    HResult VLC_STDCALL QueryInterface(const platform::Guid& iid, void** object) override;
    std::uint32_t VLC_STDCALL AddRef() override { return ++refCount; }
    std::uint32_t VLC_STDCALL Release() override { return --refCount; }

    // ---- IDispatch ----

    // ---- IORVOControl ----
    HResult VLC_STDCALL get_Version(Long* value) override {
        return Read("Version", value, version);
    }
    HResult VLC_STDCALL CheckVersion(Long v) override;
    HResult VLC_STDCALL get_Handle(Long* value) override {
        return Read("Handle", value, mainWindow);
    }
    HResult VLC_STDCALL get_Design(Bstr* value) override;
    HResult VLC_STDCALL set_Design(Bstr value) override;
    HResult VLC_STDCALL Attach(Long instance, Long processId, Long window, Long* mode,
                               Long* runValue) override;
    HResult VLC_STDCALL Detach(Long window) override { return Command("Detach", {window}); }
    HResult VLC_STDCALL Abort(Long window) override {
        const HResult result = Command("Abort", {window});
        if (whileAborting) whileAborting();
        return result;
    }
    HResult VLC_STDCALL GetEvent(Long window, Long* mask) override;
    HResult VLC_STDCALL SetEvent(Long window, Long mask) override;
    HResult VLC_STDCALL NotifyEvent(Long target, Long wParam, Long lParam) override {
        return Command("NotifyEvent", {target, wParam, lParam});
    }
    HResult VLC_STDCALL GetText(Bstr* text, Long* adjust, std::int16_t* showAccel,
                                std::int16_t* option, Bstr* faceName, Long* charSet, Long* size,
                                Long* style, Long* color, Long* extra) override;
    HResult VLC_STDCALL GetVolumes(Long* first, Long* second) override;
    HResult VLC_STDCALL GetSpeana(Long* v0, Long* v1, Long* v2, Long* v3, Long* v4, Long* v5,
                                  Long* v6, Long* v7, Long* v8, Long* v9) override;
    HResult VLC_STDCALL GetColor(Long index, Long* color) override;
    HResult VLC_STDCALL GetFont(Long index, Bstr* faceName, Long* charSet, Long* size, Long* style,
                                Long* color) override;
    HResult VLC_STDCALL GetFormImage(Bstr text) override;

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

    // The interface pointers as the server hands them out.
    Orvo_tlb::IORVOControl* Control() { return this; }
    Orvo_tlb::IORVOPlayList* PlayList() { return this; }
    Orvo_tlb::IORVOLyrics* Lyrics() { return this; }
    Orvo_tlb::IORVOMenu* Menu() { return this; }

    // Text of a host string for assertions.
    static std::string Narrow(const std::u16string& text);

  private:
    HResult Read(const std::string& name, Long* value, Long answer);
    HResult Read(const std::string& name, Long* value) override;
    HResult Write(const std::string& name, Long value) override;
    HResult Command(const std::string& name, std::initializer_list<Long> args) override;
    HResult TextCommand(const std::string& name, Bstr text);
    HResult Filler(int slot) override;
    Bstr Alloc(const std::u16string& text);
    HResult Answer(HResult normal) const {
        return failEveryCall != platform::kSOk ? failEveryCall : normal;
    }
};

}  // namespace fake
