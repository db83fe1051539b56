// Turns a track's stored records into the order they play in: loops unrolled, same-measure
// references replayed, structural records dropped, each playing record with its absolute tick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rcp/Song.h"

namespace rcp {

// Work and output allowed for a whole song, shared by its tracks, so that loop bombs end with an
// Error in bounded time and memory whatever their shape. The limits follow the passes asked
// for: each further pass of an endless loop adds what its first pass took (twice the events, as
// a pass may also release the notes of the one before), so that every number of passes converts
// a song that converts at one, its memory in proportion to its output.
struct Budget {
    explicit Budget(int endlessLoopPasses) : passes(endlessLoopPasses) {}
    int passes;
    size_t recordVisits = 0, recordVisitLimit = 4'000'000;
    size_t events = 0, eventLimit = 500'000;  // of the converted file
    // Below the largest delta a Standard MIDI File can store, with room for the last gate.
    int64_t lastTick = 0x0FF00000;
};

// What an Error says when a song reaches a limit (`what` it would pass): the limit and the
// setting it was set for, since the song may be sound and only want fewer passes.
std::string LimitReached(const std::string& what, int endlessLoopPasses);

using PlayedRecord = std::function<void(int64_t tick, size_t index, const Record& record)>;

// What happens to an endless loop (count 0, or 255 which songs use the same way) once it has
// played its passes.
enum class EndlessLoops {
    Leave,       // the track goes on after the loop
    KeepPlaying  // the loop repeats for as long as the track is played
};

// Plays one track, in steps the caller chooses: each call goes on where the last one stopped.
// The tick starts at the track's start offset and may be negative at first.
class TrackExpander {
  public:
    TrackExpander(const Song& song, const TrackRecord& track, int endlessLoopPasses,
                  EndlessLoops endless, Budget& budget);

    // Calls `played` for every record that does something (notes, commands, comments; not loop,
    // measure or continuation records) until the track ends or the next record lies at or after
    // `stopTick`; with `pauseAfterPasses`, also as soon as an endless loop has played its passes
    // for the first time. Raises Error for same-measure references that point outside the track
    // or round in a cycle, for nesting too deep, and when the budget runs out.
    void Play(int64_t stopTick, bool pauseAfterPasses, const PlayedRecord& played);

    bool ended() const { return ended_; }
    int64_t tick() const { return tick_; }  // the track's clock, rests included
    // Where the passes of the endless loop last completed ended, and where its last pass began.
    struct Passes {
        int64_t start = 0;
        int64_t end = 0;
    };
    const std::optional<Passes>& passes() const { return passes_; }

  private:
    struct Loop {
        size_t bodyStart = 0;
        std::optional<int> passesLeft;  // unknown until the loop end is first reached
        std::optional<size_t> returnPoint;
        bool endless = false;
        int64_t passStart = 0;
        size_t visitsAtStart = 0, eventsAtStart = 0;  // of the budget, where it began
        size_t firstPassVisits = 0, firstPassEvents = 0;
    };

    std::string Where(size_t position) const;
    std::string WorkLimit() const;
    std::string TimeLimit() const;
    size_t EndMeasure(size_t position);
    std::optional<size_t> Target(const Record& record) const;
    size_t SameMeasure(size_t position, const Record& record);
    size_t LoopEnd(size_t position, const Record& record);

    const Song& song_;
    const TrackRecord& track_;
    const int endlessLoopPasses_;
    const EndlessLoops endless_;
    Budget& budget_;
    std::vector<Loop> loops_;
    std::optional<size_t> returnPoint_;
    size_t position_ = 0;
    int64_t tick_ = 0;
    bool ended_ = false;
    bool pause_ = false;
    std::optional<Passes> passes_;
    std::vector<bool> inChain_;  // records of the same-measure chain being followed
};

}  // namespace rcp
