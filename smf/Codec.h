// The event-level reading and writing beneath the SMF model, for a model of its own (the
// post-processor keeps events in eight bytes each): the reader hands over each event where it
// lies in the file, the writer takes events one by one. smf::Read and smf::Write are built on the
// same two, so every model is read and written by the same code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "smf/Smf.h"

namespace smf {

// One event as it lies in the file.
struct RawEvent {
    uint32_t tick = 0;
    uint8_t status = 0;             // as in Event
    uint8_t metaType = 0;           // meta events only
    const uint8_t* data = nullptr;  // channel data bytes or the payload, inside the file
    uint32_t size = 0;
    const uint8_t* start = nullptr;  // a meta or system exclusive event's status byte
};

struct TrackChunk {
    const uint8_t* begin;
    const uint8_t* end;
};

// The header's values and the track chunks present.
struct Layout {
    uint16_t format = 1;
    uint16_t division = 480;
    size_t tracksAnnounced = 0;
    std::vector<TrackChunk> tracks;
};

// Strict reading refuses what a lenient one mends: a header announcing more tracks than the file
// holds (the tracks present are used, `tracks.size() < tracksAnnounced`), a last track chunk
// whose length runs past the end of the file (it ends there), and a track without its
// end-of-track event (it ends at its last event). Anything else malformed raises FormatError
// either way.
enum class Reading { Strict, Lenient };

Layout ReadLayout(const uint8_t* data, size_t size, Reading reading);

// Hands each event of one track chunk to `onEvent`, in order, and returns the track's end tick.
// `endSupplied`, when given, tells whether a lenient read supplied the missing end-of-track.
uint32_t ReadTrackEvents(const TrackChunk& chunk, Reading reading,
                         const std::function<void(const RawEvent&)>& onEvent,
                         bool* endSupplied = nullptr);

// Decodes the meta or system exclusive event whose status byte is at `start`, bounded by `end`
// (its tick is left 0). Raises FormatError.
RawEvent ReadLongEvent(const uint8_t* start, const uint8_t* end);

// A variable-length quantity's bytes in `out`, most significant group first; returns how many
// (1 to 4). Raises FormatError for a value above 0x0FFFFFFF.
int EncodeNumber(uint32_t value, uint8_t out[4]);

// Appends the MThd chunk, after checking that the values can be written.
void PutHeader(std::vector<uint8_t>& out, uint16_t format, size_t trackCount, uint16_t division);

// Encodes one MTrk chunk event by event at the end of `out` (running status for channel
// messages; meta and system exclusive events cancel it; an end-of-track event given in the middle
// is dropped, the chunk gets one at its end). With `out` null it only counts the bytes, so that a
// caller can size its buffer exactly before writing. Raises FormatError for what the format
// cannot hold.
class TrackWriter {
  public:
    TrackWriter(std::vector<uint8_t>* out, size_t trackIndex);
    void add(uint32_t tick, uint8_t status, uint8_t metaType, const uint8_t* data, size_t size);
    // Closes the chunk with its end-of-track event at max(endTick, the last tick); returns the
    // chunk's size in bytes, its tag and length included.
    size_t finish(uint32_t endTick);

  private:
    void put(uint8_t byte);
    void put(const uint8_t* bytes, size_t count);
    void putNumber(uint32_t value);
    void putLengthAndData(const uint8_t* data, size_t size);

    std::vector<uint8_t>* out_;
    size_t trackIndex_;
    size_t start_ = 0;     // where the chunk starts in `out`
    size_t bodySize_ = 0;  // bytes after the chunk's length field
    uint32_t previousTick_ = 0;
    int runningStatus_ = -1;
};

}  // namespace smf
