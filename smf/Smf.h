// The Standard MIDI File model shared by the song converter and the post-processor: a file is a
// format, a division and tracks of events at absolute ticks. Pure data and bytes: no file system,
// no platform calls, so that the same code runs in the DLLs, the command line and the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace smf {

// One event at an absolute tick. End-of-track is not an event of the model: a track's end is
// `Track::endTick`, and the writer always closes every track with its end-of-track event.
struct Event {
    uint32_t tick = 0;
    // 0x80..0xEF: a channel message (`data` holds its 1 or 2 data bytes);
    // 0xFF: a meta event of type `metaType` (`data` is its payload);
    // 0xF0: a system exclusive message (`data` holds the bytes after F0, F7 included);
    // 0xF7: an escape / continuation packet (`data` holds its bytes as stored).
    uint8_t status = 0;
    uint8_t metaType = 0;
    std::vector<uint8_t> data;

    int channel() const { return status & 0x0F; }  // channel messages only
    int kind() const { return status & 0xF0; }     // 0x80 note off ... 0xE0 pitch bend
    bool isChannel() const { return status >= 0x80 && status < 0xF0; }
    bool isMeta() const { return status == 0xFF; }
    bool isSysEx() const { return status == 0xF0 || status == 0xF7; }
};

struct Track {
    std::vector<Event> events;  // ticks never decrease
    uint32_t endTick = 0;       // the end-of-track time; the writer uses max(endTick, last tick)
};

struct File {
    uint16_t format = 1;
    uint16_t division = 480;  // ticks per quarter note (SMPTE divisions are kept as read)
    std::vector<Track> tracks;
};

// Raised by the reader for anything that is not a well-formed Standard MIDI File, and by the
// writer for a model it cannot encode (ticks out of order, a value out of range).
class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Encodes `file` as a Standard MIDI File (running status for channel messages, an end-of-track
// event closing every track).
std::vector<uint8_t> Write(const File& file);

// Decodes a Standard MIDI File that starts with "MThd" at `data[0]`. Unknown chunks are skipped;
// a track that stops without its end-of-track event, a length past the end of the data, a
// running status with no status before it, or a track count that does not match raise
// FormatError with a short English reason. Bounded work: never reads past `size`.
// Strict: smf/Codec.h offers the lenient reading the post-processor uses.
File Read(const uint8_t* data, size_t size);
inline File Read(const std::vector<uint8_t>& bytes) {
    return Read(bytes.data(), bytes.size());
}

}  // namespace smf
