#include "knife/Unwrap.h"

#include <cstring>

#include "knife/Knife.h"

namespace knife {
namespace {

constexpr size_t kMacBinaryHeader = 128;

bool StartsWith(const uint8_t* data, size_t size, const char* tag) {
    return size >= 4 && std::memcmp(data, tag, 4) == 0;
}

uint32_t LittleEndian(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool IsRmid(const uint8_t* data, size_t size) {
    return StartsWith(data, size, "RIFF") && size >= 12 && std::memcmp(data + 8, "RMID", 4) == 0;
}

// The "data" chunk of a RIFF "RMID" file, bounded by the file's real size whatever the RIFF
// header claims.
Bytes RiffData(const uint8_t* data, size_t size) {
    size_t pos = 12;
    while (size >= 8 && pos <= size - 8) {
        const uint32_t length = LittleEndian(data + pos + 4);
        if (length > size - pos - 8) break;
        if (std::memcmp(data + pos, "data", 4) == 0) return {data + pos + 8, length};
        pos += 8 + static_cast<size_t>(length) + (length & 1);  // chunks are padded to even
    }
    throw Error(Failure::NotSmf, "RIFF MIDI file without a complete data chunk");
}

}  // namespace

bool LeadsToMidi(const uint8_t* head, size_t size) {
    return StartsWith(head, size, "MThd") || IsRmid(head, size) ||
           (size > kMacBinaryHeader &&
            StartsWith(head + kMacBinaryHeader, size - kMacBinaryHeader, "MThd"));
}

Bytes Unwrap(const uint8_t* data, size_t size, bool macCut) {
    if (StartsWith(data, size, "MThd")) return {data, size};
    if (IsRmid(data, size)) {
        return RiffData(data, size);
    }
    if (size > kMacBinaryHeader &&
        StartsWith(data + kMacBinaryHeader, size - kMacBinaryHeader, "MThd")) {
        if (!macCut) {
            throw Error(Failure::NotSmf,
                        "a MacBinary header stands before the MIDI data (the Mac option cuts it)");
        }
        return {data + kMacBinaryHeader, size - kMacBinaryHeader, true};
    }
    throw Error(Failure::NotSmf, "not a Standard MIDI File (no MThd header)");
}

}  // namespace knife
