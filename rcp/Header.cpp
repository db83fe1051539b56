// Recognises the song's variant by its signature (the extension says nothing: RCP 3.0 and
// 36-track songs are found under ".rcp" names) and reads the header fields the conversion uses.
#include <cstring>

#include "rcp/Song.h"

namespace rcp {
namespace {

constexpr char kRcp2Signature[] = "RCM-PC98V2.0(C)COME ON MUSIC";
constexpr char kRcp3Signature[] = "COME ON MUSIC RECOMPOSER RCP3.0";

bool StartsWith(const uint8_t* data, size_t size, const char* signature) {
    const size_t length = std::strlen(signature);
    return size >= length && std::memcmp(data, signature, length) == 0;
}

int Word(const uint8_t* at) {
    return at[0] | (at[1] << 8);
}

int SignedByte(uint8_t value) {
    return value >= 0x80 ? value - 0x100 : value;
}

// The memo is twelve fixed-width records that run on into each other: a double-byte character
// (code page 932) may begin at the end of one record and end at the start of the next. Each line
// is the record with such a character made whole at its end (and left out at the start of the
// next), so that every line stands as text of its own; a lead byte with nothing after it in the
// whole memo is dropped.
std::vector<std::string> MemoLines(const uint8_t* at, size_t width) {
    const size_t size = 12 * width;
    std::vector<std::string> lines;
    size_t position = 0;
    for (size_t line = 1; line <= 12; ++line) {
        const size_t begin = position;
        size_t end = line * width;
        while (position < end) position += IsCp932LeadByte(at[position]) ? 2 : 1;
        end = std::min(position, size);
        if (position > size) --end;  // the dangling lead byte
        lines.push_back(TrimmedText(at + begin, end - begin));
    }
    return lines;
}

void ReadUserExclusives(Header& header, const uint8_t* table, size_t nameSize) {
    for (size_t index = 0; index < header.userExclusives.size(); ++index) {
        const uint8_t* body = table + index * 48 + nameSize;
        header.userExclusives[index].assign(body, body + (48 - nameSize));
    }
}

void ReadRcp2(Header& header, const uint8_t* data) {
    header.size = 0x586;
    header.trackHeaderSize = 0x2C;
    header.eventSize = 4;
    header.title = TrimmedText(data + 0x20, 64);
    header.memoLines = MemoLines(data + 0x60, 28);
    const int countByte = data[0x1E6];
    header.trackCount = countByte == 0 ? 18 : countByte;
    header.variant = countByte == 36 ? SongInfo::Variant::R36 : SongInfo::Variant::Rcp2;
    // Old files leave the track-count byte at 0 and the byte after it undefined: only files that
    // fill the count are trusted to store the timebase's high byte.
    header.timebase = data[0x1C0] + (countByte != 0 ? data[0x1E7] << 8 : 0);
    header.tempo = data[0x1C1];
    header.numerator = data[0x1C2];
    header.denominator = data[0x1C3];
    header.key = data[0x1C4];
    header.playBias = SignedByte(data[0x1C5]);
    header.cm6Name = TrimmedText(data + 0x1C6, 16);
    header.gsdNames = {TrimmedText(data + 0x1D6, 16)};
    ReadUserExclusives(header, data + 0x406, 24);
}

void ReadRcp3(Header& header, const uint8_t* data) {
    header.sixByteEvents = true;
    header.size = 0xC98;
    header.trackHeaderSize = 0x2E;
    header.eventSize = 6;
    header.title = TrimmedText(data + 0x20, 128);
    header.memoLines = MemoLines(data + 0xA0, 30);
    header.trackCount = Word(data + 0x208);
    // No G18 file has been seen: it is taken to be the G36 layout with 18 tracks.
    header.variant = header.trackCount == 18 ? SongInfo::Variant::G18 : SongInfo::Variant::Rcp3G36;
    header.timebase = Word(data + 0x20A);
    header.tempo = Word(data + 0x20C);
    header.numerator = data[0x20E];
    header.denominator = data[0x20F];
    header.key = data[0x210];
    header.playBias = SignedByte(data[0x211]);
    header.gsdNames = {TrimmedText(data + 0x298, 16), TrimmedText(data + 0x2A8, 16)};
    header.cm6Name = TrimmedText(data + 0x2B8, 16);
    // The real sample pads its default names to 23 bytes, leaving 25 for the message.
    ReadUserExclusives(header, data + 0xB18, 23);
}

}  // namespace

std::string TrimmedText(const uint8_t* field, size_t size) {
    while (size > 0 && (field[size - 1] == ' ' || field[size - 1] == 0)) --size;
    return std::string(reinterpret_cast<const char*>(field), size);
}

bool IsCp932LeadByte(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool HasSongSignature(const uint8_t* data, size_t size) {
    return StartsWith(data, size, kRcp2Signature) || StartsWith(data, size, kRcp3Signature);
}

Header ReadHeader(const uint8_t* data, size_t size) {
    Header header;
    if (StartsWith(data, size, kRcp2Signature)) {
        if (size < 0x586) throw Error("the song header is cut off");
        ReadRcp2(header, data);
    } else if (StartsWith(data, size, kRcp3Signature)) {
        if (size < 0xC98) throw Error("the song header is cut off");
        ReadRcp3(header, data);
    } else {
        throw Error("not an RCP-family song (no known signature)");
    }
    // The division field of a Standard MIDI File holds 1 to 32767 ticks per quarter note.
    if (header.timebase <= 0 || header.timebase > 0x7FFF)
        throw Error("timebase " + std::to_string(header.timebase) + " is out of range");
    // A tempo of 0 cannot be played; the editor's own default is what a listener expects.
    if (header.tempo <= 0) header.tempo = 120;
    return header;
}

const char* VariantName(SongInfo::Variant variant) {
    switch (variant) {
        case SongInfo::Variant::Rcp2:
            return "RCP 2.x";
        case SongInfo::Variant::R36:
            return "R36";
        case SongInfo::Variant::Rcp3G36:
            return "RCP 3.0 (G36)";
        case SongInfo::Variant::G18:
            return "G18";
    }
    return "unknown";
}

}  // namespace rcp
