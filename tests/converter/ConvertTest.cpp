// The song converter on small songs built from the published layouts, read back through midicsv.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "SongBuilder.h"
#include "rcp/LoopValues.h"

namespace {

using testsong::Build;
using testsong::Csv;
using testsong::Matching;
using Variant = rcp::SongInfo::Variant;

const Variant kVariants[] = {Variant::Rcp2, Variant::R36, Variant::Rcp3G36, Variant::G18};

bool SixByte(Variant variant) {
    return variant == Variant::Rcp3G36 || variant == Variant::G18;
}

TEST(SongVariants, EachVariantIsFoundBySignatureAndPlaysShiftedNotes) {
    for (const Variant variant : kVariants) {
        SCOPED_TRACE(rcp::VariantName(variant));
        testsong::Song song;
        song.variant = variant;
        song.timebase = 480;  // needs the high byte
        song.playBias = 2;
        testsong::Track melody{3, 0x74, 5, false, "Melody", {}};  // K#+ -12, ST+ 5
        melody.events = {{60, 48, 24, 100}, {62, 0, 96, 90}, {64, 200, 10, 80}};
        testsong::Track drums{9, 0x80, 0, false, "Drums", {{36, 10, 5, 80}}};  // K#+ OFF
        song.tracks = {melody, drums};
        const std::vector<uint8_t> bytes = Build(song);

        const rcp::SongInfo info = rcp::Inspect(bytes.data(), bytes.size());
        EXPECT_EQ(variant, info.variant);
        EXPECT_EQ(480, info.timebase);
        EXPECT_EQ(
            (std::vector<size_t>{4, 2}),
            std::vector<size_t>(info.trackEventCounts.begin(), info.trackEventCounts.begin() + 2));

        const auto csv = Csv(bytes);
        EXPECT_EQ("0, 0, Header, 1, 3, 480", csv.at(0));
        EXPECT_EQ(1u, Matching(csv, "Title_t, \"Test\"").size());
        EXPECT_EQ(1u, Matching(csv, "2, 0, Title_t, \"Melody\"").size());
        EXPECT_EQ(1u, Matching(csv, "2, 5, Note_on_c, 3, 50, 100").size());
        EXPECT_EQ(1u, Matching(csv, "2, 29, Note_off_c, 3, 50, 0").size());
        EXPECT_EQ(1u, Matching(csv, "2, 53, Note_on_c, 3, 52, 90").size());
        EXPECT_EQ(1u, Matching(csv, "2, 149, Note_off_c, 3, 52, 0").size());
        EXPECT_EQ(1u, Matching(csv, "2, 53, Note_on_c, 3, 54, 80").size());
        EXPECT_EQ(1u, Matching(csv, "3, 0, Note_on_c, 9, 36, 80").size());
    }
}

TEST(SongNotes, TiesRestsChannelsMutingTempoKeyAndComments) {
    testsong::Song song;
    testsong::Track notes{0, 0, 0, false, "", {}};
    notes.events = {
        {48, 0, 100, 90},   // still sounds on port A when the track moves to port B
        {60, 10, 30, 100},  // sounds to 30 ...
        {60, 10, 30, 100},  // ... struck again while sounding: held on to 40
        {60, 10, 0, 0},     // rest
        {64, 10, 5, 0},     // velocity 0: rest
        {0xE6, 0, 0, 0},    // channel OFF
        {67, 10, 5, 70},    // not sent, takes time
        {0xE6, 0, 18, 0},   // port B channel 2
        {67, 0, 5, 70},    {0xEB, 0, 7, 100},
    };
    testsong::Track conductor{0xFF, 0, 0, false, "Off", {}};
    conductor.events = {{0xF5, 0x1E, 0, 0},  {0xE7, 48, 0x20, 0}, {0xF6, 0, 'H', 'e'},
                        {0xF7, 0, 'l', 'l'}, {0xF7, 0, 'o', ' '}, {0xF7, 0, 0xF7, 0xF7},
                        {0xEB, 0, 7, 1}};
    testsong::Track muted{0, 0, 0, true, "Muted", {{72, 10, 5, 90}, {0xE7, 0, 0x80, 0}}};
    song.tracks = {notes, conductor, muted};
    const auto csv = Csv(Build(song));

    EXPECT_EQ((std::vector<std::string>{"2, 0, Note_on_c, 0, 60, 100"}),
              Matching(csv, "Note_on_c, 0, 60"));
    EXPECT_EQ((std::vector<std::string>{"2, 40, Note_off_c, 0, 60, 0"}),
              Matching(csv, "Note_off_c, 0, 60"));
    EXPECT_TRUE(Matching(csv, ", 64, ").empty());
    EXPECT_EQ(
        (std::vector<std::string>{"2, 50, MIDI_port, 1", "2, 50, Note_on_c, 1, 67, 70",
                                  "2, 50, Control_c, 1, 7, 100", "2, 55, Note_off_c, 1, 67, 0"}),
        Matching(csv, "2, 5"));
    EXPECT_EQ((std::vector<std::string>{"2, 100, MIDI_port, 0", "2, 100, Note_off_c, 0, 48, 0",
                                        "2, 100, End_track"}),
              Matching(csv, "2, 100, "));
    // The OFF track sends no channel message but its key, tempo and comment act.
    EXPECT_TRUE(Matching(csv, "Control_c, 0, 7, 1").empty());
    EXPECT_EQ(1u, Matching(csv, "1, 0, Key_signature, -6, \"minor\"").size());
    EXPECT_EQ(1u, Matching(csv, "1, 0, Tempo, 1000000").size());
    EXPECT_EQ(1u, Matching(csv, "3, 48, Text_t, \"Hello\"").size());
    // Nothing of the muted track, not even its tempo.
    EXPECT_TRUE(Matching(csv, ", 72, ").empty());
    EXPECT_EQ(2u, Matching(csv, "Tempo").size());
}

TEST(SongExpansion, LoopsAndSameMeasuresInBothLayouts) {
    for (const Variant variant : {Variant::Rcp2, Variant::Rcp3G36}) {
        SCOPED_TRACE(rcp::VariantName(variant));
        const auto same = SixByte(variant) ? testsong::SameMeasure3 : testsong::SameMeasure2;
        testsong::Song song;
        song.variant = variant;
        testsong::Track loops{0, 0, 0, false, "", {}};
        loops.events = {{0xF9, 1, 0, 0},  {60, 10, 5, 100}, {0xF9, 1, 0, 0},
                        {62, 10, 5, 100}, {0xF8, 2, 0, 0},  {0xF8, 3, 0, 0},
                        {0xF9, 1, 0, 0},  {64, 10, 5, 100}, {0xF8, 0, 0, 0}};
        testsong::Track measures{1, 0, 0, false, "", {}};
        measures.events = {{65, 10, 5, 100}, {0xFD, 0, 0, 0}, same(0), same(2), {67, 10, 5, 100}};
        song.tracks = {loops, measures};
        rcp::Options options;
        options.endlessLoopPasses = 4;
        options.fadeSeconds = 0;
        const auto csv = Csv(Build(song), options);
        EXPECT_EQ(3u, Matching(csv, "Note_on_c, 0, 60").size());
        EXPECT_EQ(6u, Matching(csv, "Note_on_c, 0, 62").size());
        EXPECT_EQ(4u, Matching(csv, "Note_on_c, 0, 64").size());
        // Measure 0, its replay, a reference to that reference, then the next note.
        EXPECT_EQ(
            (std::vector<std::string>{"3, 0, Note_on_c, 1, 65, 100", "3, 10, Note_on_c, 1, 65, 100",
                                      "3, 20, Note_on_c, 1, 65, 100"}),
            Matching(csv, "Note_on_c, 1, 65"));
        EXPECT_EQ(1u, Matching(csv, "3, 30, Note_on_c, 1, 67").size());
    }
}

void ExpectError(const std::vector<uint8_t>& bytes, const std::string& reason,
                 const rcp::Options& options = {}) {
    SCOPED_TRACE(reason);
    const auto start = std::chrono::steady_clock::now();
    try {
        rcp::Convert(bytes.data(), bytes.size(), options);
        ADD_FAILURE() << "converted";
    } catch (const rcp::Error& error) {
        EXPECT_NE(std::string::npos, std::string(error.what()).find(reason)) << error.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

std::vector<uint8_t> OneTrack(std::vector<testsong::Event> events) {
    testsong::Song song;
    song.tracks = {{0, 0, 0, false, "", std::move(events)}};
    return Build(song);
}

TEST(SongErrors, BadInputEndsWithAClearErrorInBoundedTime) {
    std::vector<uint8_t> song = OneTrack({{60, 10, 5, 100}, {62, 10, 5, 100}});
    ExpectError({'M', 'T', 'h', 'd', 0, 0, 0, 6}, "not an RCP-family song");
    ExpectError(std::vector<uint8_t>(song.begin(), song.begin() + 0x300), "header is cut off");
    ExpectError(std::vector<uint8_t>(song.begin(), song.end() - 6), "cut off by the end");
    ExpectError(OneTrack({{0xFC, 0, 0xFC, 0x7F}}), "points outside the track");
    ExpectError(OneTrack({testsong::SameMeasure2(0)}), "cycle");
    ExpectError(OneTrack({testsong::SameMeasure2(1), testsong::SameMeasure2(0)}), "cycle");

    std::vector<testsong::Event> bomb(8, {0xF9, 1, 0, 0});
    bomb.push_back({60, 1, 1, 100});
    bomb.insert(bomb.end(), 8, {0xF8, 254, 0, 0});
    ExpectError(OneTrack(bomb), "limit");
    bomb[8] = {60, 0, 0, 0};  // silent and taking no time: only the work bound stops it
    ExpectError(OneTrack(bomb), "limit");
    bomb[8] = {0xE7, 1, 0x40, 1};  // gliding tempo changes, gathered for the whole song
    ExpectError(OneTrack(bomb), "limit");

    rcp::Options stopping;
    stopping.progress = [](int percent) { return percent < 50; };
    EXPECT_THROW(rcp::Convert(song.data(), song.size(), stopping), rcp::Stopped);
}

TEST(SongErrors, TheLimitsFollowThePassesAskedForAndSaySo) {
    // 3000 notes a pass of an endless loop: what converts at one pass converts at every one.
    const std::vector<uint8_t> song = OneTrack({{0xF9, 0, 0, 0},
                                                {0xF9, 0, 0, 0},
                                                {0xF9, 0, 0, 0},
                                                {60, 1, 1, 100},
                                                {0xF8, 30, 0, 0},
                                                {0xF8, 100, 0, 0},
                                                {0xF8, 0, 0, 0}});
    rcp::Options options;
    options.endlessLoopPasses = rcp::kMaxLoopPasses;
    options.fadeSeconds = 0;
    EXPECT_NO_THROW(rcp::Convert(song.data(), song.size(), options));
    // A loop bomb without an endless loop gains nothing from the passes; the message names the
    // limit and the passes.
    std::vector<testsong::Event> bomb(8, {0xF9, 1, 0, 0});
    bomb.push_back({60, 0, 0, 0});
    bomb.insert(bomb.end(), 8, {0xF8, 254, 0, 0});
    ExpectError(OneTrack(bomb), "limit of 4000000 steps through its loops at 99 passes", options);
}

TEST(SongSysEx, TemplatesShortcutsAndRolandChecksums) {
    testsong::Song song;
    song.userExclusives[0] = {0x41, 0x10, 0x42, 0x12, 0x83, 0x40,
                              0x00, 0x80, 0x81, 0x82, 0x84, 0xF7};
    song.userExclusives[1] = {0x41, 0x10, 0x42, 0x12, 0x83, 0x40, 0x01};
    song.userExclusives[1].resize(23, 0x00);
    song.userExclusives[1].push_back(0x84);       // a full body with no F7 of its own
    song.userExclusives[2] = {0x41, 0x90, 0xF7};  // a status byte inside: not sendable
    testsong::Track track{3, 0, 0, false, "", {}};
    track.events = {
        {0x90, 0, 0x05, 0x7F}, {0x91, 0, 0, 0},       {0x92, 0, 0, 0},       {0x98, 96, 0, 0},
        {0xF7, 0, 0x41, 0x10}, {0xF7, 0, 0x42, 0x12}, {0xF7, 0, 0x83, 0x00}, {0xF7, 0, 0x00, 0x7F},
        {0xF7, 0, 0x00, 0x84}, {0xF7, 0, 0xF7, 0xF7}, {0xDD, 0, 0x40, 0x00}, {0xDF, 0, 0x10, 0x42},
        {0xDE, 0, 0x7F, 0x00}, {0xC1, 0, 0x10, 0x20}, {0xE2, 0, 5, 1},
    };
    song.tracks = {track};
    const auto csv = Csv(Build(song));
    std::string noChecksumPadding;
    for (int index = 0; index < 16; ++index) noChecksumPadding += "0, ";
    EXPECT_EQ(
        (std::vector<std::string>{
            "2, 0, System_exclusive, 11, 65, 16, 66, 18, 64, 0, 5, 127, 3, 57, 247",
            "2, 0, System_exclusive, 24, 65, 16, 66, 18, 64, 1, " + noChecksumPadding + "63, 247",
            "2, 0, System_exclusive, 10, 65, 16, 66, 18, 0, 0, 127, 0, 1, 247",
            "2, 96, System_exclusive, 10, 65, 16, 66, 18, 64, 0, 127, 0, 65, 247",
            "2, 96, System_exclusive, 6, 67, 19, 0, 16, 32, 247"}),
        Matching(csv, "System_exclusive"));
    EXPECT_EQ(1u, Matching(csv, "2, 96, Control_c, 3, 0, 1").size());
    EXPECT_EQ(1u, Matching(csv, "2, 96, Program_c, 3, 5").size());
}

std::vector<uint8_t> Cm6File() {
    std::vector<uint8_t> file(0x5849, 0);
    std::memcpy(file.data(), "COME ON MUSIC", 13);
    std::memcpy(file.data() + 0x10, "R MT-32", 7);
    return file;
}

TEST(SongSetup, ControlFilesAreSentFirstAndTheMusicWaitsForThem) {
    testsong::Song song;
    song.gsd = "SETUP.GSD";
    song.cm6 = "SOUNDS.CM6";
    song.tracks = {{0, 0, 0, false, "", {{60, 10, 5, 100}}}};
    rcp::Options options;
    std::vector<std::string> asked;
    options.readControlFile = [&](const std::string& name) -> std::optional<std::vector<uint8_t>> {
        asked.push_back(name);
        if (name == "SETUP.GSD") return testsong::GsdFile();
        if (name == "SOUNDS.CM6") return Cm6File();
        return std::nullopt;
    };
    const auto csv = Csv(Build(song), options);
    EXPECT_EQ((std::vector<std::string>{"SOUNDS.CM6", "SETUP.GSD"}), asked);
    const auto setup = Matching(csv, "System_exclusive");
    // MT-32: system 1, patches 1, rhythm 3, timbre temporary 16, patch memory 8, timbres 128;
    // then the GS reset, three system blocks, ten messages for each of 16 parts, the voice
    // reserve, the rhythm part's drum set again and four for each drum map.
    ASSERT_EQ(157u + 1u + 3u + 160u + 1u + 1u + 8u, setup.size());
    EXPECT_EQ(0u, setup[0].find("2, 0, System_exclusive, 32, 65, 16, 22, 18, 16, 0, 0, "));
    EXPECT_NE(std::string::npos,
              setup[158].find("65, 16, 66, 18, 64, 0, 0, 0, 4, 0, 0, 127, 64, 64, 61, 247"));
    const auto note = Matching(csv, "Note_on_c");
    ASSERT_EQ(1u, note.size());
    const int start = std::stoi(note[0].substr(3));
    const int lastSetup = std::stoi(setup.back().substr(3));
    EXPECT_GT(start, lastSetup);
    EXPECT_EQ(0, start % 48);

    options.controlFiles = false;
    EXPECT_EQ(1u, Matching(Csv(Build(song), options), "2, 0, Note_on_c").size());
}

}  // namespace
