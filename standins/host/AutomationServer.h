// The player's automation server: one object serving `IORVOControl`, `IORVOPlayList`,
// `IORVOLyrics` and `IORVOMenu` by table position. Every call is written to the transcript as
// "com: Interface.Operation(args) -> answer"; answers come from the `HostState`, and the menu
// and playlist operations change it. Texts handed out are allocated with SysAllocString (the
// caller frees them); texts handed in stay the caller's.
#pragma once

#include <string>

#include "hostlink/ORVO_TLB.h"
#include "standins/common/PlayerServerBase.h"
#include "standins/host/HostState.h"
#include "standins/host/Transcript.h"

namespace host {

class AutomationServer final : public standin::PlayerServerBase {
  public:
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

    // ---- IORVOControl ----
    HResult VLC_STDCALL get_Version(Long* v) override { return Read("Version", v, state_.version); }
    HResult VLC_STDCALL CheckVersion(Long version) override;
    HResult VLC_STDCALL get_Handle(Long* v) override;
    HResult VLC_STDCALL get_Design(Bstr* value) override;
    HResult VLC_STDCALL set_Design(Bstr value) override;
    HResult VLC_STDCALL Attach(Long instance, Long processId, Long window, Long* mode,
                               Long* runValue) override;
    HResult VLC_STDCALL Detach(Long window) override;
    HResult VLC_STDCALL Abort(Long window) override;
    HResult VLC_STDCALL GetEvent(Long window, Long* mask) override;
    HResult VLC_STDCALL SetEvent(Long window, Long mask) override;
    HResult VLC_STDCALL NotifyEvent(Long target, Long wParam, Long lParam) override;
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

  private:
    void Log(const std::string& line) { transcript_.Line("com: " + line); }
    // The status a read answers with: S_OK or the failure chosen for it by the script.
    HResult Status(const std::string& name);
    HResult Read(const std::string& name, Long* value, Long answer);
    HResult Read(const std::string& name, Long* value) override;
    HResult Write(const std::string& name, Long value) override;
    HResult Command(const std::string& name, std::initializer_list<Long> args) override;
    HResult TextCommand(const std::string& name, Bstr text);
    HResult Filler(int slot) override;

    HostState& state_;
    Transcript& transcript_;
    UINT orvoMessage_;
    long references_ = 0;
};

}  // namespace host
