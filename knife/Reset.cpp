// The configuration's `target`: the device's reset message goes in front of the song, so that it
// starts from a known state, unless the song sends that reset itself.
#include "knife/Rules.h"

namespace knife {
namespace {

// The bytes after F0, as the model holds a system exclusive message.
std::vector<uint8_t> ResetOf(Target target) {
    switch (target) {
        case Target::GM:
            return {0x7E, 0x7F, 0x09, 0x01, 0xF7};
        case Target::GS:
            return {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
        case Target::XG:
            return {0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
        case Target::None:
            break;
    }
    return {};
}

const char* NameOf(Target target) {
    switch (target) {
        case Target::GM:
            return "GM";
        case Target::GS:
            return "GS";
        case Target::XG:
            return "XG";
        case Target::None:
            break;
    }
    return "none";
}

// The same reset sent to any device number (and, for GS, with any checksum byte).
bool IsReset(const Song& song, const Event& event, Target target,
             const std::vector<uint8_t>& reset) {
    if (event.isChannel() || event.removed()) return false;
    const LongEvent e = song.longEvent(event);
    if (e.status != 0xF0 || e.size != reset.size()) return false;
    for (size_t i = 0; i < reset.size(); ++i) {
        const bool deviceByte = i == 1;
        const bool checksum = target == Target::GS && i == 8;
        if (deviceByte) {
            if (target == Target::XG ? (e.data[i] & 0xF0) != 0x10 : false) return false;
            continue;
        }
        if (!checksum && e.data[i] != reset[i]) return false;
    }
    return true;
}

}  // namespace

void InsertReset(Song& song, Target target, Report& report) {
    if (target == Target::None || song.tracks.empty()) return;
    const std::vector<uint8_t> reset = ResetOf(target);
    for (const Track& track : song.tracks) {
        for (const Event& e : track.events) {
            if (IsReset(song, e, target, reset)) return;
        }
    }
    std::vector<Event>& first = song.tracks.front().events;
    first.insert(first.begin(), song.addLong(0, 0xF0, 0, reset));
    report.lines.push_back(std::string("target: ") + NameOf(target) + " reset inserted");
}

}  // namespace knife
