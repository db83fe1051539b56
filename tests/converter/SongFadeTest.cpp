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
        if (line.kind == "System_exclusive") {
            // The bytes after F0: universal, GS and XG master volume, GS part level, XG part
            // volume, and the GM, GS and XG resets (volume 100, expression and master full).
            const std::vector<long> x(line.values.begin() + 1, line.values.end());
            const int base = port[line.track] * 16;
            const auto is = [&](std::vector<long> head) {
                return x.size() >= head.size() &&
                       std::equal(head.begin(), head.end(), x.begin(),
                                  [](long want, long got) { return want < 0 || want == got; });
            };
            if (x.size() == 7 && is({127, -1, 4, 1}))
                master[base / 16] = (x[4] | x[5] << 7) / 16383.0;
            if (x.size() == 10 && is({65, -1, 66, 18, 64, 0, 4})) master[base / 16] = x[7] / 127.0;
            if (x.size() == 8 && is({67, -1, 76, 0, 0, 4})) master[base / 16] = x[6] / 127.0;
            if (x.size() == 10 && is({65, -1, 66, 18, 64}) && (x[5] & 0xF0) == 16 && x[6] == 25) {
                const long block = x[5] & 15;
                volume[base + (block == 0 ? 9 : block < 10 ? block - 1 : block)] = x[7] / 127.0;
            }
            if (x.size() == 8 && is({67, -1, 76, 8}) && x[4] < 16 && x[5] == 11)
                volume[base + int(x[4])] = x[6] / 127.0;
            if ((x.size() == 5 && is({126, -1, 9, 1})) ||
                (x.size() == 10 && is({65, -1, 66, 18, 64, 0, 127, 0})) ||
                (x.size() == 8 && is({67, -1, 76, 0, 0, 126, 0}))) {
                master[base / 16] = 1;
                for (int channel = base; channel < base + 16; ++channel) {
                    if (volume.count(channel)) volume[channel] = 100 / 127.0;
                    expression.erase(channel);
                }
            }
        }
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
                   // Each pass 96 ticks at 120 then 96 at 240: the fade starts at its second
                   // pass's end (tick 384, 3 seconds) and changes tempo twice.
                   Loop(0xFF, {{0xE7, 0, 64, 0}, {0, 96, 0, 0}, {0xE7, 0, 128, 0}, {0, 96, 0, 0}})};

    const Converted converted = Convert(song, 2);
    EXPECT_DOUBLE_EQ(3.0, converted.time.fadeStartSeconds.value());
    // 96 ticks at 120, 96 at 240, then the last half second at 120: 240 ticks.
    EXPECT_DOUBLE_EQ(5.0, converted.time.fadeEndSeconds.value());
    const Heard heard = Listen(converted.csv);
    ExpectSteadyFade(heard, 384, 624);
    // The song's own raises inside the fade are not passed on as they stand.
    for (const std::string& line : Matching(converted.csv, "Control_c, 0, 7, 127")) {
        const long tick = std::stol(line.substr(line.find(", ") + 2));
        EXPECT_TRUE(tick < 384 || tick > 624) << line;
    }
    // Every note released at the end, nothing started there or after.
    EXPECT_EQ(0, heard.stillSounding);
    EXPECT_LT(heard.lastNoteOn, 624);
    EXPECT_EQ(624, heard.lastNoteOff);
    // Then, last of all, the levels in force when the fade began, on both ports.
    EXPECT_GT(heard.lastEvent, 624);
    const std::map<int, double>& after = heard.levels.at(heard.lastEvent);
    EXPECT_NEAR(127 * 128 / 16383.0, after.at(0), 1e-9);
    EXPECT_NEAR(50 / 127.0, after.at(17), 1e-9);
    for (const std::string& line : Matching(converted.csv, "End_track"))
        EXPECT_EQ(std::to_string(heard.lastEvent), line.substr(line.find(", ") + 2, 3)) << line;
}

TEST(SongFade, FollowsTheLevelsSetByExclusivesAndTheResetsInsideTheLoop) {
    testsong::Song song;
    const uint8_t sum = 0x83, p2 = 0x81, check = 0x84;
    song.userExclusives[0] = {0x41, 0x10, 0x42, 0x12, sum, 0x40, 0x00, 0x7F, 0x00, check, 0xF7};
    song.userExclusives[1] = {0x41, 0x10, 0x42, 0x12, sum, 0x40, 0x00, 0x04, p2, check, 0xF7};
    song.userExclusives[2] = {0x41, 0x10, 0x42, 0x12, sum, 0x40, 0x11, 0x19, p2, check, 0xF7};
    song.userExclusives[3] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
    song.userExclusives[4] = {0x43, 0x10, 0x4C, 0x08, 0x00, 0x0B, p2, 0xF7};
    song.userExclusives[5] = {0x43, 0x10, 0x4C, 0x00, 0x00, 0x04, p2, 0xF7};
    // Each pass: GS reset, expression down, GS master volume up and down, GS part level, GM
    // System On, XG part volume and master volume; 1.5 seconds.
    song.tracks = {Loop(0, {{0x90, 0, 0, 0},
                            {0xEB, 0, 11, 60},
                            {0x91, 0, 0, 127},
                            {60, 48, 200, 100},
                            {0x91, 0, 0, 40},
                            {0x92, 0, 0, 127},
                            {62, 48, 200, 100},
                            {0x93, 0, 0, 0},
                            {0x94, 0, 0, 110},
                            {0x95, 0, 0, 90},
                            {64, 48, 200, 100}})};

    const Converted converted = Convert(song, 2);
    ASSERT_DOUBLE_EQ(3.0, converted.time.fadeStartSeconds.value());
    ExpectSteadyFade(Listen(converted.csv), 288, 480);
    // The resets still reach the device inside the fade (they set more than levels).
    EXPECT_EQ(1u, Matching(converted.csv, "432, System_exclusive, 10, 65, 16, 66").size());
    EXPECT_EQ(1u, Matching(converted.csv, "384, System_exclusive, 5, 126").size());
}

TEST(SongFade, StartsNoEarlierThanTheEndOfTheTracksWithoutAnEndlessLoop) {
    testsong::Song song;
    // A half-second drum loop under eight seconds of written-out melody.
    testsong::Track melody{1, 0, 0, false, "", {}};
    for (int note = 0; note < 8; ++note) melody.events.push_back({60 + note, 96, 90, 100});
    song.tracks = {Loop(9, {{36, 48, 24, 100}}), melody};

    const Converted converted = Convert(song, 2);
    EXPECT_DOUBLE_EQ(8.0, converted.time.fadeStartSeconds.value());
    EXPECT_DOUBLE_EQ(10.0, converted.time.fadeEndSeconds.value());
    EXPECT_EQ(8u, Matching(converted.csv, "Note_on_c, 1,").size());
    EXPECT_EQ(20u, Matching(converted.csv, "Note_on_c, 9, 36").size());  // on to the end
    ExpectSteadyFade(Listen(converted.csv), 768, 960);
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
