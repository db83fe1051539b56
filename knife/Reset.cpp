// The configuration's `target`: the device's reset message goes in front of the song, so that it
// starts from a known state, unless the song sends that reset itself.
#include "knife/Rules.h"
#include "smf/Resets.h"

namespace knife {
namespace {

smf::DeviceReset ResetOf(Target target) {
    return target == Target::GM   ? smf::DeviceReset::GmSystemOn
           : target == Target::GS ? smf::DeviceReset::GsReset
                                  : smf::DeviceReset::XgSystemOn;
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

bool IsReset(const Song& song, const Event& event, smf::DeviceReset reset) {
    if (event.isChannel() || event.removed()) return false;
    const LongEvent e = song.longEvent(event);
    return e.status == 0xF0 && smf::ResetIn(e.data, e.size) == reset;
}

}  // namespace

void InsertReset(Song& song, Target target, Report& report) {
    if (target == Target::None || song.tracks.empty()) return;
    const smf::DeviceReset reset = ResetOf(target);
    for (const Track& track : song.tracks) {
        for (const Event& e : track.events) {
            if (IsReset(song, e, reset)) return;
        }
    }
    std::vector<Event>& first = song.tracks.front().events;
    first.insert(first.begin(), song.addLong(0, 0xF0, 0, smf::ResetBytes(reset)));
    report.lines.push_back(std::string("target: ") + NameOf(target) + " reset inserted");
}

}  // namespace knife
