// Songs whose notes, loops and ends reach the corners of the converter: notes before the start,
// keys shared between tracks, loops that mean "endless", rests at the end, long same-measure
// chains, extreme tempos and text split between memo records.
#include <gtest/gtest.h>

#include "SongBuilder.h"

namespace {

using testsong::Build;
using testsong::Csv;
using testsong::Matching;

TEST(SongTiming, NotesBeforeTheStartBeginWithTheSongOnTheirOwnChannel) {
    testsong::Song song;
    // Channel 5 from ten ticks before the start; a note at the start offset -1 lasting 1 tick.
    song.tracks = {{4, 0, -10, false, "", {{60, 0, 48, 100}}},
                   {1, 0, -1, false, "", {{62, 0, 1, 100}}}};
    const auto csv = Csv(Build(song));
    EXPECT_EQ(
        (std::vector<std::string>{"2, 0, Note_on_c, 4, 60, 100", "2, 38, Note_off_c, 4, 60, 0"}),
        Matching(csv, ", 60, "));
    EXPECT_EQ(
        (std::vector<std::string>{"3, 0, Note_on_c, 1, 62, 100", "3, 0, Note_off_c, 1, 62, 0"}),
        Matching(csv, ", 62, "));
}

TEST(SongTiming, AKeyStruckWhereAnotherTrackReleasesItSoundsInAnyMergeOrder) {
    testsong::Song song;
    song.tracks = {{0, 0, 0, false, "", {{60, 48, 48, 100}}},
                   {0, 0, 0, false, "", {{60, 48, 0, 0}, {60, 48, 48, 90}}}};
    // Release and strike in one track, in that order: no merge can put them the other way.
    EXPECT_EQ(
        (std::vector<std::string>{"3, 48, Note_off_c, 0, 60, 0", "3, 48, Note_on_c, 0, 60, 90"}),
        Matching(Csv(Build(song)), ", 48, Note"));
}

TEST(SongTiming, LoopCount255IsEndless) {
    testsong::Song song;
    song.tracks = {{0, 0, 0, false, "", {{0xF9, 0, 0, 0}, {60, 48, 24, 100}, {0xF8, 255, 0, 0}}}};
    const std::vector<uint8_t> bytes = Build(song);
    rcp::Options options;
    options.fadeSeconds = 0;
    rcp::SongInfo info;
    const smf::File file = rcp::Convert(bytes.data(), bytes.size(), options, &info);
    EXPECT_EQ(2u, Matching(testsong::CsvOfMidi(smf::Write(file)), "Note_on_c").size());
    ASSERT_TRUE(info.playingTime);
    EXPECT_TRUE(info.playingTime->endless);
}

TEST(SongTiming, TrailingRestsLengthenTheTrackAndTheSong) {
    testsong::Song song;
    song.tracks = {{0, 0, 0, false, "", {{60, 48, 24, 100}, {0, 144, 0, 0}, {0, 192, 0, 0}}},
                   {1, 0, 0, false, "", {{62, 24, 12, 100}}}};
    const std::vector<uint8_t> bytes = Build(song);
    rcp::SongInfo info;
    const auto csv =
        testsong::CsvOfMidi(smf::Write(rcp::Convert(bytes.data(), bytes.size(), {}, &info)));
    EXPECT_EQ(
        (std::vector<std::string>{"1, 384, End_track", "2, 384, End_track", "3, 24, End_track"}),
        Matching(csv, "End_track"));
    ASSERT_TRUE(info.playingTime);
    EXPECT_DOUBLE_EQ(4.0, info.playingTime->seconds);  // 384 ticks of 48 a quarter at 120
    EXPECT_FALSE(info.playingTime->endless);
}

TEST(SongTiming, SameMeasureChainsLongerThanAnyFixedHopLimitPlay) {
    // Each reference names the one before it: the last is a chain of 80 references.
    std::vector<testsong::Event> events{{60, 10, 5, 100}, {0xFD, 0, 0, 0}};
    for (int index = 2; index < 82; ++index)
        events.push_back(testsong::SameMeasure2(index == 2 ? 0 : index - 1));
    testsong::Song song;
    song.tracks = {{0, 0, 0, false, "", events}};
    EXPECT_EQ(81u, Matching(Csv(Build(song)), "Note_on_c").size());
}

TEST(SongTiming, TheSlowestTempoIsClampedNotWrapped) {
    testsong::Song song;
    song.tempo = 1;  // a factor of 1 makes it 1/64 quarter a minute
    song.tracks = {{0xFF, 0, 0, false, "", {{0, 48, 0, 0}, {0xE7, 0, 1, 0}}}};
    EXPECT_EQ((std::vector<std::string>{"1, 0, Tempo, 16777215", "1, 48, Tempo, 16777215"}),
              Matching(Csv(Build(song)), "Tempo"));
}

TEST(SongTiming, MemoCharactersSplitBetweenRecordsStayWhole) {
    testsong::Song song;
    song.memo = std::string(27, 'A') + "\x82" + "\xA0" + "B";
    song.tracks = {{0, 0, 0, false, "", {{60, 10, 5, 100}}}};
    const std::vector<uint8_t> bytes = Build(song);
    const smf::File file = rcp::Convert(bytes.data(), bytes.size(), {});
    std::vector<std::string> memo;
    for (const smf::Event& event : file.tracks[0].events)
        if (event.isMeta() && event.metaType == 0x01)
            memo.emplace_back(event.data.begin(), event.data.end());
    EXPECT_EQ((std::vector<std::string>{std::string(27, 'A') + "\x82\xA0", "B"}), memo);
}

}  // namespace
