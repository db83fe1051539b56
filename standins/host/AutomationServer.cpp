#include "standins/host/AutomationServer.h"

#include <oleauto.h>

#include "standins/host/Text.h"

namespace host {
namespace {

std::wstring Wide(platform::Bstr text) {
    if (!text) return {};
    const BSTR bstr = reinterpret_cast<BSTR>(text);
    return std::wstring(bstr, ::SysStringLen(bstr));
}

platform::Bstr Alloc(const std::wstring& text) {
    return reinterpret_cast<platform::Bstr>(
        ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::string Quote(const std::wstring& text) {
    return "\"" + Escape(ToUtf8(text)) + "\"";
}

std::string Hex(Long value) {
    return Transcript::Hex(static_cast<std::uint32_t>(value));
}

std::string Num(Long value) {
    return std::to_string(value);
}

}  // namespace

platform::HResult AutomationServer::QueryInterface(const platform::Guid& iid, void** object) {
    std::string name = "unknown";
    *object = nullptr;
    if (iid == Orvo_tlb::IID_IORVOControl || iid == Orvo_tlb::IID_IUnknown ||
        iid == Orvo_tlb::IID_IDispatch) {
        name = iid == Orvo_tlb::IID_IORVOControl ? "IORVOControl"
               : iid == Orvo_tlb::IID_IUnknown   ? "IUnknown"
                                                 : "IDispatch";
        *object = static_cast<Orvo_tlb::IORVOControl*>(this);
    } else if (iid == Orvo_tlb::IID_IORVOPlayList) {
        name = "IORVOPlayList";
        *object = static_cast<Orvo_tlb::IORVOPlayList*>(this);
    } else if (iid == Orvo_tlb::IID_IORVOLyrics) {
        name = "IORVOLyrics";
        *object = static_cast<Orvo_tlb::IORVOLyrics*>(this);
    } else if (iid == Orvo_tlb::IID_IORVOMenu) {
        name = "IORVOMenu";
        *object = static_cast<Orvo_tlb::IORVOMenu*>(this);
    }
    // COM asks for its own interfaces (marshalling, identity) too; only ours are worth a line.
    if (name != "unknown") Log("QueryInterface(" + name + ")" + (*object ? "" : " refused"));
    if (!*object) return platform::kENoInterface;
    AddRef();
    return platform::kSOk;
}

platform::HResult AutomationServer::Status(const std::string& name) {
    const auto failing = state_.failingReads.find(name);
    return failing == state_.failingReads.end() ? S_OK : failing->second;
}

platform::HResult AutomationServer::Read(const std::string& name, Long* value, Long answer) {
    const HResult status = Status(name);
    *value = answer;
    Log("get_" + name + "() -> " + Num(answer) + (status == S_OK ? "" : " status " + Hex(status)));
    return status;
}

platform::HResult AutomationServer::Read(const std::string& name, Long* value) {
    const auto known = state_.properties.find(name);
    return Read(name, value, known == state_.properties.end() ? 0 : known->second);
}

platform::HResult AutomationServer::Write(const std::string& name, Long value) {
    state_.properties[name] = value;
    Log("set_" + name + "(" + Num(value) + ")");
    return S_OK;
}

platform::HResult AutomationServer::Command(const std::string& name,
                                            std::initializer_list<Long> args) {
    std::string list;
    for (const Long arg : args) list += (list.empty() ? "" : ", ") + Num(arg);
    Log(name + "(" + list + ")");
    return S_OK;
}

platform::HResult AutomationServer::TextCommand(const std::string& name, Bstr text) {
    Log(name + "(" + Quote(Wide(text)) + ")");
    return S_OK;
}

platform::HResult AutomationServer::Filler(int slot) {
    Log("FAIL call at unused position " + std::to_string(slot));
    return platform::kENotImpl;
}

// ---- IORVOControl ----

platform::HResult AutomationServer::CheckVersion(Long version) {
    const HResult status = version <= state_.acceptedClientVersion ? S_OK : S_FALSE;
    Log("CheckVersion(" + Num(version) + ") -> " + (status == S_OK ? "S_OK" : "S_FALSE"));
    return status;
}

platform::HResult AutomationServer::get_Handle(Long* value) {
    return Read("Handle", value,
                static_cast<Long>(reinterpret_cast<std::uintptr_t>(state_.mainWindow)));
}

platform::HResult AutomationServer::get_Design(Bstr* value) {
    const HResult status = Status("Design");
    *value = Alloc(state_.design);
    Log("get_Design() -> " + Quote(state_.design) +
        (status == S_OK ? "" : " status " + Hex(status)));
    return status;
}

platform::HResult AutomationServer::set_Design(Bstr value) {
    state_.design = Wide(value);
    Log("set_Design(" + Quote(state_.design) + ")");
    return S_OK;
}

platform::HResult AutomationServer::Attach(Long instance, Long processId, Long window, Long* mode,
                                           Long* runValue) {
    if (HostClient* known = state_.FindClient(window))
        *known = HostClient{window, instance, processId, known->mask};
    else
        state_.clients.push_back(HostClient{window, instance, processId, 0});
    state_.RememberWindow(window);
    *mode = state_.attachMode;
    *runValue = state_.runValue;
    Log("Attach(instance=" + Hex(instance) + ", pid=" + Num(processId) + ", window=" + Hex(window) +
        ") -> mode " + Num(*mode) + ", run " + Num(*runValue) +
        (processId == static_cast<Long>(::GetCurrentProcessId()) ? " (this process)" : ""));
    return S_OK;
}

platform::HResult AutomationServer::Detach(Long window) {
    bool known = false;
    for (auto it = state_.clients.begin(); it != state_.clients.end(); ++it) {
        if (it->window != window) continue;
        state_.clients.erase(it);
        known = true;
        break;
    }
    // A client that leaves takes its menu items with it; a tidy client has removed them already.
    const std::size_t removed = state_.menu.DeleteAddedBy(window);
    Log("Detach(" + Hex(window) + ")" + (known ? "" : " unknown client") + ", " +
        std::to_string(removed) + " menu items left behind");
    return known ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::Abort(Long window) {
    Log("Abort(" + Hex(window) + ")" +
        (state_.FindClient(window) ? ", the host will end this client" : " unknown client"));
    if (state_.FindClient(window)) state_.abortRequested = true;
    return S_OK;
}

platform::HResult AutomationServer::GetEvent(Long window, Long* mask) {
    const HostClient* client = state_.FindClient(window);
    *mask = client ? client->mask : 0;
    Log("GetEvent(" + Hex(window) + ") -> " + Hex(*mask) + (client ? "" : " unknown client"));
    return client ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::SetEvent(Long window, Long mask) {
    HostClient* client = state_.FindClient(window);
    if (client) client->mask = mask;
    Log("SetEvent(" + Hex(window) + ", " + Hex(mask) + ")" + (client ? "" : " unknown client"));
    return client ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::NotifyEvent(Long target, Long wParam, Long lParam) {
    const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(target));
    const BOOL posted = ::PostMessageW(window, orvoMessage_, static_cast<std::uint32_t>(wParam),
                                       static_cast<LPARAM>(lParam));
    Log("NotifyEvent(" + Hex(target) + ", " + Hex(wParam) + ", " + Hex(lParam) + ") -> " +
        (posted ? "posted" : "not posted"));
    return posted ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::GetText(Bstr* text, Long* adjust, std::int16_t* showAccel,
                                            std::int16_t* option, Bstr* faceName, Long* charSet,
                                            Long* size, Long* style, Long* color, Long* extra) {
    const HostTextRecord& r = state_.displayText;
    *text = Alloc(r.text);
    *adjust = r.adjust;
    *showAccel = static_cast<std::int16_t>(r.flags & 0xFFFF);
    *option = static_cast<std::int16_t>((r.flags >> 16) & 0xFFFF);
    *faceName = Alloc(r.faceName);
    *charSet = r.charSet;
    *size = r.size;
    *style = r.style;
    *color = r.color;
    *extra = r.extra;
    Log("GetText() -> " + Quote(r.text));
    return S_OK;
}

platform::HResult AutomationServer::GetVolumes(Long* first, Long* second) {
    *first = state_.properties["Volume0"];
    *second = state_.properties["Volume1"];
    Log("GetVolumes() -> " + Num(*first) + ", " + Num(*second));
    return S_OK;
}

platform::HResult AutomationServer::GetSpeana(Long* v0, Long* v1, Long* v2, Long* v3, Long* v4,
                                              Long* v5, Long* v6, Long* v7, Long* v8, Long* v9) {
    Long* const out[] = {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
    std::string list;
    for (int i = 0; i < 10; ++i) {
        *out[i] = state_.properties["Speana" + std::to_string(i)];
        list += (i ? ", " : "") + Num(*out[i]);
    }
    Log("GetSpeana() -> " + list);
    return S_OK;
}

platform::HResult AutomationServer::GetColor(Long index, Long* color) {
    const auto known = state_.colors.find(index);
    *color = known == state_.colors.end() ? 0 : known->second;
    Log("GetColor(" + Num(index) + ") -> " + Hex(*color));
    return S_OK;
}

platform::HResult AutomationServer::GetFont(Long index, Bstr* faceName, Long* charSet, Long* size,
                                            Long* style, Long* color) {
    const HostFont font = state_.fonts.count(index) ? state_.fonts[index] : HostFont{};
    *faceName = Alloc(font.faceName);
    *charSet = font.charSet;
    *size = font.size;
    *style = font.style;
    *color = font.color;
    Log("GetFont(" + Num(index) + ") -> " + Quote(font.faceName) + ", " + Num(font.charSet) + ", " +
        Num(font.size) + ", " + Num(font.style) + ", " + Hex(font.color));
    return S_OK;
}

platform::HResult AutomationServer::GetFormImage(Bstr text) {
    return TextCommand("GetFormImage", text);
}

// ---- IORVOPlayList ----

platform::HResult AutomationServer::get_Tracks(Long* value) {
    return Read("Tracks", value, static_cast<Long>(state_.tracks.size()));
}

platform::HResult AutomationServer::get_SelectedTrack(Long* value) {
    return Read("SelectedTrack", value, state_.selectedTrack);
}

platform::HResult AutomationServer::New() {
    state_.tracks.clear();
    state_.selectedTrack = -1;
    Log("PlayList.New()");
    return S_OK;
}

platform::HResult AutomationServer::Add(Bstr path) {
    HostTrack track;
    track.texts[2] = Wide(path);
    state_.tracks.push_back(track);
    return TextCommand("PlayList.Add", path);
}

platform::HResult AutomationServer::GetTrackInfo(Long index, Bstr* text0, Bstr* text1,
                                                 Bstr* fileName, Bstr* text3, Bstr* text4,
                                                 Long* value0, Long* value1, Long* value2,
                                                 Long* kind, Long* driveAndTrack, Long* value5,
                                                 Long* value6) {
    Bstr* const texts[] = {text0, text1, fileName, text3, text4};
    Long* const values[] = {value0, value1, value2, kind, driveAndTrack, value5, value6};
    const bool known = index >= 0 && index < static_cast<Long>(state_.tracks.size());
    const HostTrack track = known ? state_.tracks[static_cast<std::size_t>(index)] : HostTrack{};
    for (int i = 0; i < 5; ++i) *texts[i] = known ? Alloc(track.texts[i]) : nullptr;
    for (int i = 0; i < 7; ++i) *values[i] = track.values[i];
    Log("PlayList.GetTrackInfo(" + Num(index) + ") -> " +
        (known ? Quote(track.texts[2]) + ", kind " + Num(track.values[3]) + ", drive/track " +
                     Hex(track.values[4])
               : std::string("no such track")));
    return known ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::SetTrackInfo(Long index, Bstr text0, Bstr text1, Bstr fileName,
                                                 Bstr text3, Bstr text4, Long value0, Long value1,
                                                 Long value2, Long kind, Long driveAndTrack,
                                                 Long value5, Long value6) {
    const bool known = index >= 0 && index < static_cast<Long>(state_.tracks.size());
    HostTrack track;
    const Bstr texts[] = {text0, text1, fileName, text3, text4};
    for (int i = 0; i < 5; ++i) track.texts[i] = Wide(texts[i]);
    const Long values[] = {value0, value1, value2, kind, driveAndTrack, value5, value6};
    std::string list;
    for (int i = 0; i < 7; ++i) {
        track.values[i] = values[i];
        list += ", " + Num(values[i]);
    }
    if (known) state_.tracks[static_cast<std::size_t>(index)] = track;
    Log("PlayList.SetTrackInfo(" + Num(index) + ", " + Quote(track.texts[0]) + ", " +
        Quote(track.texts[1]) + ", " + Quote(track.texts[2]) + ", " + Quote(track.texts[3]) + ", " +
        Quote(track.texts[4]) + list + ")" + (known ? "" : " no such track"));
    return known ? S_OK : E_INVALIDARG;
}

// ---- IORVOLyrics ----

platform::HResult AutomationServer::get_Lines(Long* value) {
    return Read("Lines", value, static_cast<Long>(state_.lyrics.size()));
}

platform::HResult AutomationServer::GetLyrics(Long index, Long* number, Bstr* text, Long* adjust,
                                              Long* flags, Bstr* faceName, Long* charSet,
                                              Long* size, Long* style, Long* color, Long* extra) {
    const bool known = index >= 0 && index < static_cast<Long>(state_.lyrics.size());
    const HostTextRecord r =
        known ? state_.lyrics[static_cast<std::size_t>(index)] : HostTextRecord{};
    *number = r.number;
    *text = known ? Alloc(r.text) : nullptr;
    *adjust = r.adjust;
    *flags = r.flags;
    *faceName = known ? Alloc(r.faceName) : nullptr;
    *charSet = r.charSet;
    *size = r.size;
    *style = r.style;
    *color = r.color;
    *extra = r.extra;
    Log("Lyrics.GetLyrics(" + Num(index) + ") -> " +
        (known ? Num(r.number) + ", " + Quote(r.text) : std::string("no such line")));
    return known ? S_OK : E_INVALIDARG;
}

// ---- IORVOMenu ----

platform::HResult AutomationServer::AddItem(Long window, Long parentId, Bstr caption, Long* newId) {
    const std::wstring text = Wide(caption);
    *newId = state_.menu.Add(window, parentId, text);
    Log("Menu.AddItem(" + Hex(window) + ", " + Hex(parentId) + ", " + Quote(text) + ") -> " +
        Hex(*newId) + (*newId ? "" : " unknown parent"));
    transcript_.Line("com-utf16: " + Utf16Hex(text));
    return *newId ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::DeleteItem(Long id) {
    const HostMenu::Item* item = state_.menu.Find(id);
    const std::string caption = item ? Quote(item->caption) : std::string();
    const bool deleted = state_.menu.Delete(id);
    Log("Menu.DeleteItem(" + Hex(id) + ")" + (deleted ? " " + caption : " unknown item"));
    return deleted ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::GetItemCaption(Long id, Bstr* caption) {
    const HostMenu::Item* item = state_.menu.Find(id);
    *caption = item ? Alloc(item->caption) : nullptr;
    Log("Menu.GetItemCaption(" + Hex(id) + ") -> " +
        (item ? Quote(item->caption) : std::string("unknown item")));
    return item ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::SetItemCaption(Long id, Bstr caption) {
    HostMenu::Item* item = state_.menu.Find(id);
    const std::wstring text = Wide(caption);
    if (item) item->caption = text;
    Log("Menu.SetItemCaption(" + Hex(id) + ", " + Quote(text) + ")" +
        (item ? "" : " unknown item"));
    transcript_.Line("com-utf16: " + Utf16Hex(text));
    return item ? S_OK : E_INVALIDARG;
}

platform::HResult AutomationServer::SetItemEnabled(Long id, Long flag) {
    HostMenu::Item* item = state_.menu.Find(id);
    if (item) item->enabled = flag != 0;
    Log("Menu.SetItemEnabled(" + Hex(id) + ", " + Num(flag) + ")" + (item ? "" : " unknown item"));
    return item ? S_OK : E_INVALIDARG;
}

}  // namespace host
