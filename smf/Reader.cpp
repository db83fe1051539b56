// Decoding of a Standard MIDI File into the model. Every read is checked against the end of its
// chunk, so a damaged or hostile file costs at most one pass over its bytes.
#include <cstring>
#include <limits>

#include "smf/Smf.h"

namespace smf {
namespace {

uint32_t BigEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

// A cursor over one chunk's bytes.
class Cursor {
  public:
    Cursor(const uint8_t* begin, const uint8_t* end) : pos_(begin), end_(end) {}

    bool atEnd() const { return pos_ >= end_; }
    size_t left() const { return static_cast<size_t>(end_ - pos_); }

    uint8_t byte() {
        if (atEnd()) throw FormatError("track ends inside an event");
        return *pos_++;
    }

    uint8_t peek() const {
        if (atEnd()) throw FormatError("track ends inside an event");
        return *pos_;
    }

    // A variable-length quantity: at most four bytes, as the file format allows.
    uint32_t number() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t b = byte();
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80)) return value;
        }
        throw FormatError("variable-length number longer than four bytes");
    }

    std::vector<uint8_t> bytes(uint32_t count) {
        if (count > left()) throw FormatError("event length past the end of its track");
        std::vector<uint8_t> out(pos_, pos_ + count);
        pos_ += count;
        return out;
    }

  private:
    const uint8_t* pos_;
    const uint8_t* end_;
};

int DataBytesOf(uint8_t status) {
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

Track ReadTrack(const uint8_t* begin, const uint8_t* end) {
    Cursor in(begin, end);
    Track track;
    uint64_t tick = 0;
    uint8_t running = 0;  // no running status at the start of a track
    while (!in.atEnd()) {
        tick += in.number();
        if (tick > std::numeric_limits<uint32_t>::max()) {
            throw FormatError("event time beyond the largest tick");
        }
        Event event;
        event.tick = static_cast<uint32_t>(tick);
        uint8_t status = in.peek();
        if (status < 0x80) {
            if (running == 0) throw FormatError("running status without a status before it");
            status = running;
        } else {
            in.byte();
        }
        event.status = status;
        if (status == 0xFF) {
            event.metaType = in.byte();
            if (event.metaType >= 0x80) throw FormatError("meta event type out of range");
            event.data = in.bytes(in.number());
            if (event.metaType == 0x2F) {
                // Bytes after the end-of-track event are not part of the track.
                track.endTick = event.tick;
                return track;
            }
        } else if (status == 0xF0 || status == 0xF7) {
            event.data = in.bytes(in.number());
        } else if (status >= 0xF0) {
            throw FormatError("system message not allowed in a file");
        } else {
            running = status;
            const int count = DataBytesOf(status);
            for (int i = 0; i < count; ++i) {
                const uint8_t b = in.byte();
                if (b >= 0x80) throw FormatError("status byte where a data byte belongs");
                event.data.push_back(b);
            }
        }
        track.events.push_back(std::move(event));
    }
    throw FormatError("track without its end-of-track event");
}

}  // namespace

File Read(const uint8_t* data, size_t size) {
    if (size < 14 || std::memcmp(data, "MThd", 4) != 0) {
        throw FormatError("no MThd header at the start");
    }
    const uint32_t headerLength = BigEndian(data + 4, 4);
    if (headerLength < 6) throw FormatError("MThd header shorter than 6 bytes");
    if (headerLength > size - 8) throw FormatError("MThd length past the end of the file");
    File file;
    file.format = static_cast<uint16_t>(BigEndian(data + 8, 2));
    const uint32_t trackCount = BigEndian(data + 10, 2);
    file.division = static_cast<uint16_t>(BigEndian(data + 12, 2));
    if (file.division == 0) throw FormatError("division of zero ticks");

    size_t pos = 8 + static_cast<size_t>(headerLength);
    // Anything after the last announced track (padding, a resource fork) is ignored.
    while (file.tracks.size() < trackCount) {
        if (size - pos < 8) throw FormatError("fewer tracks than the header announces");
        const uint8_t* chunk = data + pos;
        const uint32_t length = BigEndian(chunk + 4, 4);
        if (length > size - pos - 8) throw FormatError("chunk length past the end of the file");
        if (std::memcmp(chunk, "MTrk", 4) == 0) {
            file.tracks.push_back(ReadTrack(chunk + 8, chunk + 8 + length));
        }
        pos += 8 + static_cast<size_t>(length);
    }
    return file;
}

}  // namespace smf
