// CC64: the sustain pedal is written out as note lengths, for players and devices that ignore
// the pedal. A key released while the pedal is down sounds on until the pedal goes up, or until
// the same key is struck again.
#include <algorithm>

#include "knife/Rules.h"

namespace knife {
namespace {

struct HeldNote {
    size_t track;
    Event noteOff;
};

// The rule rewrites every track in place while walking the playing order: a track's events are
// written at a write cursor that trails its read cursor, since a held note-off leaves a gap where
// it stood and each pedal message one more. Only a note-off ended in the track that strikes its
// key again lands in another track, which may then need room in front of its unread events. The
// walk therefore runs twice: a dry run that measures that room per track, and the real one.
class SustainWalk {
  public:
    SustainWalk(Song& song, bool dryRun) : song_(song), dryRun_(dryRun) {
        const size_t tracks = song.tracks.size();
        room.assign(tracks, 0);
        read_.assign(tracks, 0);
        write_.assign(tracks, 0);
    }

    // Walks the song; in the real run each track starts `starts[track]` events in (its room).
    void run(const std::vector<size_t>& starts);

    std::vector<size_t> room;  // the dry run's finding: per track, events of room needed
    size_t pedals = 0, lengthened = 0;

  private:
    void put(size_t track, const Event& event);
    void release(HeldNote& note, size_t track, uint32_t tick);

    Song& song_;
    bool dryRun_;
    std::vector<size_t> read_, write_;
    std::array<bool, 16> pedalDown_{};
    std::array<std::vector<HeldNote>, 16> held_;
};

void SustainWalk::put(size_t track, const Event& event) {
    if (dryRun_) {
        if (write_[track] >= read_[track])
            room[track] = std::max(room[track], write_[track] - read_[track] + 1);
        ++write_[track];
        return;
    }
    song_.tracks[track].events[write_[track]++] = event;
}

void SustainWalk::release(HeldNote& note, size_t track, uint32_t tick) {
    if (tick > note.noteOff.tick) ++lengthened;
    note.noteOff.tick = tick;
    put(track, note.noteOff);
}

void SustainWalk::run(const std::vector<size_t>& starts) {
    // A pedal that never goes up holds its notes to the end of the song.
    uint32_t songEnd = 0;
    for (const Track& track : song_.tracks) {
        songEnd = std::max(songEnd, track.endTick);
        if (!track.events.empty()) songEnd = std::max(songEnd, track.events.back().tick);
    }
    PlayingOrder order(song_, PlayingOrder::Forwards, starts);
    for (EventRef at; order.next(&at);) {
        const Event e = song_.tracks[at.track].events[at.index];
        read_[at.track] = at.index + 1;
        if (e.isChannel()) {
            const int ch = e.channel();
            std::vector<HeldNote>& notes = held_[ch];
            if (e.kind() == 0xB0 && e.data1() == 64) {
                ++pedals;
                pedalDown_[ch] = e.data2() >= 64;
                if (!pedalDown_[ch]) {
                    // The held notes end where the pedal goes up, each in its own track.
                    for (HeldNote& note : notes) release(note, note.track, e.tick);
                    notes.clear();
                }
                continue;
            }
            if (e.isNoteOn()) {
                // Striking a held key again ends the held note first, in the striking track so
                // that the note-off is sure to come before the new note-on.
                size_t kept = 0;
                for (HeldNote& note : notes) {
                    if (note.noteOff.data1() == e.data1()) {
                        release(note, at.track, e.tick);
                    } else {
                        notes[kept++] = note;
                    }
                }
                notes.resize(kept);
            } else if (e.isNoteOff() && pedalDown_[ch]) {
                notes.push_back({at.track, e});
                continue;
            }
        }
        put(at.track, e);
    }
    for (std::vector<HeldNote>& notes : held_) {
        for (HeldNote& note : notes) {
            Track& track = song_.tracks[note.track];
            track.endTick = std::max(track.endTick, songEnd);
            release(note, note.track, songEnd);
        }
    }
    if (dryRun_) return;
    for (size_t t = 0; t < song_.tracks.size(); ++t) song_.tracks[t].events.resize(write_[t]);
}

}  // namespace

void ReplaceSustain(Song& song, Report& report) {
    SustainWalk dryRun(song, true);
    dryRun.run({});
    std::vector<size_t> starts(song.tracks.size(), 0);
    for (size_t t = 0; t < song.tracks.size(); ++t) {
        const size_t room = dryRun.room[t];
        if (room == 0) continue;
        // Rare (a key struck again from another track while held): this track alone is
        // reallocated once, at its exact new size.
        std::vector<Event>& events = song.tracks[t].events;
        events.reserve(events.size() + room);
        events.insert(events.begin(), room, Event{0, 0});
        starts[t] = room;
    }
    SustainWalk walk(song, false);
    walk.run(starts);
    AddLine(
        report, "CC64",
        {Count(walk.pedals, "pedal messages removed"), Count(walk.lengthened, "notes lengthened")});
}

}  // namespace knife
