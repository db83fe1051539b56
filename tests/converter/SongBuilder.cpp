#include "SongBuilder.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace testsong {
namespace {

using Variant = rcp::SongInfo::Variant;

void Put(std::vector<uint8_t>& out, size_t at, const std::string& text, size_t width) {
    std::memset(out.data() + at, ' ', width);
    std::memcpy(out.data() + at, text.data(), std::min(width, text.size()));
}

void PutLittle(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
    for (int index = 0; index < bytes; ++index) out[at + index] = uint8_t(value >> (8 * index));
}

}  // namespace

Event SameMeasure2(int index) {
    const int offset = 0x2C + 4 * index;
    return {0xFC, 0, offset & 0xFC, offset >> 8};
}

Event SameMeasure3(int index) {
    return {0xFC, 0, 0x30 + index, 0};
}

std::vector<uint8_t> Build(const Song& song) {
    const bool six = song.variant == Variant::Rcp3G36 || song.variant == Variant::G18;
    std::vector<uint8_t> out(six ? 0xC98 : 0x586, 0);
    const size_t trackHeader = six ? 0x2E : 0x2C;
    const int trackCount = song.variant == Variant::Rcp2 || song.variant == Variant::G18 ? 18 : 36;
    if (six) {
        std::memcpy(out.data(), "COME ON MUSIC RECOMPOSER RCP3.0", 31);
        Put(out, 0x20, song.title, 128);
        Put(out, 0xA0, song.memo, 360);
        PutLittle(out, 0x208, trackCount, 2);
        PutLittle(out, 0x20A, song.timebase, 2);
        PutLittle(out, 0x20C, song.tempo, 2);
        out[0x20E] = 4, out[0x20F] = 4;
        out[0x211] = uint8_t(song.playBias);
        Put(out, 0x298, song.gsd, 16);
        Put(out, 0x2A8, song.gsdB, 16);
        Put(out, 0x2B8, song.cm6, 16);
        for (size_t index = 0; index < 8; ++index) {
            std::vector<uint8_t> body = song.userExclusives[index];
            body.resize(25, 0xF7);
            std::memcpy(out.data() + 0xB18 + index * 48 + 23, body.data(), 25);
        }
    } else {
        std::memcpy(out.data(), "RCM-PC98V2.0(C)COME ON MUSIC\r\n", 30);
        Put(out, 0x20, song.title, 64);
        Put(out, 0x60, song.memo, 336);
        out[0x1C0] = uint8_t(song.timebase), out[0x1E7] = uint8_t(song.timebase >> 8);
        out[0x1C1] = uint8_t(song.tempo);
        out[0x1C2] = 4, out[0x1C3] = 4;
        out[0x1C5] = uint8_t(song.playBias);
        Put(out, 0x1C6, song.cm6, 16);
        Put(out, 0x1D6, song.gsd, 16);
        out[0x1E6] = uint8_t(trackCount);
        for (size_t index = 0; index < 8; ++index) {
            std::vector<uint8_t> body = song.userExclusives[index];
            body.resize(24, 0xF7);
            std::memcpy(out.data() + 0x406 + index * 48 + 24, body.data(), 24);
        }
    }
    for (size_t number = 0; number < song.tracks.size(); ++number) {
        const Track& track = song.tracks[number];
        std::vector<Event> events = track.events;
        events.push_back({0xFE, 0, 0, 0});
        const size_t start = out.size();
        out.resize(start + trackHeader + events.size() * (six ? 6 : 4));
        const size_t size = out.size() - start;
        PutLittle(out, start, uint32_t(size), six ? 4 : 2);
        const size_t field = start + (six ? 4 : 2);
        out[field] = uint8_t(number + 1);
        out[field + 2] = uint8_t(track.channel);
        out[field + 3] = uint8_t(track.keyShift);
        out[field + 4] = uint8_t(track.startOffset);
        out[field + 5] = track.muted ? 1 : 0;
        Put(out, field + 6, track.memo, 36);
        uint8_t* at = out.data() + start + trackHeader;
        for (const Event& event : events) {
            if (six) {
                const uint8_t record[6] = {uint8_t(event[0]), uint8_t(event[3]),
                                           uint8_t(event[1]), uint8_t(event[1] >> 8),
                                           uint8_t(event[2]), uint8_t(event[2] >> 8)};
                std::memcpy(at, record, 6);
                at += 6;
            } else {
                for (int index = 0; index < 4; ++index) *at++ = uint8_t(event[index]);
            }
        }
    }
    return out;
}

std::vector<uint8_t> GsdFile() {
    std::vector<uint8_t> file(0xA71, 0);
    std::memcpy(file.data(), "COME ON MUSIC", 13);
    std::memcpy(file.data() + 0x0E, "GS CONTROL 1.0", 14);
    const uint8_t global[] = {0, 4, 0,    0,    0x7F, 0x40, 0x40,         // master
                              4, 4, 0,    0x40, 0x40, 0,    0,            // reverb
                              2, 0, 0x40, 0x08, 0x50, 0x03, 0x13, 0x00};  // chorus
    std::memcpy(file.data() + 0x20, global, sizeof global);
    for (int channel = 1; channel <= 16; ++channel) {
        uint8_t* part = file.data() + 0x36 + (channel - 1) * 0x7A;
        part[0x02] = uint8_t(channel - 1);
        std::memset(part + 0x03, 1, 17);  // receive switches, poly
        part[0x14] = channel == 10 ? 0 : 1;
        part[0x15] = channel == 10 ? 1 : 0;
        const uint8_t middle[] = {0x40, 0x08, 0,    100,  0x40, 0x40, 0x40,
                                  0,    0x7F, 0x10, 0x11, 0,    0x28};
        std::memcpy(part + 0x16, middle, sizeof middle);
        std::memset(part + 0x23, 0x40, 8 + 12);  // tone modify, scale tuning
        for (int source = 0; source < 6; ++source) std::memset(part + 0x37 + source * 11, 0x40, 3);
        part[0x37 + 11] = 0x42;  // bend: two semitones
        part[0x79] = 2;          // voice reserve
    }
    for (size_t entry = 0; entry < 2 * 83; ++entry) {
        uint8_t* drum = file.data() + 0x7D6 + entry * 4;
        drum[0] = 0x7F, drum[1] = 0x40, drum[2] = 0x7F, drum[3] = 0;
    }
    return file;
}

std::vector<std::string> CsvOfMidi(const std::vector<uint8_t>& midi) {
    char path[] = "/tmp/vellacord-song-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) throw std::runtime_error("no temporary file");
    if (write(descriptor, midi.data(), midi.size()) != ssize_t(midi.size()))
        throw std::runtime_error("temporary file not written");
    close(descriptor);
    std::vector<std::string> lines;
    if (FILE* pipe = popen(("midicsv " + std::string(path) + " 2>&1").c_str(), "r")) {
        char line[4096];
        while (std::fgets(line, sizeof line, pipe)) {
            std::string text(line);
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            lines.push_back(text);
        }
        if (pclose(pipe) != 0) lines.push_back("midicsv rejected the file");
    }
    unlink(path);
    return lines;
}

std::vector<std::string> Csv(const std::vector<uint8_t>& song, const rcp::Options& options) {
    return CsvOfMidi(smf::Write(rcp::Convert(song.data(), song.size(), options)));
}

std::vector<std::string> Matching(const std::vector<std::string>& csv, const std::string& part) {
    std::vector<std::string> found;
    for (const std::string& line : csv)
        if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
}

}  // namespace testsong
