// Ch10: rhythm parts played on other channels are merged into channel 10, the channel every
// General MIDI device keeps for its drum kit.
#include <algorithm>
#include <tuple>

#include "knife/Rules.h"

namespace knife {
namespace {

bool IsNoteRelease(const smf::Event& e) {
    return e.kind() == 0x80 || (e.kind() == 0x90 && e.data[1] == 0);
}

}  // namespace

std::optional<RhythmPartMessage> ReadRhythmPartMessage(const smf::Event& e) {
    // F0 41 dev 42 12 40 1x 15 vv sum F7: part x uses drum map vv (0 = a normal part).
    const auto& d = e.data;
    if (e.status != 0xF0 || d.size() != 10 || d[0] != 0x41 || d[2] != 0x42 || d[3] != 0x12 ||
        d[4] != 0x40 || (d[5] & 0xF0) != 0x10 || d[6] != 0x15 || d[9] != 0xF7 || d[7] > 2) {
        return std::nullopt;
    }
    // Parts count 10, 1..9, 11..16: part number 0 is channel 10.
    const int part = d[5] & 0x0F;
    return RhythmPartMessage{part == 0 ? 9 : part <= 9 ? part - 1 : part, d[7] != 0};
}

RhythmParts::RhythmParts(const smf::File& file, const Config& config) : configured_(config.rhythm) {
    configured_[9] = false;
    // (tick, track, index, channel, rhythm): sorted, this is the switches' playing order.
    std::vector<std::tuple<uint32_t, size_t, size_t, int, bool>> found;
    for (size_t t = 0; t < file.tracks.size(); ++t) {
        const std::vector<smf::Event>& events = file.tracks[t].events;
        for (size_t i = 0; i < events.size(); ++i) {
            if (const auto message = ReadRhythmPartMessage(events[i])) {
                if (message->channel != 9)
                    found.emplace_back(events[i].tick, t, i, message->channel, message->rhythm);
            }
        }
    }
    std::sort(found.begin(), found.end());
    for (const auto& [tick, track, index, channel, rhythm] : found)
        switches_[channel].emplace_back(tick, rhythm);
}

bool RhythmParts::at(int channel, uint32_t tick) const {
    if (configured_[channel]) return true;
    const auto& switches = switches_[channel];
    // The last switch at or before `tick`: several at one tick leave the last one standing.
    const auto after = std::upper_bound(
        switches.begin(), switches.end(), tick,
        [](uint32_t t, const std::pair<uint32_t, bool>& s) { return t < s.first; });
    return after != switches.begin() && std::prev(after)->second;
}

bool RhythmParts::ever(int channel) const {
    const auto& switches = switches_[channel];
    return configured_[channel] ||
           std::any_of(switches.begin(), switches.end(), [](const auto& s) { return s.second; });
}

bool RhythmFollower::isRhythm(const smf::Event& e) {
    const int ch = e.channel();
    const int kind = e.kind();
    if (kind != 0x80 && kind != 0x90 && kind != 0xA0) return parts_.at(ch, e.tick);
    std::optional<bool>& struck = struck_[ch][e.data[0] & 0x7F];
    if (kind == 0x90 && !IsNoteRelease(e)) {
        struck = parts_.at(ch, e.tick);
        return *struck;
    }
    const bool rhythm = struck ? *struck : parts_.at(ch, e.tick);
    if (IsNoteRelease(e)) struck.reset();
    return rhythm;
}

void MergeRhythm(smf::File& file, const RhythmParts& rhythm, Report& report) {
    RhythmFollower follower(rhythm);
    std::vector<std::vector<bool>> doomed(file.tracks.size());
    for (size_t t = 0; t < file.tracks.size(); ++t) doomed[t].resize(file.tracks[t].events.size());
    size_t notes = 0, removed = 0, sysEx = 0;
    for (const EventRef& ref : PlayingOrder(file)) {
        smf::Event& e = file.tracks[ref.track].events[ref.index];
        if (const auto message = ReadRhythmPartMessage(e)) {
            // The declaration goes with the part it declares; a return to a normal part stays.
            if (message->rhythm && message->channel != 9) {
                doomed[ref.track][ref.index] = true;
                ++sysEx;
            }
        } else if (e.isChannel() && follower.isRhythm(e)) {
            const int kind = e.kind();
            if (kind == 0x80 || kind == 0x90 || kind == 0xA0) {
                e.status = static_cast<uint8_t>(kind | 9);
                if (kind == 0x90 && e.data[1] > 0) ++notes;
            } else if (kind == 0xB0 || kind == 0xC0) {
                // The moved part's program, bank and controllers would clobber the kit.
                doomed[ref.track][ref.index] = true;
                ++removed;
            }
        }
    }
    RemoveDoomed(file, doomed);
    std::string channels;
    for (int ch = 0; ch < 16; ++ch) {
        if (rhythm.ever(ch)) channels += (channels.empty() ? "" : " ") + std::to_string(ch + 1);
    }
    if (notes || removed || sysEx) {
        AddLine(
            report, "Ch10",
            {"rhythm channels " + channels + " merged into channel 10", Count(notes, "notes moved"),
             Count(removed, "program, bank and controller messages removed"),
             Count(sysEx, "rhythm part SysEx removed")});
    }
}

}  // namespace knife
