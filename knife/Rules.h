// The post-processor's rules, each in its own file, run by Process in this order: directives
// (drop, transpose, velocity, program) on the song's own channels, the rhythm merge, channel
// moves, bank selects, the sustain pedal, the device reset. Each rule edits the model in place
// and adds a report line when it changed something.
#pragma once

#include <array>
#include <optional>
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

// Removes the events marked in `doomed` (one flag per event of each track).
void RemoveDoomed(smf::File& file, const std::vector<std::vector<bool>>& doomed);

// Which parts play rhythm, and when. A channel the configuration lists is a rhythm part for the
// whole song; a part the song declares with the GS "use for rhythm part" message is one from the
// declaration's tick (inclusive) until a later message returns it to a normal part. Channel 10
// itself is never counted: it needs no merge.
class RhythmParts {
  public:
    RhythmParts(const smf::File& file, const Config& config);
    bool at(int channel, uint32_t tick) const;
    bool ever(int channel) const;  // at any time of the song

  private:
    ChannelSet configured_;
    // Per channel, the song's switches in playing order: (tick, rhythm from then on).
    std::array<std::vector<std::pair<uint32_t, bool>>, 16> switches_;
};

// Answers, for each channel event walked in playing order, whether it belongs to a rhythm part.
// A note's release and aftertouch follow the note's onset, so a note that straddles a declaration
// is moved (or kept) whole and never left sounding on a channel that gets no note-off.
class RhythmFollower {
  public:
    explicit RhythmFollower(const RhythmParts& parts) : parts_(parts) {}
    bool isRhythm(const smf::Event& channelEvent);

  private:
    const RhythmParts& parts_;
    // Per channel and key, whether a sounding note was struck as rhythm; empty when silent.
    std::array<std::array<std::optional<bool>, 128>, 16> struck_{};
};

// The GS "use for rhythm part" message: the part's 0-based channel and whether it is set to a
// drum map (true) or back to a normal part (false).
struct RhythmPartMessage {
    int channel;
    bool rhythm;
};
std::optional<RhythmPartMessage> ReadRhythmPartMessage(const smf::Event& event);

// Report lines: "RULE: part, part" from the non-empty parts; nothing when all are empty.
void AddLine(Report& report, const std::string& rule, const std::vector<std::string>& parts);
// "N what", or nothing when N is 0.
std::string Count(size_t n, const std::string& what);

void ApplyDirectives(smf::File& file, const Config& config, const RhythmParts& rhythm,
                     Report& report);
void MergeRhythm(smf::File& file, const RhythmParts& rhythm, Report& report);
void MoveChannels(smf::File& file, const Config& config, Report& report);
void HandleBankSelects(smf::File& file, bool removeAll, Report& report);
void ReplaceSustain(smf::File& file, Report& report);
void InsertReset(smf::File& file, Target target, Report& report);

}  // namespace knife
