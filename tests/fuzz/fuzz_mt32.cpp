// Fuzzes the MT-32 rendering: a song of up to four tracks built from the input (channel
// messages, MT-32 data sets with right or wrong checksums to any address, port changes, resets),
// rendered for GS or GM. Properties: the result is a file the writer accepts (ticks in order,
// data bytes below 128), every note keeps its tick, key and velocity, and a song without MT-32
// data is left alone.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "mt32/Render.h"
#include "smf/Smf.h"

namespace {

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

class Input {
  public:
    Input(const uint8_t* bytes, size_t size) : at_(bytes), end_(bytes + size) {}
    bool more() const { return at_ < end_; }
    uint8_t next() { return at_ < end_ ? *at_++ : 0; }

  private:
    const uint8_t* at_;
    const uint8_t* end_;
};

std::vector<std::tuple<uint32_t, int, int>> NotesOf(const smf::File& file) {
    std::vector<std::tuple<uint32_t, int, int>> notes;
    for (const smf::Track& track : file.tracks)
        for (const smf::Event& event : track.events)
            if (event.kind() == 0x90 && event.isChannel() && event.data[1] > 0)
                notes.emplace_back(event.tick, event.data[0], event.data[1]);
    std::sort(notes.begin(), notes.end());
    return notes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    Input in(bytes, size);
    const uint8_t flags = in.next();
    const mt32::Target target = flags & 1 ? mt32::Target::GM : mt32::Target::GS;
    const bool setupNamed = flags & 2;
    smf::File file;
    file.tracks.resize(1 + (flags >> 2 & 3));
    std::vector<uint32_t> ticks(file.tracks.size(), 0);
    bool dataSets = false;
    for (int events = 0; in.more() && events < 4000; ++events) {
        const size_t track = in.next() % file.tracks.size();
        ticks[track] += in.next();
        const uint32_t tick = ticks[track];
        const uint8_t kind = in.next();
        std::vector<smf::Event>& to = file.tracks[track].events;
        switch (kind % 4) {
            case 0: {
                const uint8_t status = uint8_t(0x80 + in.next() % 0x70);
                std::vector<uint8_t> data{uint8_t(in.next() & 0x7F)};
                if ((status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0)
                    data.push_back(in.next() & 0x7F);
                to.push_back({tick, status, 0, data});
                break;
            }
            case 1: {
                const uint8_t unit = in.next() & 0x1F;
                std::vector<uint8_t> data{0x41, unit, 0x16, 0x12};
                unsigned sum = 0;
                for (int byte = 0, count = 4 + in.next() % 24; byte < count; ++byte) {
                    data.push_back(in.next() & 0x7F);
                    sum += data.back();
                }
                data.push_back(kind & 4 ? in.next() & 0x7F : uint8_t((128 - sum % 128) % 128));
                data.push_back(0xF7);
                to.push_back({tick, 0xF0, 0, data});
                dataSets = true;
                break;
            }
            case 2:
                to.push_back({tick, 0xFF, 0x21, {uint8_t(in.next() % 3)}});
                break;
            default:
                to.push_back({tick, 0xF0, 0,
                              kind & 4 ? std::vector<uint8_t>{0x7E, 0x7F, 0x09, 0x01, 0xF7}
                                       : std::vector<uint8_t>{0x41, 0x10, 0x42, 0x12, 0x40, 0x00,
                                                              0x7F, 0x00, 0x41, 0xF7}});
                break;
        }
    }
    const std::vector<uint8_t> before = smf::Write(file);
    const auto notes = NotesOf(file);
    const auto report = mt32::Render(file, target, setupNamed);
    if (!dataSets && !setupNamed) {
        Check(!report && smf::Write(file) == before, "a song without MT-32 data is left alone");
        return 0;
    }
    Check(report && !report->empty(), "an MT-32 song is reported");
    for (const std::string& line : *report)
        Check(!line.empty() && line.find_first_of("\r\n") == std::string::npos,
              "a report line is one line");
    try {
        smf::Write(file);
    } catch (const smf::FormatError&) {
        Check(false, "the rendered song can be written");
    }
    Check(NotesOf(file) == notes, "every note keeps its tick, key and velocity");
    return 0;
}
