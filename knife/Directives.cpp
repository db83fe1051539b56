// The configuration's per-channel directives. They name the song's own channels, so they run
// before the rhythm merge and the channel moves change them.
#include <string>

#include "knife/Rules.h"

namespace knife {
namespace {

bool IsNote(const Event& e) {
    return e.kind() == 0x80 || e.kind() == 0x90 || e.kind() == 0xA0;
}

struct Counts {
    size_t sysEx = 0, aftertouch = 0, pitchBend = 0;
    size_t transposed = 0, outOfRange = 0, velocities = 0, programs = 0;
};

// Returns false when the event goes.
bool Apply(const Song& song, Event& e, const Config& config, bool noTranspose, Counts& counts) {
    if (!e.isChannel()) {
        if (!config.dropSysEx || song.longEvent(e).status == 0xFF) return true;
        ++counts.sysEx;
        return false;
    }
    const int ch = e.channel();
    if ((e.kind() == 0xA0 || e.kind() == 0xD0) && config.dropAftertouch[ch]) {
        ++counts.aftertouch;
        return false;
    }
    if (e.kind() == 0xE0 && config.dropPitchBend[ch]) {
        ++counts.pitchBend;
        return false;
    }
    const bool noteOn = e.isNoteOn();
    if (IsNote(e) && config.transpose[ch] != 0 && !noTranspose) {
        const int key = e.data1() + config.transpose[ch];
        if (key < 0 || key > 127) {
            // Every message of a key that leaves the range goes, its note-off included, so no
            // note is left hanging.
            if (noteOn) ++counts.outOfRange;
            return false;
        }
        e.setData1(key);
        if (noteOn) ++counts.transposed;
    }
    if (noteOn && config.velocityPercent[ch] != 100) {
        const int scaled = (e.data2() * config.velocityPercent[ch] + 50) / 100;
        e.setData2(scaled < 1 ? 1 : scaled > 127 ? 127 : scaled);
        ++counts.velocities;
    }
    if (e.kind() == 0xC0) {
        const uint8_t to = config.program[ch][e.data1()];
        if (to != e.data1()) {
            e.setData1(to);
            ++counts.programs;
        }
    }
    return true;
}

}  // namespace

void ApplyDirectives(Song& song, const Config& config, const RhythmParts& rhythm, Report& report) {
    // Rhythm channels are never transposed: channel 10, a rhythm part while it is one, and a
    // channel that a `channel` directive sends to channel 10.
    RhythmFollower follower(rhythm);
    Counts counts;
    PlayingOrder order(song);
    for (EventRef at; order.next(&at);) {
        Event& e = song.tracks[at.track].events[at.index];
        const bool noTranspose =
            e.isChannel() &&
            (e.channel() == 9 || config.channelTo[e.channel()] == 9 || follower.isRhythm(e));
        if (!Apply(song, e, config, noTranspose, counts)) e.remove();
    }
    AddLine(report, "drop",
            {Count(counts.sysEx, "SysEx messages removed"),
             Count(counts.aftertouch, "aftertouch messages removed"),
             Count(counts.pitchBend, "pitch bend messages removed")});
    AddLine(report, "transpose",
            {Count(counts.transposed, "notes transposed"),
             Count(counts.outOfRange, "notes out of range removed")});
    AddLine(report, "velocity", {Count(counts.velocities, "note-on velocities scaled")});
    AddLine(report, "program", {Count(counts.programs, "program changes mapped")});
}

void MoveChannels(Song& song, const Config& config, Report& report) {
    size_t moved = 0;
    for (Track& track : song.tracks) {
        for (Event& e : track.events) {
            if (!e.isChannel()) continue;
            const int to = config.channelTo[e.channel()];
            if (to == e.channel()) continue;
            e.setStatus(e.kind() | to);
            ++moved;
        }
    }
    AddLine(report, "channel", {Count(moved, "messages moved to another channel")});
}

}  // namespace knife
