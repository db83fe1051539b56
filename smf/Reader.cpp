// Decoding of a Standard MIDI File into the model. Every read is checked against the end of its
// chunk, so a damaged or hostile file costs at most one pass over its bytes.
#include <cstring>
#include <limits>

#include "smf/Codec.h"
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

    const uint8_t* position() const { return pos_; }
    const uint8_t* end() const { return end_; }

    // Steps over `count` bytes and gives where they start.
    const uint8_t* skip(uint32_t count) {
        if (count > left()) throw FormatError("event length past the end of its track");
        const uint8_t* at = pos_;
        pos_ += count;
        return at;
    }

  private:
    const uint8_t* pos_;
    const uint8_t* end_;
};

int DataBytesOf(uint8_t status) {
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

RawEvent ReadLongEvent(const uint8_t* start, const uint8_t* end) {
    Cursor in(start, end);
    RawEvent event;
    event.start = start;
    event.status = in.byte();
    if (event.status == 0xFF) {
        event.metaType = in.byte();
        if (event.metaType >= 0x80) throw FormatError("meta event type out of range");
    } else if (event.status != 0xF0 && event.status != 0xF7) {
        throw FormatError("not a meta or system exclusive event");
    }
    event.size = in.number();
    event.data = in.skip(event.size);
    return event;
}

uint32_t ReadTrackEvents(const TrackChunk& chunk, Reading reading,
                         const std::function<void(const RawEvent&)>& onEvent, bool* endSupplied) {
    Cursor in(chunk.begin, chunk.end);
    uint64_t tick = 0;
    uint8_t running = 0;  // no running status at the start of a track
    if (endSupplied) *endSupplied = false;
    while (!in.atEnd()) {
        tick += in.number();
        if (tick > std::numeric_limits<uint32_t>::max()) {
            throw FormatError("event time beyond the largest tick");
        }
        RawEvent event;
        event.tick = static_cast<uint32_t>(tick);
        uint8_t status = in.peek();
        if (status < 0x80) {
            if (running == 0) throw FormatError("running status without a status before it");
            status = running;
        } else {
            event.start = in.position();
            in.byte();
        }
        event.status = status;
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            const uint32_t tickOfEvent = event.tick;
            event = ReadLongEvent(in.position() - 1, in.end());
            event.tick = tickOfEvent;
            in.skip(static_cast<uint32_t>(event.data + event.size - in.position()));
            // Bytes after the end-of-track event are not part of the track.
            if (status == 0xFF && event.metaType == 0x2F) return event.tick;
        } else if (status >= 0xF0) {
            throw FormatError("system message not allowed in a file");
        } else {
            running = status;
            event.size = DataBytesOf(status);
            event.data = in.skip(event.size);
            for (uint32_t i = 0; i < event.size; ++i) {
                if (event.data[i] >= 0x80)
                    throw FormatError("status byte where a data byte belongs");
            }
        }
        onEvent(event);
    }
    if (reading == Reading::Strict) throw FormatError("track without its end-of-track event");
    if (endSupplied) *endSupplied = true;
    return static_cast<uint32_t>(tick);
}

Layout ReadLayout(const uint8_t* data, size_t size, Reading reading) {
    if (size < 14 || std::memcmp(data, "MThd", 4) != 0) {
        throw FormatError("no MThd header at the start");
    }
    const uint32_t headerLength = BigEndian(data + 4, 4);
    if (headerLength < 6) throw FormatError("MThd header shorter than 6 bytes");
    if (headerLength > size - 8) throw FormatError("MThd length past the end of the file");
    Layout layout;
    layout.format = static_cast<uint16_t>(BigEndian(data + 8, 2));
    layout.tracksAnnounced = BigEndian(data + 10, 2);
    layout.division = static_cast<uint16_t>(BigEndian(data + 12, 2));
    if (layout.division == 0) throw FormatError("division of zero ticks");

    const bool lenient = reading == Reading::Lenient;
    size_t pos = 8 + static_cast<size_t>(headerLength);
    // Anything after the last announced track (padding, a resource fork) is ignored.
    while (layout.tracks.size() < layout.tracksAnnounced) {
        if (size - pos < 8) {
            if (lenient && !layout.tracks.empty()) break;
            throw FormatError("fewer tracks than the header announces");
        }
        const uint8_t* chunk = data + pos;
        const bool track = std::memcmp(chunk, "MTrk", 4) == 0;
        uint32_t length = BigEndian(chunk + 4, 4);
        if (length > size - pos - 8) {
            if (!lenient || !track) throw FormatError("chunk length past the end of the file");
            length = static_cast<uint32_t>(size - pos - 8);  // the file was cut short
        }
        if (track) layout.tracks.push_back({chunk + 8, chunk + 8 + length});
        pos += 8 + static_cast<size_t>(length);
    }
    return layout;
}

File Read(const uint8_t* data, size_t size) {
    const Layout layout = ReadLayout(data, size, Reading::Strict);
    File file;
    file.format = layout.format;
    file.division = layout.division;
    file.tracks.resize(layout.tracks.size());
    for (size_t t = 0; t < layout.tracks.size(); ++t) {
        Track& track = file.tracks[t];
        track.endTick = ReadTrackEvents(layout.tracks[t], Reading::Strict, [&](const RawEvent& e) {
            track.events.push_back({e.tick, e.status, e.metaType, {e.data, e.data + e.size}});
        });
    }
    return file;
}

}  // namespace smf
