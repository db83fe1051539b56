// Turns a track's stored records into the order they play in: loops unrolled, same-measure
// references replayed, structural records dropped, each playing record with its absolute tick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "rcp/Song.h"

namespace rcp {

// Work allowed for a whole song, shared by its tracks, so that loop bombs end with an Error in
// bounded time whatever their shape.
struct Budget {
    size_t recordVisits = 4'000'000;
    // Below the largest delta a Standard MIDI File can store, with room for the last gate.
    int64_t lastTick = 0x0FF00000;
};

using PlayedRecord = std::function<void(int64_t tick, size_t index, const Record& record)>;

// Plays `track` once through, calling `played` for every record that does something (notes,
// commands, comments; not loop, measure or continuation records). The tick starts at the track's
// start offset and may be negative at first. Raises Error for same-measure references that point
// outside the track or round in a cycle, for nesting too deep, and when `budget` runs out.
void ExpandTrack(const Song& song, const TrackRecord& track, int endlessLoopPasses, Budget& budget,
                 const PlayedRecord& played);

}  // namespace rcp
