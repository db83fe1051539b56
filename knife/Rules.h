// The post-processor's rules, each in its own file, run by Process in this order: the MT-32
// rendering for the target device, directives
// (drop, transpose, velocity, program) on the song's own channels, the rhythm merge, channel
// moves, bank selects, the sustain pedal, the device reset. Each rule edits the song in place
// (removing events by marking them, Process compacts) and adds a report line when it changed
// something. No rule holds a copy of the song or anything per event beyond the song itself.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "knife/Config.h"
#include "knife/Knife.h"
#include "knife/Song.h"

namespace knife {

using ChannelSet = std::array<bool, 16>;  // 0-based channels

// Where an event sits: its track and its index in that track.
struct EventRef {
    size_t track;
    size_t index;
};

// Walks every event of every track in playing order: by tick, then by track, then by position
// (or exactly the reverse). Rules that follow a channel across the tracks of a format 1 file walk
// this order. A merge of the tracks, which are already in tick order: it holds one cursor per
// track, never a list of all events. `starts` gives each track's first index when not 0.
class PlayingOrder {
  public:
    enum Direction { Forwards, Backwards };
    explicit PlayingOrder(const Song& song, Direction direction = Forwards,
                          const std::vector<size_t>& starts = {});
    // The next event's place; false when every event has been walked. The event may be changed
    // or removed before the next call, but not its tick.
    bool next(EventRef* at);

  private:
    struct Cursor {
        uint32_t tick;
        size_t track;
    };
    bool before(const Cursor& a, const Cursor& b) const;
    void push(size_t track);

    const Song& song_;
    Direction direction_;
    std::vector<size_t> index_;  // per track, the next event to walk (backwards: one past it)
    std::vector<Cursor> heap_;
};

// Which parts play rhythm, and when. A channel the configuration lists is a rhythm part for the
// whole song; a part the song declares with the GS "use for rhythm part" message is one from the
// declaration's tick (inclusive) until a later message returns it to a normal part. Channel 10
// itself is never counted: it needs no merge.
class RhythmParts {
  public:
    RhythmParts(const Song& song, const Config& config);
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
    bool isRhythm(const Event& channelEvent);

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
std::optional<RhythmPartMessage> ReadRhythmPartMessage(const Song& song, const Event& event);

// Report lines: "RULE: part, part" from the non-empty parts; nothing when all are empty.
void AddLine(Report& report, const std::string& rule, const std::vector<std::string>& parts);
// "N what", or nothing when N is 0.
std::string Count(size_t n, const std::string& what);

// Renders a song that sends MT-32 data sets for `target` (XG as GM), its bytes then in `storage`.
void RenderMt32(Song& song, Target target, std::vector<uint8_t>& storage, Report& report);
void ApplyDirectives(Song& song, const Config& config, const RhythmParts& rhythm, Report& report);
void MergeRhythm(Song& song, const RhythmParts& rhythm, Report& report);
void MoveChannels(Song& song, const Config& config, Report& report);
void HandleBankSelects(Song& song, bool removeAll, Report& report);
void ReplaceSustain(Song& song, Report& report);
void InsertReset(Song& song, Target target, Report& report);

}  // namespace knife
