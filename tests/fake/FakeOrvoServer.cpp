#include "tests/fake/FakeOrvoServer.h"

#include <algorithm>

#include "tests/fake/FakePlatform.h"

namespace fake {

namespace {

std::u16string Text(platform::Bstr b) {
    return b ? std::u16string(b) : std::u16string();
}

std::string Join(const std::vector<Orvo_tlb::Long>& args) {
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i) out += ", ";
        out += std::to_string(args[i]);
    }
    return out;
}

}  // namespace

std::string FakeOrvoServer::Narrow(const std::u16string& text) {
    return platform::Os().FromUtf16(text, 65001);
}

platform::Bstr FakeOrvoServer::Alloc(const std::u16string& text) {
    return platform::Os().SysAllocString(text);
}

platform::HResult FakeOrvoServer::QueryInterface(const platform::Guid& iid, void** object) {
    const std::pair<const platform::Guid*, std::string> names[] = {
        {&Orvo_tlb::IID_IORVOControl, "IORVOControl"},
        {&Orvo_tlb::IID_IORVOPlayList, "IORVOPlayList"},
        {&Orvo_tlb::IID_IORVOLyrics, "IORVOLyrics"},
        {&Orvo_tlb::IID_IORVOMenu, "IORVOMenu"},
        {&Orvo_tlb::IID_IUnknown, "IUnknown"}};
    std::string name = "unknown";
    for (const auto& n : names)
        if (*n.first == iid) name = n.second;
    log.push_back("QueryInterface(" + name + ")");
    *object = nullptr;
    const auto refused = refusedInterfaces.find(name);
    if (refused != refusedInterfaces.end()) return refused->second;
    if (name == "IORVOControl" || name == "IUnknown")
        *object = static_cast<Orvo_tlb::IORVOControl*>(this);
    else if (name == "IORVOPlayList")
        *object = static_cast<Orvo_tlb::IORVOPlayList*>(this);
    else if (name == "IORVOLyrics")
        *object = static_cast<Orvo_tlb::IORVOLyrics*>(this);
    else if (name == "IORVOMenu")
        *object = static_cast<Orvo_tlb::IORVOMenu*>(this);
    else
        return platform::kENoInterface;
    AddRef();
    return platform::kSOk;
}

platform::HResult FakeOrvoServer::Read(const std::string& name, Long* value, Long answer) {
    log.push_back("Control.get_" + name + "()");
    *value = answer;
    const auto failing = failingReads.find(name);
    return Answer(failing == failingReads.end() ? platform::kSOk : failing->second);
}

platform::HResult FakeOrvoServer::Read(const std::string& name, Long* value) {
    const auto it = properties.find(name);
    return Read(name, value, it == properties.end() ? 0 : it->second);
}

platform::HResult FakeOrvoServer::Write(const std::string& name, Long value) {
    log.push_back("Control.set_" + name + "(" + std::to_string(value) + ")");
    properties[name] = value;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::Command(const std::string& name,
                                          std::initializer_list<Long> args) {
    const bool qualified = name.find('.') != std::string::npos;
    log.push_back((qualified ? "" : "Control.") + name + "(" + Join(std::vector<Long>(args)) + ")");
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::TextCommand(const std::string& name, Bstr text) {
    log.push_back(name + "(" + Quote(Narrow(Text(text))) + ")");
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::Filler(int slot) {
    log.push_back("Unused.Slot" + std::to_string(slot) + "()");
    return platform::kENotImpl;
}

platform::HResult FakeOrvoServer::CheckVersion(Long v) {
    log.push_back("Control.CheckVersion(" + std::to_string(v) + ")");
    return Answer(v <= acceptedClientVersion ? platform::kSOk : platform::kSFalse);
}

platform::HResult FakeOrvoServer::get_Design(Bstr* value) {
    log.push_back("Control.get_Design()");
    *value = Alloc(design);
    const auto failing = failingReads.find("Design");
    return Answer(failing == failingReads.end() ? platform::kSOk : failing->second);
}

platform::HResult FakeOrvoServer::set_Design(Bstr value) {
    design = Text(value);
    log.push_back("Control.set_Design(" + Quote(Narrow(design)) + ")");
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::Attach(Long instance, Long processId, Long window, Long* mode,
                                         Long* runValue) {
    log.push_back("Control.Attach(" + Hex(static_cast<std::uint32_t>(instance)) + ", " +
                  std::to_string(processId) + ", " + Hex(static_cast<std::uint32_t>(window)) + ")");
    *mode = attachMode;
    *runValue = 1;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetEvent(Long window, Long* mask) {
    log.push_back("Control.GetEvent(" + Hex(static_cast<std::uint32_t>(window)) + ")");
    *mask = eventMask;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::SetEvent(Long window, Long mask) {
    log.push_back("Control.SetEvent(" + Hex(static_cast<std::uint32_t>(window)) + ", " +
                  Hex(static_cast<std::uint32_t>(mask)) + ")");
    eventMask = mask;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetText(Bstr* text, Long* adjust, std::int16_t* showAccel,
                                          std::int16_t* option, Bstr* faceName, Long* charSet,
                                          Long* size, Long* style, Long* color, Long* extra) {
    log.push_back("Control.GetText()");
    const auto& r = displayText;
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
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetVolumes(Long* first, Long* second) {
    log.push_back("Control.GetVolumes()");
    *first = properties["VolumeLeft"];
    *second = properties["VolumeRight"];
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetSpeana(Long* v0, Long* v1, Long* v2, Long* v3, Long* v4,
                                            Long* v5, Long* v6, Long* v7, Long* v8, Long* v9) {
    log.push_back("Control.GetSpeana()");
    Long* out[] = {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
    for (int i = 0; i < 10; ++i) *out[i] = 100 + i;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetColor(Long index, Long* color) {
    log.push_back("Control.GetColor(" + std::to_string(index) + ")");
    *color = colors[index];
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetFont(Long index, Bstr* faceName, Long* charSet, Long* size,
                                          Long* style, Long* color) {
    log.push_back("Control.GetFont(" + std::to_string(index) + ")");
    const HostFont& f = fonts[index];
    *faceName = Alloc(f.faceName);
    *charSet = f.charSet;
    *size = f.size;
    *style = f.style;
    *color = f.color;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetFormImage(Bstr text) {
    return TextCommand("Control.GetFormImage", text);
}

platform::HResult FakeOrvoServer::get_Tracks(Long* value) {
    return Read("Tracks", value, static_cast<Long>(tracks.size()));
}

platform::HResult FakeOrvoServer::get_SelectedTrack(Long* value) {
    return Read("SelectedTrack", value, selectedTrack);
}

platform::HResult FakeOrvoServer::GetTrackInfo(Long index, Bstr* text0, Bstr* text1, Bstr* fileName,
                                               Bstr* text3, Bstr* text4, Long* value0, Long* value1,
                                               Long* value2, Long* kind, Long* driveAndTrack,
                                               Long* value5, Long* value6) {
    log.push_back("PlayList.GetTrackInfo(" + std::to_string(index) + ")");
    HostTrack empty;
    const HostTrack& t =
        (index >= 0 && index < static_cast<Long>(tracks.size())) ? tracks[index] : empty;
    Bstr* texts[] = {text0, text1, fileName, text3, text4};
    for (int i = 0; i < 5; ++i) *texts[i] = Alloc(t.texts[i]);
    Long* values[] = {value0, value1, value2, kind, driveAndTrack, value5, value6};
    for (int i = 0; i < 7; ++i) *values[i] = t.values[i];
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::SetTrackInfo(Long index, Bstr text0, Bstr text1, Bstr fileName,
                                               Bstr text3, Bstr text4, Long value0, Long value1,
                                               Long value2, Long kind, Long driveAndTrack,
                                               Long value5, Long value6) {
    log.push_back("PlayList.SetTrackInfo(" + std::to_string(index) + ", " +
                  Join({value0, value1, value2, kind, driveAndTrack, value5, value6}) + ")");
    if (index < 0) return Answer(platform::kEFail);
    if (index >= static_cast<Long>(tracks.size())) tracks.resize(index + 1);
    HostTrack& t = tracks[index];
    const Bstr texts[] = {text0, text1, fileName, text3, text4};
    for (int i = 0; i < 5; ++i) t.texts[i] = Text(texts[i]);
    const Long values[] = {value0, value1, value2, kind, driveAndTrack, value5, value6};
    for (int i = 0; i < 7; ++i) t.values[i] = values[i];
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::get_Lines(Long* value) {
    // properties["Lines"], when set, overrides the count of `lyrics` (a player may answer any).
    const auto it = properties.find("Lines");
    return Read("Lines", value,
                it != properties.end() ? it->second : static_cast<Long>(lyrics.size()));
}

platform::HResult FakeOrvoServer::GetLyrics(Long index, Long* number, Bstr* text, Long* adjust,
                                            Long* flags, Bstr* faceName, Long* charSet, Long* size,
                                            Long* style, Long* color, Long* extra) {
    log.push_back("Lyrics.GetLyrics(" + std::to_string(index) + ")");
    HostTextRecord empty;
    const HostTextRecord& r =
        (index >= 0 && index < static_cast<Long>(lyrics.size())) ? lyrics[index] : empty;
    *number = r.number;
    *text = Alloc(r.text);
    *adjust = r.adjust;
    *flags = r.flags;
    *faceName = Alloc(r.faceName);
    *charSet = r.charSet;
    *size = r.size;
    *style = r.style;
    *color = r.color;
    *extra = r.extra;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::AddItem(Long window, Long parentId, Bstr caption, Long* newId) {
    const std::u16string text = Text(caption);
    log.push_back("Menu.AddItem(" + Hex(static_cast<std::uint32_t>(window)) + ", " +
                  Hex(static_cast<std::uint32_t>(parentId)) + ", " + Quote(Narrow(text)) + ")");
    if (addItemGivesNoId) return Answer(platform::kSOk);  // leaves the place as it was
    const Long id = nextMenuId++;
    menuItems[id] = {parentId, text, true, window};
    *newId = id;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::DeleteItem(Long id) {
    log.push_back("Menu.DeleteItem(" + Hex(static_cast<std::uint32_t>(id)) + ")");
    // Like a real menu, a submenu goes with its items.
    std::vector<Long> doomed{id};
    for (std::size_t i = 0; i < doomed.size(); ++i)
        for (const auto& [child, item] : menuItems)
            if (item.parent == doomed[i] &&
                std::find(doomed.begin(), doomed.end(), child) == doomed.end())
                doomed.push_back(child);  // each once, even if parents form a loop
    for (Long d : doomed) menuItems.erase(d);
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::GetItemCaption(Long id, Bstr* caption) {
    log.push_back("Menu.GetItemCaption(" + Hex(static_cast<std::uint32_t>(id)) + ")");
    const auto it = menuItems.find(id);
    *caption = Alloc(it == menuItems.end() ? std::u16string() : it->second.caption);
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::SetItemCaption(Long id, Bstr caption) {
    const std::u16string text = Text(caption);
    log.push_back("Menu.SetItemCaption(" + Hex(static_cast<std::uint32_t>(id)) + ", " +
                  Quote(Narrow(text)) + ")");
    const auto it = menuItems.find(id);
    if (it != menuItems.end()) it->second.caption = text;
    return Answer(platform::kSOk);
}

platform::HResult FakeOrvoServer::SetItemEnabled(Long id, Long flag) {
    log.push_back("Menu.SetItemEnabled(" + Hex(static_cast<std::uint32_t>(id)) + ", " +
                  std::to_string(flag) + ")");
    const auto it = menuItems.find(id);
    if (it != menuItems.end()) it->second.enabled = flag != 0;
    return Answer(platform::kSOk);
}

}  // namespace fake
