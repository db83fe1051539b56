// Ch10: rhythm parts played on other channels are merged into channel 10, the channel every
// General MIDI device keeps for its drum kit.
#include <algorithm>

#include "knife/Rules.h"

namespace knife {
std::optional<RhythmPartMessage> ReadRhythmPartMessage(const Song& song, const Event& e) {
    if (e.isChannel() || e.removed()) return std::nullopt;
    // F0 41 dev 42 12 40 1x 15 vv sum F7: part x uses drum map vv (0 = a normal part).
    const LongEvent message = song.longEvent(e);
    const uint8_t* d = message.data;
    if (message.status != 0xF0 || message.size != 10 || d[0] != 0x41 || d[2] != 0x42 ||
        d[3] != 0x12 || d[4] != 0x40 || (d[5] & 0xF0) != 0x10 || d[6] != 0x15 || d[9] != 0xF7 ||
        d[7] > 2) {
        return std::nullopt;
    }
    // Parts count 10, 1..9, 11..16: part number 0 is channel 10.
    const int part = d[5] & 0x0F;
    return RhythmPartMessage{part == 0 ? 9 : part <= 9 ? part - 1 : part, d[7] != 0};
}

RhythmParts::RhythmParts(const Song& song, const Config& config) : configured_(config.rhythm) {
    configured_[9] = false;
    PlayingOrder order(song);
    for (EventRef at; order.next(&at);) {
        const Event& e = song.tracks[at.track].events[at.index];
        if (const auto message = ReadRhythmPartMessage(song, e)) {
            if (message->channel != 9)
                switches_[message->channel].emplace_back(e.tick, message->rhythm);
        }
    }
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

bool RhythmFollower::isRhythm(const Event& e) {
    const int ch = e.channel();
    const int kind = e.kind();
    if (kind != 0x80 && kind != 0x90 && kind != 0xA0) return parts_.at(ch, e.tick);
    std::optional<bool>& struck = struck_[ch][e.data1()];
    if (e.isNoteOn()) {
        struck = parts_.at(ch, e.tick);
        return *struck;
    }
    const bool rhythm = struck ? *struck : parts_.at(ch, e.tick);
    if (e.isNoteOff()) struck.reset();
    return rhythm;
}

void MergeRhythm(Song& song, const RhythmParts& rhythm, Report& report) {
    RhythmFollower follower(rhythm);
    size_t notes = 0, removed = 0, sysEx = 0;
    PlayingOrder order(song);
    for (EventRef at; order.next(&at);) {
        Event& e = song.tracks[at.track].events[at.index];
        if (const auto message = ReadRhythmPartMessage(song, e)) {
            // The declaration goes with the part it declares; a return to a normal part stays.
            if (message->rhythm && message->channel != 9) {
                e.remove();
                ++sysEx;
            }
        } else if (e.isChannel() && follower.isRhythm(e)) {
            const int kind = e.kind();
            if (kind == 0x80 || kind == 0x90 || kind == 0xA0) {
                if (e.isNoteOn()) ++notes;
                e.setStatus(kind | 9);
            } else if (kind == 0xB0 || kind == 0xC0) {
                // The moved part's program, bank and controllers would clobber the kit.
                e.remove();
                ++removed;
            }
        }
    }
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
