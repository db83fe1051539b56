// The post-processor's rules, each in its own file, run by Process in this order: directives
// (drop, transpose, velocity, program) on the song's own channels, the rhythm merge, channel
// moves, bank selects, the sustain pedal, the device reset. Each rule edits the model in place
// and adds a report line when it changed something.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "knife/Config.h"
#include "knife/Knife.h"
#include "smf/Smf.h"

namespace knife {

using ChannelSet = std::array<bool, 16>;  // 0-based channels

// Where an event sits: its track and its index in that track.
struct EventRef {
    size_t track;
    size_t index;
};

// Every event of every track in playing order: by tick, then by track, then by position. Rules
// that follow a channel across the tracks of a format 1 file walk this order.
std::vector<EventRef> PlayingOrder(const smf::File& file);

// The channels that carry a rhythm part: those the song declares with the GS "use for rhythm
// part" message and those the configuration lists. Channel 10 itself is not included.
ChannelSet RhythmChannels(const smf::File& file, const Config& config);

// Whether `event` is the GS "use for rhythm part" message setting a part to a drum map; gives the
// part's 0-based channel.
bool IsRhythmPartMessage(const smf::Event& event, int* channel);

// Report lines: "RULE: part, part" from the non-empty parts; nothing when all are empty.
void AddLine(Report& report, const std::string& rule, const std::vector<std::string>& parts);
// "N what", or nothing when N is 0.
std::string Count(size_t n, const std::string& what);

void ApplyDirectives(smf::File& file, const Config& config, const ChannelSet& rhythm,
                     Report& report);
void MergeRhythm(smf::File& file, const ChannelSet& rhythm, Report& report);
void MoveChannels(smf::File& file, const Config& config, Report& report);
void HandleBankSelects(smf::File& file, bool removeAll, Report& report);
void ReplaceSustain(smf::File& file, Report& report);
void InsertReset(smf::File& file, Target target, Report& report);

}  // namespace knife
