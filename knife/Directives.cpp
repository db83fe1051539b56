// The configuration's per-channel directives. They name the song's own channels, so they run
// before the rhythm merge and the channel moves change them.
#include <string>

#include "knife/Rules.h"

namespace knife {
namespace {

bool IsNote(const smf::Event& e) {
    return e.kind() == 0x80 || e.kind() == 0x90 || e.kind() == 0xA0;
}

struct Counts {
    size_t sysEx = 0, aftertouch = 0, pitchBend = 0;
    size_t transposed = 0, outOfRange = 0, velocities = 0, programs = 0;
};

// Returns false when the event goes.
bool Apply(smf::Event& e, const Config& config, bool noTranspose, Counts& counts) {
    if (e.status == 0xF0 || e.status == 0xF7) {
        if (config.dropSysEx) ++counts.sysEx;
        return !config.dropSysEx;
    }
    if (!e.isChannel()) return true;
    const int ch = e.channel();
    if ((e.kind() == 0xA0 || e.kind() == 0xD0) && config.dropAftertouch[ch]) {
        ++counts.aftertouch;
        return false;
    }
    if (e.kind() == 0xE0 && config.dropPitchBend[ch]) {
        ++counts.pitchBend;
        return false;
    }
    const bool noteOn = e.kind() == 0x90 && e.data[1] > 0;
    if (IsNote(e) && config.transpose[ch] != 0 && !noTranspose) {
        const int key = e.data[0] + config.transpose[ch];
        if (key < 0 || key > 127) {
            // Every message of a key that leaves the range goes, its note-off included, so no
            // note is left hanging.
            if (noteOn) ++counts.outOfRange;
            return false;
        }
        e.data[0] = static_cast<uint8_t>(key);
        if (noteOn) ++counts.transposed;
    }
    if (noteOn && config.velocityPercent[ch] != 100) {
        const int scaled = (e.data[1] * config.velocityPercent[ch] + 50) / 100;
        e.data[1] = static_cast<uint8_t>(scaled < 1 ? 1 : scaled > 127 ? 127 : scaled);
        ++counts.velocities;
    }
    if (e.kind() == 0xC0) {
        const uint8_t to = config.program[ch][e.data[0]];
        if (to != e.data[0]) {
            e.data[0] = to;
            ++counts.programs;
        }
    }
    return true;
}

}  // namespace

void ApplyDirectives(smf::File& file, const Config& config, const RhythmParts& rhythm,
                     Report& report) {
    // Rhythm channels are never transposed: channel 10, a rhythm part while it is one, and a
    // channel that a `channel` directive sends to channel 10.
    RhythmFollower follower(rhythm);
    std::vector<std::vector<bool>> doomed(file.tracks.size());
    for (size_t t = 0; t < file.tracks.size(); ++t) doomed[t].resize(file.tracks[t].events.size());
    Counts counts;
    for (const EventRef& ref : PlayingOrder(file)) {
        smf::Event& e = file.tracks[ref.track].events[ref.index];
        const bool noTranspose =
            e.isChannel() &&
            (e.channel() == 9 || config.channelTo[e.channel()] == 9 || follower.isRhythm(e));
        if (!Apply(e, config, noTranspose, counts)) doomed[ref.track][ref.index] = true;
    }
    RemoveDoomed(file, doomed);
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

void MoveChannels(smf::File& file, const Config& config, Report& report) {
    size_t moved = 0;
    for (smf::Track& track : file.tracks) {
        for (smf::Event& e : track.events) {
            if (!e.isChannel()) continue;
            const int to = config.channelTo[e.channel()];
            if (to == e.channel()) continue;
            e.status = static_cast<uint8_t>(e.kind() | to);
            ++moved;
        }
    }
    AddLine(report, "channel", {Count(moved, "messages moved to another channel")});
}

}  // namespace knife
