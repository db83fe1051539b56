// Hand-built Standard MIDI File bytes for the converter tests, written out byte by byte so that
// the tests never check our writer against itself.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace smfbytes {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;

inline void Append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

inline Bytes BigEndian(uint32_t value, int count) {
    Bytes out;
    for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return out;
}

// A chunk: four-letter tag, big-endian length, body.
inline Bytes Chunk(const std::string& tag, const Bytes& body) {
    Bytes out(tag.begin(), tag.end());
    Append(out, BigEndian(static_cast<uint32_t>(body.size()), 4));
    Append(out, body);
    return out;
}

// An MTrk body: the given delta-timed events followed by the end-of-track event.
inline Bytes Track(std::initializer_list<uint8_t> events) {
    Bytes body(events);
    Append(body, {0x00, 0xFF, 0x2F, 0x00});
    return body;
}

inline Bytes File(uint16_t format, std::initializer_list<Bytes> tracks, uint16_t division = 96) {
    Bytes header = BigEndian(format, 2);
    Append(header, BigEndian(static_cast<uint32_t>(tracks.size()), 2));
    Append(header, BigEndian(division, 2));
    Bytes out = Chunk("MThd", header);
    for (const Bytes& track : tracks) Append(out, Chunk("MTrk", track));
    return out;
}

}  // namespace smfbytes

#include "smf/Smf.h"

namespace smfbytes {

// "TICK STATUS DATA..." in hex, e.g. "96 90 3C 64"; meta events show their type after FF.
inline std::string Describe(const smf::Event& e) {
    static const char* digits = "0123456789ABCDEF";
    std::string text = std::to_string(e.tick);
    auto hex = [&](uint8_t b) {
        text += ' ';
        text += digits[b >> 4];
        text += digits[b & 15];
    };
    hex(e.status);
    if (e.isMeta()) hex(e.metaType);
    for (uint8_t b : e.data) hex(b);
    return text;
}

inline std::vector<std::string> Describe(const smf::Track& track) {
    std::vector<std::string> out;
    for (const smf::Event& e : track.events) out.push_back(Describe(e));
    return out;
}

}  // namespace smfbytes
