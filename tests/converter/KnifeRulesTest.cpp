#include <gtest/gtest.h>

#include <algorithm>

#include "knife/Config.h"
#include "knife/Knife.h"
#include "knife/Song.h"
#include "smf/Smf.h"
#include "tests/converter/SmfBytes.h"

using namespace smfbytes;

namespace {

smf::File Processed(const Bytes& in, const std::string& config, knife::Options options = {},
                    knife::Report* report = nullptr) {
    return smf::Read(
        knife::Process(in.data(), in.size(), knife::ParseConfig(config), options, report));
}

knife::Failure FailureOf(const Bytes& in, knife::Options options = {}) {
    try {
        knife::Process(in.data(), in.size(), knife::Config(), options);
    } catch (const knife::Error& e) {
        return e.failure;
    }
    return knife::Failure{};
}

knife::Options With(bool knife::Options::*option) {
    knife::Options options;
    options.*option = true;
    return options;
}

// A song of two tracks with some of everything: tempo, sysex, notes, controllers, programs.
const Bytes kSong = File(1,
                         {Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xF0, 0x05, 0x7E,
                                 0x7F, 0x09, 0x01, 0xF7}),
                          Track({0x00, 0xB0, 0x07, 0x64, 0x00, 0xC0, 0x10, 0x00, 0x90, 0x3C, 0x50,
                                 0x00, 0xA0, 0x3C, 0x20, 0x30, 0xE0, 0x00, 0x48, 0x30, 0x80, 0x3C,
                                 0x40, 0x00, 0x99, 0x24, 0x64, 0x30, 0x99, 0x24, 0x00})},
                         480);

TEST(Knife, UntouchedSongKeepsEveryEventFormatAndDivision) {
    const smf::File in = smf::Read(kSong);
    knife::Report report;
    const smf::File out = Processed(kSong, "; nothing but a comment\n", {}, &report);
    EXPECT_EQ(out.format, in.format);
    EXPECT_EQ(out.division, in.division);
    ASSERT_EQ(out.tracks.size(), in.tracks.size());
    for (size_t t = 0; t < in.tracks.size(); ++t) {
        EXPECT_EQ(Describe(out.tracks[t]), Describe(in.tracks[t]));
    }
    EXPECT_TRUE(report.lines.empty());
}

TEST(Knife, FindsTheSongInsideRmidAndMacBinaryAndRefusesTheRest) {
    Bytes riff = {
        'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D',
        'L', 'I', 'S', 'T', 1, 0, 0, 0, 'x', 0};  // an odd-sized chunk and its pad byte come first
    Append(riff, {'d', 'a', 't', 'a', static_cast<uint8_t>(kSong.size()), 0, 0, 0});
    Append(riff, kSong);
    EXPECT_EQ(Describe(Processed(riff, "").tracks[1]), Describe(smf::Read(kSong).tracks[1]));

    Bytes mac(128, 0);
    mac[1] = 4;
    Append(mac, kSong);
    Append(mac, {0xDE, 0xAD});  // a resource fork after the data is no concern
    knife::Report macReport;
    EXPECT_EQ(Describe(Processed(mac, "", With(&knife::Options::macCut), &macReport).tracks[1]),
              Describe(smf::Read(kSong).tracks[1]));
    EXPECT_EQ(macReport.lines, std::vector<std::string>{"Mac: 128-byte MacBinary header cut"});
    EXPECT_EQ(FailureOf(mac), knife::Failure::NotSmf);

    Bytes format2 = kSong;
    format2[9] = 2;
    EXPECT_EQ(FailureOf(format2), knife::Failure::NotSmf);
    EXPECT_EQ(FailureOf(Bytes(kSong.begin(), kSong.end() - 2)), knife::Failure::NotSmf);
    Bytes riffCut(riff.begin(), riff.end() - 40);
    EXPECT_EQ(FailureOf(riffCut), knife::Failure::NotSmf);
    EXPECT_EQ(FailureOf({'R', 'I', 'F', 'F'}), knife::Failure::NotSmf);
}

TEST(Knife, ReadsFilesMissingTheirLastEndOfTrackOrTracksTheHeaderAnnouncesAndSaysSo) {
    const Bytes tempo = Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    const Bytes note = {0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00};
    const Lines noteRead = {"0 90 3C 64", "96 80 3C 00"};
    Bytes noEnd = File(1, {tempo, note});  // the chunk ends where its notes do
    const Bytes noteAndEnd = Track({0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00});
    Bytes cutShort = File(1, {tempo, noteAndEnd});
    cutShort.resize(cutShort.size() - 4);  // the chunk's length still counts the missing end
    for (const Bytes& song : {noEnd, cutShort}) {
        knife::Report report;
        const smf::File out = Processed(song, "", {}, &report);
        ASSERT_EQ(out.tracks.size(), 2u);
        EXPECT_EQ(Describe(out.tracks[1]), noteRead);
        EXPECT_EQ(out.tracks[1].endTick, 96u);
        EXPECT_EQ(report.lines, Lines({"read: end-of-track supplied for 1 track"}));
    }
    Bytes fewer = File(1, {tempo, noteAndEnd});
    fewer[11] = 3;
    knife::Report report;
    EXPECT_EQ(Processed(fewer, "", {}, &report).tracks.size(), 2u);
    EXPECT_EQ(report.lines, Lines({"read: the header announces 3 tracks, 2 present"}));

    // What cannot be read stays refused: an event cut in two, a header with no track after it.
    Bytes cutInsideAnEvent = cutShort;
    cutInsideAnEvent.resize(cutInsideAnEvent.size() - 2);
    Bytes noTrack = File(1, {});
    noTrack[11] = 1;
    EXPECT_EQ(FailureOf(cutInsideAnEvent), knife::Failure::NotSmf);
    EXPECT_EQ(FailureOf(noTrack), knife::Failure::NotSmf);
}

TEST(Knife, Ch10MovesDeclaredAndConfiguredRhythmPartsToChannel10) {
    // Part A (channel 11) is declared a rhythm part by the song; channel 3 by the configuration.
    const Bytes song =
        File(0, {Track({0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x1A, 0x15,
                        0x02, 0x0F, 0xF7,        // channel 11: drum map 2
                        0x00, 0xBA, 0x00, 0x01,  // its bank, program, volume
                        0x00, 0xCA, 0x08, 0x00, 0xBA, 0x07, 0x50, 0x00, 0x9A, 0x24,
                        0x64,                                      // a kick on channel 11
                        0x00, 0xAA, 0x24, 0x10, 0x00, 0xC2, 0x01,  // channel 3
                        0x00, 0x92, 0x26, 0x70, 0x00, 0x90, 0x3C, 0x50, 0x10, 0x8A,
                        0x24, 0x00, 0x00, 0x82, 0x26, 0x00, 0x00, 0x80, 0x3C, 0x00})});
    knife::Report report;
    const smf::File out = Processed(song, "rhythm 3", With(&knife::Options::ch10), &report);
    EXPECT_EQ(Describe(out.tracks[0]),
              Lines({"0 99 24 64", "0 A9 24 10", "0 99 26 70", "0 90 3C 50", "16 89 24 00",
                     "16 89 26 00", "16 80 3C 00"}));
    EXPECT_EQ(report.lines,
              Lines({"Ch10: rhythm channels 3 11 merged into channel 10, 2 notes moved, 4 "
                     "program, bank and controller messages removed, 1 rhythm part SysEx "
                     "removed"}));
    // Without the option the same configuration changes nothing.
    EXPECT_EQ(Describe(Processed(song, "rhythm 3").tracks[0]), Describe(smf::Read(song).tracks[0]));
}

TEST(Knife, Ch10MergesAPartOnlyWhileTheSongDeclaresItRhythm) {
    // Channel 11 plays piano from tick 0, is declared a rhythm part at 960 and returned to a
    // normal part at 1056: only what it plays in between is drums (nor transposed).
    const Bytes song = File(
        0, {Track({0x00, 0xCA, 0x05, 0x00, 0x9A, 0x3C, 0x64, 0x83, 0x60, 0x8A, 0x3C, 0x00, 0x83,
                   0x60, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x1A, 0x15, 0x02, 0x0F,
                   0xF7,                    // tick 960: channel 11 uses drum map 2
                   0x00, 0x9A, 0x24, 0x64,  // a kick
                   0x60, 0x8A, 0x24, 0x00, 0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x1A,
                   0x15, 0x00, 0x11, 0xF7,  // tick 1056: channel 11 is a normal part again
                   0x00, 0xCA, 0x07, 0x00, 0x9A, 0x3C, 0x50, 0x60, 0x8A, 0x3C, 0x00})});
    knife::Report report;
    const smf::File out = Processed(song, "transpose all 2", With(&knife::Options::ch10), &report);
    EXPECT_EQ(Describe(out.tracks[0]),
              Lines({"0 CA 05", "0 9A 3E 64", "480 8A 3E 00", "960 99 24 64", "1056 89 24 00",
                     "1056 F0 41 10 42 12 40 1A 15 00 11 F7", "1056 CA 07", "1056 9A 3E 50",
                     "1152 8A 3E 00"}));
    EXPECT_EQ(report.lines, Lines({"transpose: 2 notes transposed",
                                   "Ch10: rhythm channels 11 merged into channel 10, 1 notes "
                                   "moved, 1 rhythm part SysEx removed"}));
}

TEST(Knife, BankSelectsWithoutAProgramChangeBeforeTheNextNoteGo) {
    // Track 1 holds the bank selects, track 2 the programs and notes of the same channels.
    const Bytes song =
        File(1, {Track({0x00, 0xB0, 0x00, 0x01, 0x00, 0xB0, 0x20, 0x00,  // ch1: kept
                        0x00, 0xB1, 0x00, 0x02,                          // ch2: note first
                        0x20, 0xB2, 0x00, 0x03}),                        // ch3: nothing after
                 Track({0x10, 0xC0, 0x05, 0x00, 0x91, 0x3C, 0x40, 0x00, 0xC1, 0x06})});
    knife::Report report;
    smf::File out = Processed(song, "", With(&knife::Options::bank), &report);
    EXPECT_EQ(Describe(out.tracks[0]), Lines({"0 B0 00 01", "0 B0 20 00"}));
    EXPECT_EQ(Describe(out.tracks[1]), Lines({"16 C0 05", "16 91 3C 40", "16 C1 06"}));
    EXPECT_EQ(report.lines, Lines({"Bank: 2 bank selects without a program change removed"}));

    out = Processed(song, "target gm", With(&knife::Options::bank));
    EXPECT_EQ(Describe(out.tracks[0]), Lines({"0 F0 7E 7F 09 01 F7"}));
}

TEST(Knife, Cc64HoldsReleasedNotesUntilThePedalRisesOrTheKeyReturns) {
    const Bytes song = File(0, {Track({0x00, 0x90, 0x3C, 0x50,      // C on
                                       0x00, 0xB0, 0x40, 0x7F,      // pedal down
                                       0x10, 0x80, 0x3C, 0x00,      // C off at 16: held
                                       0x00, 0x90, 0x40, 0x50,      // E on
                                       0x10, 0x90, 0x40, 0x00,      // E off at 32: held
                                       0x10, 0x90, 0x40, 0x60,      // E again at 48
                                       0x10, 0xB0, 0x40, 0x00,      // pedal up at 64
                                       0x00, 0x91, 0x30, 0x40,      // channel 2: pedal
                                       0x00, 0xB1, 0x40, 0x40,      // down to the end
                                       0x10, 0x81, 0x30, 0x00,      // off at 80: held
                                       0x00, 0xB0, 0x40, 0x7F,      // ch1 down again
                                       0x10, 0x80, 0x40, 0x00})});  // E off at 96: held
    knife::Report report;
    const smf::File out = Processed(song, "", With(&knife::Options::cc64), &report);
    EXPECT_EQ(Describe(out.tracks[0]),
              Lines({"0 90 3C 50", "16 90 40 50", "48 90 40 00", "48 90 40 60", "64 80 3C 00",
                     "64 91 30 40", "96 80 40 00", "96 81 30 00"}));
    EXPECT_EQ(out.tracks[0].endTick, 96u);
    EXPECT_EQ(report.lines, Lines({"CC64: 4 pedal messages removed, 3 notes lengthened"}));
}

TEST(Knife, DirectivesTransposeScaleMapMoveAndDrop) {
    const std::string config =
        "TRANSPOSE all 12   ; never channel 10\n"
        "transpose 2 -60\n"
        "Velocity 1 150\n"
        "velocity 2 1\n"
        "program all 17 20\n"
        "channel 3 4\n"
        "drop aftertouch 1\n"
        "drop pitchbend all\n"
        "drop sysex all\n";
    const Bytes song =
        File(0, {Track({0x00, 0xF0, 0x03, 0x43, 0x10, 0xF7,  // sysex
                        0x00, 0x90, 0x3C, 0x64,              // ch1 note
                        0x00, 0xA0, 0x3C, 0x10, 0x00, 0xD0, 0x10, 0x00, 0xE0, 0x00, 0x50, 0x00,
                        0xC0, 0x10,              // program 17
                        0x00, 0x91, 0x3B, 0x64,  // ch2: 59-60 < 0
                        0x00, 0x91, 0x3D, 0x02,  // ch2: 61-60 = 1
                        0x00, 0x99, 0x24, 0x64,  // ch10 untouched
                        0x00, 0x92, 0x3C, 0x01,  // ch3 to ch4
                        0x10, 0x80, 0x3C, 0x00, 0x00, 0x81, 0x3B, 0x00, 0x00, 0x81, 0x3D, 0x00})});
    knife::Report report;
    const smf::File out = Processed(song, config, {}, &report);
    EXPECT_EQ(Describe(out.tracks[0]), Lines({"0 90 48 7F", "0 C0 13", "0 91 01 01", "0 99 24 64",
                                              "0 93 48 01", "16 80 48 00", "16 81 01 00"}));
    EXPECT_EQ(report.lines,
              Lines({"drop: 1 SysEx messages removed, 2 aftertouch messages removed, 1 "
                     "pitch bend messages removed",
                     "transpose: 3 notes transposed, 1 notes out of range removed",
                     "velocity: 2 note-on velocities scaled", "program: 1 program changes mapped",
                     "channel: 1 messages moved to another channel"}));
}

TEST(Knife, TargetInsertsItsResetUnlessTheSongSendsIt) {
    const Bytes song = File(0, {Track({0x00, 0x90, 0x3C, 0x64})});
    EXPECT_EQ(Describe(Processed(song, "target gs").tracks[0]),
              Lines({"0 F0 41 10 42 12 40 00 7F 00 41 F7", "0 90 3C 64"}));
    EXPECT_EQ(Describe(Processed(song, "target xg").tracks[0]),
              Lines({"0 F0 43 10 4C 00 00 7E 00 F7", "0 90 3C 64"}));
    // kSong sends the GM reset itself (to every device): nothing is added.
    EXPECT_EQ(Describe(Processed(kSong, "target gm").tracks[0]),
              Describe(smf::Read(kSong).tracks[0]));
}

TEST(Knife, ProgressRisesToAHundredAndAStopAnswerStops) {
    std::vector<int> seen;
    knife::Process(kSong.data(), kSong.size(), knife::Config(), {}, nullptr, [&](int percent) {
        seen.push_back(percent);
        return true;
    });
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    try {
        knife::Process(kSong.data(), kSong.size(), knife::Config(), {}, nullptr,
                       [](int percent) { return percent < 50; });
        FAIL() << "no stop";
    } catch (const knife::Error& e) {
        EXPECT_EQ(e.failure, knife::Failure::Stopped);
    }
}

TEST(Knife, OptionWordsTurnOnAsTheDialogWritesThem) {
    const knife::Options ticked = knife::OptionsFromWords(0, 0, 0, -1);
    EXPECT_TRUE(ticked.ch10 && ticked.bank && ticked.cc64 && ticked.macCut);
    const knife::Options clear = knife::OptionsFromWords(-1, 1, -1, 0);
    EXPECT_FALSE(clear.ch10 || clear.bank || clear.cc64 || clear.macCut);
}

}  // namespace

TEST(Knife, HoldsASongInEightBytesAnEventAndBuffersOfExactSize) {
    // The peak-memory bound rests on these: no event owns a heap block, no track's vector grows
    // by doubling, and the result is written into a buffer of its own size.
    Bytes notes = {0x00, 0x90, 0x28, 0x40};
    for (int i = 1; i < 100; ++i) Append(notes, {0x00, uint8_t(40 + i % 40), 0x40});
    Append(notes, {0x00, 0xFF, 0x2F, 0x00});
    const Bytes song = File(1, {Track({0x00, 0xF0, 0x01, 0xF7}), notes});
    const knife::Song read = knife::ReadSong(song.data(), song.size(), 1);
    EXPECT_EQ(sizeof(knife::Event), 8u);
    EXPECT_EQ(read.tracks[0].events.capacity(), 2u);  // one event and room for the reset
    EXPECT_EQ(read.tracks[1].events.capacity(), 100u);
    const std::vector<uint8_t> written = knife::WriteSong(read);
    EXPECT_EQ(written.capacity(), written.size());
    EXPECT_EQ(written, song);
}
