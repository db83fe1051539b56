// Splits the bytes after the header into track records and decodes single event records.
#include <cstring>

#include "rcp/Song.h"

namespace rcp {
namespace {

bool EndsTrack(uint8_t code) {
    return code == 0xFE || code == 0xFF;
}

// The number of events up to and including the first end-of-track record between `begin` and
// `limit`, or 0 when there is none.
size_t EventsThroughEnd(const uint8_t* begin, size_t available, size_t eventSize) {
    for (size_t index = 0; (index + 1) * eventSize <= available; ++index)
        if (EndsTrack(begin[index * eventSize])) return index + 1;
    return 0;
}

size_t StoredSize(const Header& header, const uint8_t* chunk) {
    if (header.sixByteEvents)
        return size_t(chunk[0]) | size_t(chunk[1]) << 8 | size_t(chunk[2]) << 16 |
               size_t(chunk[3]) << 24;
    // Writers that need more than 64 KiB keep bits 16-17 in the two low bits, which a real size
    // (a multiple of 4) never uses.
    const size_t raw = size_t(chunk[0]) | size_t(chunk[1]) << 8;
    return (raw & 0xFFFC) | (raw & 3) << 16;
}

}  // namespace

std::vector<TrackRecord> ReadTracks(const Header& header, const uint8_t* data, size_t size) {
    std::vector<TrackRecord> tracks;
    size_t offset = header.size;
    for (int number = 1; number <= header.trackCount; ++number) {
        const size_t left = size - offset;
        if (left < header.trackHeaderSize) break;  // the file ends: no more tracks
        const uint8_t* chunk = data + offset;
        if (std::memcmp(chunk, "RCFW", 4) == 0) break;  // a trailer of later editor versions
        const size_t stored = StoredSize(header, chunk);
        if (stored < header.trackHeaderSize) break;

        const size_t fieldBase = header.sixByteEvents ? 4 : 2;
        TrackRecord track;
        track.offset = offset;
        track.channel = chunk[fieldBase + 2];
        track.keyShift = chunk[fieldBase + 3];
        track.startOffset =
            chunk[fieldBase + 4] >= 0x80 ? chunk[fieldBase + 4] - 0x100 : chunk[fieldBase + 4];
        track.muted = (chunk[fieldBase + 5] & 1) != 0;
        track.memo = TrimmedText(chunk + fieldBase + 6, 36);
        track.events = chunk + header.trackHeaderSize;

        // Some writers store sizes that are plainly wrong. Trust the stored size when an
        // end-of-track record closes it; otherwise the first end-of-track record ends the track.
        const size_t eventBytes = stored - header.trackHeaderSize;
        const size_t available = left - header.trackHeaderSize;
        const bool closed = stored <= left && eventBytes >= header.eventSize &&
                            EndsTrack(track.events[eventBytes - header.eventSize]);
        if (closed) {
            track.eventCount = eventBytes / header.eventSize;
        } else if (const size_t through =
                       EventsThroughEnd(track.events, available, header.eventSize)) {
            track.eventCount = through;
        } else if (stored <= left) {
            track.eventCount = eventBytes / header.eventSize;  // ends with the data, no marker
        } else {
            throw Error("track " + std::to_string(number) + " is cut off by the end of the file");
        }
        tracks.push_back(track);
        offset += header.trackHeaderSize + track.eventCount * header.eventSize;
        if (closed) offset = track.offset + stored;
    }
    return tracks;
}

Record Song::At(const TrackRecord& track, size_t index) const {
    const uint8_t* bytes = track.events + index * header.eventSize;
    Record record;
    record.code = bytes[0];
    if (header.sixByteEvents) {
        record.p2 = bytes[1];
        record.step = uint16_t(bytes[2] | bytes[3] << 8);
        record.p1 = uint16_t(bytes[4] | bytes[5] << 8);
    } else {
        record.step = bytes[1];
        record.p1 = bytes[2];
        record.p2 = bytes[3];
    }
    return record;
}

void Song::AppendContinuation(const TrackRecord& track, size_t index,
                              std::vector<uint8_t>& out) const {
    const uint8_t* bytes = track.events + index * header.eventSize;
    if (header.sixByteEvents)
        out.insert(out.end(), bytes + 1, bytes + 6);
    else
        out.insert(out.end(), bytes + 2, bytes + 4);
}

Song ReadSong(const uint8_t* data, size_t size) {
    Song song;
    song.header = ReadHeader(data, size);
    song.tracks = ReadTracks(song.header, data, size);
    return song;
}

}  // namespace rcp
