// CC64: the sustain pedal is written out as note lengths, for players and devices that ignore
// the pedal. A key released while the pedal is down sounds on until the pedal goes up, or until
// the same key is struck again.
#include <algorithm>

#include "knife/Rules.h"

namespace knife {
namespace {

// An event of the new file with its place: the playing-order position of the event it stands
// at, and whether it goes just before that event (0) or is that event (1).
struct Placed {
    size_t position;
    int before;
    smf::Event event;
};

struct HeldNote {
    size_t track;
    smf::Event noteOff;
};

bool IsNoteOff(const smf::Event& e) {
    return e.kind() == 0x80 || (e.kind() == 0x90 && e.data[1] == 0);
}

}  // namespace

void ReplaceSustain(smf::File& file, Report& report) {
    const std::vector<EventRef> order = PlayingOrder(file);
    std::vector<std::vector<Placed>> placed(file.tracks.size());
    std::array<bool, 16> pedalDown{};
    std::array<std::vector<HeldNote>, 16> held;
    size_t pedals = 0, lengthened = 0;

    auto release = [&](HeldNote& note, size_t track, uint32_t tick, size_t position) {
        if (tick > note.noteOff.tick) ++lengthened;
        note.noteOff.tick = tick;
        placed[track].push_back({position, 0, std::move(note.noteOff)});
    };

    for (size_t pos = 0; pos < order.size(); ++pos) {
        const EventRef ref = order[pos];
        smf::Event& e = file.tracks[ref.track].events[ref.index];
        if (e.isChannel()) {
            const int ch = e.channel();
            std::vector<HeldNote>& notes = held[ch];
            if (e.kind() == 0xB0 && e.data[0] == 64) {
                ++pedals;
                pedalDown[ch] = e.data[1] >= 64;
                if (!pedalDown[ch]) {
                    // The held notes end where the pedal goes up, each in its own track.
                    for (HeldNote& note : notes) release(note, note.track, e.tick, pos);
                    notes.clear();
                }
                continue;
            }
            if (e.kind() == 0x90 && e.data[1] > 0) {
                // Striking a held key again ends the held note first, in the striking track so
                // that the note-off is sure to come before the new note-on.
                std::vector<HeldNote> still;
                for (HeldNote& note : notes) {
                    if (note.noteOff.data[0] == e.data[0]) {
                        release(note, ref.track, e.tick, pos);
                    } else {
                        still.push_back(std::move(note));
                    }
                }
                notes = std::move(still);
            } else if (IsNoteOff(e) && pedalDown[ch]) {
                notes.push_back({ref.track, std::move(e)});
                continue;
            }
        }
        placed[ref.track].push_back({pos, 1, std::move(e)});
    }

    // A pedal that never goes up holds its notes to the end of the song.
    uint32_t songEnd = 0;
    for (const smf::Track& track : file.tracks) {
        songEnd = std::max(songEnd, track.endTick);
        if (!track.events.empty()) songEnd = std::max(songEnd, track.events.back().tick);
    }
    for (std::vector<HeldNote>& notes : held) {
        for (HeldNote& note : notes) {
            file.tracks[note.track].endTick = std::max(file.tracks[note.track].endTick, songEnd);
            release(note, note.track, songEnd, order.size());
        }
    }

    for (size_t t = 0; t < file.tracks.size(); ++t) {
        std::vector<Placed>& events = placed[t];
        std::stable_sort(events.begin(), events.end(), [](const Placed& a, const Placed& b) {
            if (a.event.tick != b.event.tick) return a.event.tick < b.event.tick;
            if (a.position != b.position) return a.position < b.position;
            return a.before < b.before;
        });
        file.tracks[t].events.clear();
        for (Placed& p : events) file.tracks[t].events.push_back(std::move(p.event));
    }
    AddLine(report, "CC64",
            {Count(pedals, "pedal messages removed"), Count(lengthened, "notes lengthened")});
}

}  // namespace knife
