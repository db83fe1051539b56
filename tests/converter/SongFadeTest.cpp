// Songs with an endless loop: where the fade starts and ends, and what a device hears meanwhile,
// judged from midicsv's reading of the file: per channel, master volume x volume x expression.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "SongBuilder.h"

namespace {

using testsong::Build;
using testsong::Matching;

struct Converted {
    rcp::PlayingTime time;
    std::vector<std::string> csv;
    std::vector<uint8_t> midi;
};

Converted Convert(const testsong::Song& song, double fade, int passes = 2) {
    const std::vector<uint8_t> bytes = Build(song);
    rcp::Options options;
    options.fadeSeconds = fade;
    options.endlessLoopPasses = passes;
    rcp::SongInfo info;
    Converted converted;
    converted.midi = smf::Write(rcp::Convert(bytes.data(), bytes.size(), options, &info));
    converted.csv = testsong::CsvOfMidi(converted.midi);
    converted.time = info.playingTime.value();
    return converted;
}

// The file as a device hears it: after all events of each tick, the level of every channel
// that has sent anything, and which notes sound.
struct Heard {
    std::map<long, std::map<int, double>> levels;  // tick -> port x 16 + channel -> level
    long lastNoteOn = -1, lastNoteOff = -1, lastEvent = -1;
    int stillSounding = 0;
};

Heard Listen(const std::vector<std::string>& csv) {
    struct Line {
        long tick;
        int track;
        std::string kind;
        std::vector<long> values;
    };
    std::vector<Line> lines;
    for (const std::string& text : csv) {
        std::istringstream in(text);
        std::string field;
        std::vector<std::string> fields;
        while (std::getline(in, field, ',')) fields.push_back(field.substr(field[0] == ' '));
        if (fields.size() < 3 || fields[0] == "0") continue;
        Line line{std::stol(fields[1]), std::stoi(fields[0]), fields[2], {}};
        for (size_t index = 3; index < fields.size(); ++index)
            if (!fields[index].empty() && fields[index][0] != '"')
                line.values.push_back(std::stol(fields[index]));
        lines.push_back(line);
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.tick < b.tick; });
    Heard heard;
    std::map<int, int> port;  // per track
    std::map<int, double> master, volume, expression;
    std::map<int, int> sounding;
    for (size_t index = 0; index < lines.size(); ++index) {
        const Line& line = lines[index];
        const int slot = port[line.track] * 16 + (line.values.empty() ? 0 : int(line.values[0]));
        if (line.kind == "MIDI_port") port[line.track] = int(line.values[0]);
        if (line.kind == "System_exclusive" && line.values.size() == 8 && line.values[1] == 127 &&
            line.values[3] == 4 && line.values[4] == 1)
            master[port[line.track]] = (line.values[5] | line.values[6] << 7) / 16383.0;
        if (line.kind == "Control_c" && line.values[1] == 7) volume[slot] = line.values[2] / 127.0;
        if (line.kind == "Control_c" && line.values[1] == 11)
            expression[slot] = line.values[2] / 127.0;
        if (line.kind.find("_c") != std::string::npos && !volume.count(slot))
            volume[slot] = 100 / 127.0;
        if (line.kind == "Note_on_c")
            heard.lastNoteOn = line.tick, ++sounding[slot * 128 + line.values[1]];
        if (line.kind == "Note_off_c")
            heard.lastNoteOff = line.tick, --sounding[slot * 128 + line.values[1]];
        if (line.kind != "End_track") heard.lastEvent = line.tick;
        if (index + 1 < lines.size() && lines[index + 1].tick == line.tick) continue;
        for (const auto& [at, value] : volume)
            heard.levels[line.tick][at] = (master.count(at / 16) ? master[at / 16] : 1.0) * value *
                                          (expression.count(at) ? expression[at] : 1.0);
    }
    for (const auto& [key, count] : sounding) heard.stillSounding += count;
    return heard;
}

// Inside [start, end] no channel's level rises; at `end` every level is 0.
void ExpectSteadyFade(const Heard& heard, long start, long end) {
    std::map<int, double> before;
    for (const auto& [tick, levels] : heard.levels) {
        for (const auto& [slot, level] : levels) {
            if (tick >= start && tick <= end && before.count(slot)) {
                EXPECT_LE(level, before[slot] + 1e-12) << "channel " << slot << " at " << tick;
            }
            if (tick == end) {
                EXPECT_EQ(0, level) << "channel " << slot << " at the end";
            }
            before[slot] = level;
        }
    }
    ASSERT_TRUE(heard.levels.count(end)) << "nothing happens at the fade's end";
}

testsong::Track Loop(int channel, std::vector<testsong::Event> body) {
    body.insert(body.begin(), {0xF9, 0, 0, 0});
    body.push_back({0xF8, 0, 0, 0});
    return {channel, 0, 0, false, "", body};
}

TEST(SongFade, StartsWhenTheLongestLoopHasPlayedItsPassesWhileShorterLoopsPlayOn) {
    testsong::Song song;  // 48 ticks a quarter at 120: 96 ticks a second
    song.tracks = {Loop(0, {{60, 96, 48, 100}}),
                   Loop(1, {{62, 144, 48, 100}}),
                   {2, 0, 0, false, "", {{64, 24, 12, 100}}}};

    const Converted fading = Convert(song, 2);
    EXPECT_TRUE(fading.time.endless);
    EXPECT_DOUBLE_EQ(1.5, fading.time.loopPassSeconds.value());
    EXPECT_DOUBLE_EQ(3.0, fading.time.fadeStartSeconds.value());
    EXPECT_DOUBLE_EQ(5.0, fading.time.fadeEndSeconds.value());
    EXPECT_NEAR(5.05, fading.time.seconds, 0.011);  // the restoring events a moment later
    EXPECT_EQ(
        (std::vector<std::string>{"2, 0, Note_on_c, 0, 60, 100", "2, 96, Note_on_c, 0, 60, 100",
                                  "2, 192, Note_on_c, 0, 60, 100", "2, 288, Note_on_c, 0, 60, 100",
                                  "2, 384, Note_on_c, 0, 60, 100"}),
        Matching(fading.csv, "Note_on_c, 0, 60"));
    ExpectSteadyFade(Listen(fading.csv), 288, 480);

    // Without a fade the song stops where its longest loop has played its passes.
    const Converted stopping = Convert(song, 0);
    EXPECT_DOUBLE_EQ(3.0, stopping.time.seconds);
    EXPECT_FALSE(stopping.time.fadeStartSeconds);
    EXPECT_TRUE(Matching(stopping.csv, "Control_c").empty());
    EXPECT_EQ(2u, Matching(stopping.csv, "Note_on_c, 0, 60").size());
    EXPECT_EQ(1u, Matching(stopping.csv, "3, 288, End_track").size());
}

TEST(SongFade, FallsSteadilyThroughTempoChangesAndTheSongsOwnLevelsThenRestoresThem) {
    testsong::Song song;
    // Each pass: expression and master volume down, volume up, long notes, everything raised
    // again halfway through; a second channel on port B.
    song.userExclusives[0] = {0x7F, 0x7F, 0x04, 0x01, 0x00, 0x81, 0xF7};  // master volume
    song.tracks = {Loop(0, {{0xEB, 0, 7, 90},
                            {0xEB, 0, 11, 60},
                            {0x90, 0, 0, 40},
                            {60, 48, 200, 100},
                            {0xEB, 0, 7, 127},
                            {0xEB, 0, 11, 127},
                            {0x90, 0, 0, 127},
                            {62, 48, 200, 100}}),
                   Loop(17, {{0xEB, 0, 7, 50}, {67, 96, 300, 100}}),
                   // Twice as fast from 2.5 seconds on, inside the fade that starts at 2 seconds.
                   {0xFF, 0, 0, false, "", {{0, 240, 0, 0}, {0xE7, 0, 128, 0}}}};

    const Converted converted = Convert(song, 2);
    EXPECT_DOUBLE_EQ(2.0, converted.time.fadeStartSeconds.value());
    // 48 ticks at 120, then 1.5 seconds at 240: 288 ticks.
    EXPECT_DOUBLE_EQ(4.0, converted.time.fadeEndSeconds.value());
    const Heard heard = Listen(converted.csv);
    ExpectSteadyFade(heard, 192, 528);
    // The song's own raises inside the fade are not passed on as they stand.
    for (const std::string& line : Matching(converted.csv, "Control_c, 0, 7, 127")) {
        const long tick = std::stol(line.substr(line.find(", ") + 2));
        EXPECT_TRUE(tick < 192 || tick > 528) << line;
    }
    // Every note released at the end, nothing started there or after.
    EXPECT_EQ(0, heard.stillSounding);
    EXPECT_LT(heard.lastNoteOn, 528);
    EXPECT_EQ(528, heard.lastNoteOff);
    // Then, last of all, the levels in force when the fade began, on both ports.
    EXPECT_GT(heard.lastEvent, 528);
    const std::map<int, double>& after = heard.levels.at(heard.lastEvent);
    EXPECT_NEAR(127 * 128 / 16383.0, after.at(0), 1e-9);
    EXPECT_NEAR(50 / 127.0, after.at(17), 1e-9);
    for (const std::string& line : Matching(converted.csv, "End_track"))
        EXPECT_EQ(std::to_string(heard.lastEvent), line.substr(line.find(", ") + 2, 3)) << line;
}

TEST(SongFade, ASongWithoutAnEndlessLoopIsTheSameWhateverTheFade) {
    testsong::Song song;
    song.tracks = {{0, 0, 0, false, "", {{0xF9, 0, 0, 0}, {60, 48, 24, 100}, {0xF8, 3, 0, 0}}}};
    const Converted none = Convert(song, 0);
    EXPECT_EQ(none.midi, Convert(song, 10).midi);
    EXPECT_EQ(none.midi, Convert(song, 60, 99).midi);
    EXPECT_FALSE(none.time.endless);
}

}  // namespace
