// The song as stored: header fields and track records, read but not yet interpreted. Internal to
// the converter; the records point into the caller's bytes, which outlive every use here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rcp/Convert.h"

namespace rcp {

struct Header {
    SongInfo::Variant variant = SongInfo::Variant::Rcp2;
    bool sixByteEvents = false;  // RCP 3.0 layout: 6-byte events, 32-bit track sizes
    size_t size = 0;             // where the first track starts
    size_t trackHeaderSize = 0;
    size_t eventSize = 0;
    std::string title;
    std::vector<std::string> memoLines;
    int timebase = 48;
    int tempo = 120;
    int numerator = 4;
    int denominator = 4;
    int key = 0;  // key-signature byte, see KeySignature()
    int playBias = 0;
    std::string cm6Name;
    std::vector<std::string> gsdNames;  // port A, then port B where the layout has one
    int trackCount = 18;
    std::array<std::vector<uint8_t>, 8> userExclusives;  // bodies without the leading F0
};

// One event record decoded with the variant's field order.
struct Record {
    uint8_t code = 0;
    uint16_t step = 0;  // for codes F5 and up a parameter, not time
    uint16_t p1 = 0;    // gate for notes
    uint8_t p2 = 0;     // velocity for notes
};

struct TrackRecord {
    size_t offset = 0;  // of the track chunk in the file
    int channel = 0;    // raw: 0x00-0x1F port A/B channels, anything else OFF
    int keyShift = 0;   // raw: bit 7 = OFF, else signed 7-bit semitones
    int startOffset = 0;
    bool muted = false;
    std::string memo;
    const uint8_t* events = nullptr;
    size_t eventCount = 0;
};

struct Song {
    Header header;
    std::vector<TrackRecord> tracks;

    Record At(const TrackRecord& track, size_t index) const;
    // The data bytes an F7 continuation record carries (2 or 5).
    void AppendContinuation(const TrackRecord& track, size_t index,
                            std::vector<uint8_t>& out) const;
};

// Trailing spaces and NULs removed; bytes kept as stored (code page 932).
std::string TrimmedText(const uint8_t* field, size_t size);

Header ReadHeader(const uint8_t* data, size_t size);
std::vector<TrackRecord> ReadTracks(const Header& header, const uint8_t* data, size_t size);
Song ReadSong(const uint8_t* data, size_t size);

}  // namespace rcp
