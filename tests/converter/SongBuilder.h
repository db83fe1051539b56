// Builds small RCP-family songs byte by byte from the published layouts, so that every variant
// and command can be tested without sample files, and reads converted output back through
// midicsv, a reader independent of ours.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rcp/Convert.h"
#include "smf/Smf.h"

namespace testsong {

// code, step, p1 (gate), p2 (velocity) as the format names them; the builder places them in
// the variant's field order.
using Event = std::array<int, 4>;

struct Track {
    int channel = 0;
    int keyShift = 0;
    int startOffset = 0;
    bool muted = false;
    std::string memo;
    std::vector<Event> events;  // an end-of-track record is appended
};

struct Song {
    rcp::SongInfo::Variant variant = rcp::SongInfo::Variant::Rcp2;
    std::string title = "Test";
    std::string memo;  // raw bytes of the twelve memo records, one after the other
    int timebase = 48;
    int tempo = 120;
    int playBias = 0;
    std::string cm6;
    std::string gsd;   // for port A on layouts with two ports
    std::string gsdB;  // port B: RCP 3.0 / G36 and G18 only
    std::array<std::vector<uint8_t>, 8> userExclusives;
    std::vector<Track> tracks;
};

std::vector<uint8_t> Build(const Song& song);

// A GS setup file (".gsd") holding a GS module's start state, every value within its range.
std::vector<uint8_t> GsdFile();

// The p1/p2 of a same-measure record pointing at event `index` of its track (2.x layout).
Event SameMeasure2(int index);
// The same for the 6-byte layout.
Event SameMeasure3(int index);

// The song converted and written, then listed by midicsv, one line per event with the track
// number and tick, e.g. "2, 96, Note_off_c, 0, 60, 0".
std::vector<std::string> Csv(const std::vector<uint8_t>& song, const rcp::Options& options = {});
std::vector<std::string> CsvOfMidi(const std::vector<uint8_t>& midi);

// Lines of `csv` that contain `part`.
std::vector<std::string> Matching(const std::vector<std::string>& csv, const std::string& part);

}  // namespace testsong
