#include "Smf.h"

#include <algorithm>

namespace standin {

namespace {

void PutBigEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// Variable-length quantity: 7 bits per byte, high bit set on all but the last.
void PutVarLen(std::string& out, std::uint32_t value) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0) bytes[n++] = static_cast<char>(0x80 | (value & 0x7F));
    while (n > 0) out.push_back(bytes[--n]);
}

void PutMeta(std::string& track, unsigned char type, const std::string& data) {
    PutVarLen(track, 0);
    track.push_back(static_cast<char>(0xFF));
    track.push_back(static_cast<char>(type));
    PutVarLen(track, static_cast<std::uint32_t>(data.size()));
    track += data;
}

}  // namespace

std::size_t NotesFor(std::uint64_t sourceBytes) {
    return 1 + static_cast<std::size_t>(std::min<std::uint64_t>(sourceBytes / 4096, 256));
}

std::string MakeSmf(const std::string& trackName, const std::string& text, std::size_t notes) {
    std::string track;
    PutMeta(track, 0x03, trackName);
    PutMeta(track, 0x01, text);
    PutMeta(track, 0x51, std::string("\x07\xA1\x20", 3));  // 120 beats per minute
    for (std::size_t i = 0; i < notes; ++i) {
        const char key = static_cast<char>(48 + i % 24);
        PutVarLen(track, 0);
        track += {'\x90', key, '\x64'};
        PutVarLen(track, 240);
        track += {'\x80', key, '\x40'};
    }
    PutVarLen(track, 0);
    track += {'\xFF', '\x2F', '\x00'};

    std::string file = "MThd";
    PutBigEndian(file, 6, 4);
    PutBigEndian(file, 0, 2);    // format 0
    PutBigEndian(file, 1, 2);    // one track
    PutBigEndian(file, 480, 2);  // ticks per quarter note
    file += "MTrk";
    PutBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    return file + track;
}

}  // namespace standin
