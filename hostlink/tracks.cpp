// Track records, the playlist and the lyrics lines, read from and written to the player.
#include "hostlink/tracks.h"

#include <algorithm>
#include <charconv>

#include "hostlink/bstr.h"
#include "hostlink/checked_read.h"
#include "hostlink/orvo.h"
#include "platform/Mbcs.h"

namespace {

using hostlink::OwnedBstr;
using Orvo_tlb::Long;

constexpr std::int32_t kCdTrack = 16;
constexpr std::int32_t kCdTrackOther = 17;

// First occurrence of `needle` at or after `from` that starts on a character boundary, so a
// trail byte of a double-byte character never begins a match.
std::size_t FindText(const std::string& text, const std::string& needle, std::size_t from = 0) {
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        if (mbcs::IsLeadByte(static_cast<unsigned char>(text[i]))) ++i;
    }
    return std::string::npos;
}

// A whole decimal number, or 0 when the text is not one.
std::int32_t DecimalOrZero(const std::string& text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return (ec == std::errc() && ptr == end) ? value : 0;
}

// Some players leave drive and track of a CD entry at 0; its path ("D:\Track03.cda") still
// names both.
void FillCdTrackFromPath(TTrackInfo& info) {
    if (info.Kind != kCdTrack && info.Kind != kCdTrackOther) return;
    if (info.Drive != 0 && info.TrackNo != 0) return;
    const std::string path = mbcs::LowerCase(info.FileName);
    if (path.size() < 2 || path[1] != ':') return;
    const int drive = static_cast<unsigned char>(path[0]) - 'a';
    info.Drive = (drive < 0 || drive > 26) ? 0 : drive;
    const std::size_t track = FindText(path, "track");
    if (track == std::string::npos) return;
    const std::size_t number = track + 5;
    const std::size_t cda = FindText(path, ".cda", number);
    if (cda == std::string::npos) return;
    info.TrackNo = DecimalOrZero(path.substr(number, cda - number));
}

// Fills a lyrics line from one of the player's text records.
struct HostTextRecord {
    Long number = -1;
    OwnedBstr text;
    Long adjust = 0;
    bool showAccel = false;
    bool option = false;
    OwnedBstr faceName;
    Long charSet = 0, size = 0, style = 0, color = 0, extra = 0;

    void FillIn(const TORVO& orvo, TLyrics& line, bool withNumber) const {
        if (withNumber) line.Number = number;
        line.Text = orvo.FromHost(text.Text());
        line.Adjust = static_cast<std::uint8_t>(adjust & 0xFF);
        line.ShowAccel = showAccel;
        line.Option = option;
        line.Font.Assign(orvo.FromHost(faceName.Text()), static_cast<std::uint32_t>(charSet), size,
                         static_cast<std::uint32_t>(style), static_cast<std::uint32_t>(color));
        line.Extra = extra;
    }
};

}  // namespace

// ---- TPlayList ----

std::int32_t TPlayList::GetSelectedTrack() {
    if (!Owner_->Bound) return -1;
    Long value = 0;
    const platform::HResult hr = Owner_->PlayListIntf->get_SelectedTrack(&value);
    hostlink::CheckRead(hr, "this->get_SelectedTrack((long*)&Value)");
    return value;
}

TTrackInfo TPlayList::GetTrackInfo(std::int32_t Index) {
    TTrackInfo info;
    if (!Owner_->Bound) return info;
    OwnedBstr texts[5];
    Long values[7] = {};
    Owner_->PlayListIntf->GetTrackInfo(Index, texts[0].Out(), texts[1].Out(), texts[2].Out(),
                                       texts[3].Out(), texts[4].Out(), &values[0], &values[1],
                                       &values[2], &values[3], &values[4], &values[5], &values[6]);
    info.Text0 = Owner_->FromHost(texts[0].Text());
    info.Text1 = Owner_->FromHost(texts[1].Text());
    info.FileName = Owner_->FromHost(texts[2].Text());
    info.Text3 = Owner_->FromHost(texts[3].Text());
    info.Text4 = Owner_->FromHost(texts[4].Text());
    info.Value0 = values[0];
    info.Value1 = values[1];
    info.Value2 = values[2];
    info.Kind = values[3];
    const auto packed = static_cast<std::uint32_t>(values[4]);
    info.Drive = static_cast<std::int32_t>(packed >> 16);
    info.TrackNo = static_cast<std::int32_t>(packed & 0xFFFF);
    info.Value5 = values[5];
    info.Value6 = values[6];
    FillCdTrackFromPath(info);
    return info;
}

void TPlayList::SetTrackInfo(std::int32_t Index, const TTrackInfo& Info) {
    if (!Owner_->Bound) return;
    const OwnedBstr text0(Owner_->ToHost(Info.Text0));
    const OwnedBstr text1(Owner_->ToHost(Info.Text1));
    const OwnedBstr fileName(Owner_->ToHost(Info.FileName));
    const OwnedBstr text3(Owner_->ToHost(Info.Text3));
    const OwnedBstr text4(Owner_->ToHost(Info.Text4));
    // Not masked: the player has always received a track number that overflows 16 bits as is.
    const auto packed =
        (static_cast<std::uint32_t>(Info.Drive) << 16) | static_cast<std::uint32_t>(Info.TrackNo);
    Owner_->PlayListIntf->SetTrackInfo(Index, text0.In(), text1.In(), fileName.In(), text3.In(),
                                       text4.In(), Info.Value0, Info.Value1, Info.Value2, Info.Kind,
                                       static_cast<Long>(packed), Info.Value5, Info.Value6);
}

// ---- TLyricsList ----

std::int32_t TLyricsList::Count() {
    std::int32_t count = 0;
    if (Owner_->Bound) {
        const platform::HResult hr = Owner_->LyricsIntf->get_Lines(&count);
        hostlink::CheckRead(hr, "this->get_Lines((long*)&Value)");
    }
    // A negative count from the player means no lines; it must not size the list.
    count = std::max(count, 0);
    if (Lines_.size() != static_cast<std::size_t>(count)) Lines_.resize(count);
    return count;
}

TLyrics* TLyricsList::Item(std::int32_t Index) {
    const std::int32_t count = Count();
    if (Index < 0 || Index >= count) return nullptr;
    HostTextRecord record;
    Long flags = 0;
    Owner_->LyricsIntf->GetLyrics(Index, &record.number, record.text.Out(), &record.adjust, &flags,
                                  record.faceName.Out(), &record.charSet, &record.size,
                                  &record.style, &record.color, &record.extra);
    record.showAccel = (flags & 0xFFFF) != 0;
    record.option = ((static_cast<std::uint32_t>(flags) >> 16) & 0xFFFF) != 0;
    auto& line = Lines_[Index];
    if (!line) line = std::make_unique<TLyrics>();
    record.FillIn(*Owner_, *line, true);
    return line.get();
}

void TLyricsList::Clear() {
    Lines_.clear();
}

// ---- TORVO: playlist, track records, display text and lyrics ----

std::int32_t TORVO::GetTracks() {
    if (!Bound) return 0;
    Long value = 0;
    const platform::HResult hr = PlayListIntf->get_Tracks(&value);
    hostlink::CheckRead(hr, "this->get_Tracks((long*)&Value)");
    return value;
}

TTrackInfo TORVO::GetTrackInfo(std::int32_t Index) {
    if (!Bound) return TTrackInfo();
    return PlayList->GetTrackInfo(Index);
}

void TORVO::SetTrackInfo(std::int32_t Index, const TTrackInfo& Info) {
    if (Bound) PlayList->SetTrackInfo(Index, Info);
}

void TORVO::New() {
    if (Bound) PlayListIntf->New();
}

void TORVO::Add(const std::string& Path) {
    if (!Bound) return;
    const OwnedBstr path(ToHost(Path));
    PlayListIntf->Add(path.In());
}

void TORVO::Load(const std::string& Path) {
    if (!Bound) return;
    const OwnedBstr path(ToHost(Path));
    PlayListIntf->Load(path.In());
}

void TORVO::Save(const std::string& Path) {
    if (!Bound) return;
    const OwnedBstr path(ToHost(Path));
    PlayListIntf->Save(path.In());
}

// The display text has no number of its own: `Number` keeps what it held.
TLyrics* TORVO::GetText() {
    if (Bound) {
        HostTextRecord record;
        std::int16_t showAccel = 0;
        std::int16_t option = 0;
        ControlIntf->GetText(record.text.Out(), &record.adjust, &showAccel, &option,
                             record.faceName.Out(), &record.charSet, &record.size, &record.style,
                             &record.color, &record.extra);
        record.showAccel = showAccel != 0;
        record.option = option != 0;
        record.FillIn(*this, *DisplayText, false);
    }
    return DisplayText.get();
}

TLyrics* TORVO::GetLyricsText(std::int32_t Index) {
    return LyricsList->Item(Index);
}
