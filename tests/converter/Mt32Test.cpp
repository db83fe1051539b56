// MT-32 songs rendered for GS and GM synthesizers: songs built here with a CM6 setup file and
// MT-32 exclusives, converted, read back through midicsv, and played by a small model of what a
// GS or GM synthesizer does with each message. The expected sounds come from the MT-32's preset
// list and the usual MT-32-to-GM table, written out here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "SongBuilder.h"
#include "knife/Config.h"
#include "knife/Knife.h"

namespace {

using testsong::Build;
using testsong::CsvOfMidi;
using testsong::Matching;

// What a GS/GM synthesizer has set on a channel when a note starts there.
struct Heard {
    int bankMsb = 0, bankLsb = 0, program = 0, bend = 2, pan = 64, volume = 100;
    bool operator==(const Heard& other) const {
        return bankMsb == other.bankMsb && bankLsb == other.bankLsb && program == other.program &&
               bend == other.bend && pan == other.pan && volume == other.volume;
    }
};

std::ostream& operator<<(std::ostream& out, const Heard& heard) {
    return out << "bank " << heard.bankMsb << "/" << heard.bankLsb << " program " << heard.program
               << " bend " << heard.bend << " pan " << heard.pan << " volume " << heard.volume;
}

struct Note {
    int tick, channel, key;
    Heard heard;
};

// midicsv's lines played in order (by tick, then track), each note with its channel's settings.
std::vector<Note> NotesAsHeard(const std::vector<std::string>& csv) {
    struct Line {
        int track, tick;
        std::string type;
        std::vector<int> values;
    };
    std::vector<Line> lines;
    for (const std::string& text : csv) {
        std::istringstream in(text);
        Line line;
        char comma;
        if (!(in >> line.track >> comma >> line.tick >> comma)) continue;
        in >> std::ws;
        std::getline(in, line.type, ',');
        for (int value; in >> value;) {
            line.values.push_back(value);
            in >> comma;
        }
        lines.push_back(line);
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
    });
    std::array<Heard, 16> channels{};
    std::array<std::array<int, 2>, 16> rpn{};
    for (auto& selection : rpn) selection = {127, 127};
    std::vector<Note> notes;
    for (const Line& line : lines) {
        const std::vector<int>& v = line.values;
        if (line.type == "Note_on_c" && v[2] > 0) {
            notes.push_back({line.tick, v[0], v[1], channels[v[0]]});
        } else if (line.type == "Program_c") {
            channels[v[0]].program = v[1];
        } else if (line.type == "Control_c") {
            Heard& heard = channels[v[0]];
            switch (v[1]) {
                case 0:
                    heard.bankMsb = v[2];
                    break;
                case 32:
                    heard.bankLsb = v[2];
                    break;
                case 7:
                    heard.volume = v[2];
                    break;
                case 10:
                    heard.pan = v[2];
                    break;
                case 101:
                    rpn[v[0]][0] = v[2];
                    break;
                case 100:
                    rpn[v[0]][1] = v[2];
                    break;
                case 6:
                    if (rpn[v[0]] == std::array<int, 2>{0, 0}) heard.bend = v[2];
                    break;
            }
        }
    }
    return notes;
}

// A data set to the MT-32 (unit 10h) as an RCP user exclusive: 83h starts the checksum, 84h
// places it.
std::vector<uint8_t> Mt32Exclusive(std::initializer_list<uint8_t> addressAndData) {
    std::vector<uint8_t> body{0x41, 0x10, 0x16, 0x12, 0x83};
    body.insert(body.end(), addressAndData);
    body.push_back(0x84);
    body.push_back(0xF7);
    return body;
}

// A CM6 file: parts 1-8 on channels 1-8, the rhythm part on 10; part 1 plays ElecPiano3 (group
// A, 5) panned hard left with bend range 2 at full level; part 2 custom timbre 3, "MY PAD",
// panned right; part 3 Acou Bass1 (group B, 0) with bend range 24. Program 10 selects Flute 1
// (group B, 8) with bend range 7; program 11 custom timbre 4, "str sect 1", bend range 5.
std::vector<uint8_t> Cm6File() {
    std::vector<uint8_t> file(0x5849, 0);
    std::memcpy(file.data(), "COME ON MUSIC", 13);
    std::memcpy(file.data() + 0x10, "R MT-32", 7);
    uint8_t* system = file.data() + 0x80;
    system[1] = 0, system[2] = 5, system[3] = 3, system[0x16] = 100;
    for (int part = 0; part < 8; ++part) system[0x0D + part] = uint8_t(part);
    system[0x15] = 9;
    const auto patchTemp = [&](int part, std::initializer_list<uint8_t> fields) {
        std::copy(fields.begin(), fields.end(), file.begin() + 0xA0 + part * 16);
    };
    //             group timbre shift fine bend mode reverb -  level pan
    patchTemp(0, {0, 5, 24, 50, 2, 0, 1, 0, 100, 14});
    patchTemp(1, {2, 3, 24, 50, 12, 0, 1, 0, 80, 0});
    patchTemp(2, {1, 0, 24, 50, 24, 0, 0, 0, 80, 7});
    const auto patch = [&](int program, std::initializer_list<uint8_t> fields) {
        std::copy(fields.begin(), fields.end(), file.begin() + 0xA34 + program * 8);
    };
    patch(10, {1, 8, 24, 50, 7, 0, 1, 0});
    patch(11, {2, 4, 24, 50, 5, 0, 1, 0});
    std::memcpy(file.data() + 0xE34 + 3 * 256, "MY PAD    ", 10);
    std::memcpy(file.data() + 0xE34 + 4 * 256, "str sect 1", 10);
    return file;
}

testsong::Song Mt32Song() {
    testsong::Song song;
    song.cm6 = "SOUNDS.CM6";
    testsong::Track first{0, 0, 0, false, "", {}};
    first.events = {{0xEB, 0, 0, 8},   {0xEA, 0, 40, 0},  {60, 48, 24, 100}, {0xEC, 0, 10, 0},
                    {62, 48, 24, 100}, {0xEC, 0, 11, 0},  {64, 48, 24, 100}, {0xEB, 0, 10, 100},
                    {65, 48, 24, 100}, {0xEB, 0, 91, 100}};
    testsong::Track second{1, 0, 0, false, "", {{67, 48, 24, 90}}};
    testsong::Track third{2, 0, 0, false, "", {}};
    third.events = {
        {40, 48, 24, 90}, {0xEB, 0, 101, 0}, {0xEB, 0, 100, 0}, {0xEB, 0, 6, 3}, {41, 48, 24, 90}};
    testsong::Track drums{9, 0, 0, false, "", {{0xEC, 0, 5, 0}, {36, 48, 24, 100}}};
    song.tracks = {first, second, third, drums};
    return song;
}

struct Rendered {
    std::vector<std::string> csv;
    rcp::SongInfo info;
};

Rendered Convert(const testsong::Song& song, mt32::Target target, bool withCm6 = true) {
    rcp::Options options;
    options.target = target;
    options.readControlFile = [&](const std::string&) -> std::optional<std::vector<uint8_t>> {
        if (withCm6) return Cm6File();
        return std::nullopt;
    };
    const std::vector<uint8_t> bytes = Build(song);
    Rendered rendered;
    rendered.csv =
        CsvOfMidi(smf::Write(rcp::Convert(bytes.data(), bytes.size(), options, &rendered.info)));
    return rendered;
}

std::vector<std::string> NoteOns(const std::vector<std::string>& csv) {
    std::vector<std::string> notes;
    for (const std::string& line : Matching(csv, "Note_"))
        notes.push_back(line.substr(line.find(',')));
    std::sort(notes.begin(), notes.end());
    return notes;
}

TEST(Mt32Rendering, EveryNotePlaysWhatTheMt32Played) {
    // Preset n, and the GM program usually standing in for it.
    struct Preset {
        int gs, gm;
    };
    const Preset elecPiano3{5, 4}, flute1{72, 79}, strSect1{48, 48}, fantasy{32, 88},
        acouBass1{64, 32};
    const Rendered asWritten = Convert(Mt32Song(), mt32::Target::None);
    for (const mt32::Target target : {mt32::Target::GS, mt32::Target::GM}) {
        const bool gs = target == mt32::Target::GS;
        SCOPED_TRACE(gs ? "GS" : "GM");
        const Rendered rendered = Convert(Mt32Song(), target);
        const auto melodic = [&](const Preset& preset, int bend, int pan, int volume) {
            Heard heard;
            heard.bankMsb = gs ? 127 : 0;
            heard.bankLsb = gs ? 1 : 0;
            heard.program = gs ? preset.gs : preset.gm;
            heard.bend = bend, heard.pan = pan, heard.volume = volume;
            return heard;
        };
        Heard drums;
        drums.bankLsb = gs ? 1 : 0;
        drums.program = gs ? 127 : 0;  // the MT-32 drum set on GS, the standard kit on GM
        drums.bend = 2, drums.volume = 102;
        const std::vector<Note> notes = NotesAsHeard(rendered.csv);
        ASSERT_EQ(8u, notes.size());
        // Level 100 is CC#7 127, the power-on 80 is 102; panpot 14 (left) is CC#10 0.
        EXPECT_EQ(melodic(elecPiano3, 2, 0, 127), notes[0].heard);   // part 1
        EXPECT_EQ(melodic(fantasy, 12, 127, 102), notes[1].heard);   // "MY PAD"
        EXPECT_EQ(melodic(acouBass1, 24, 64, 102), notes[2].heard);  // part 3
        EXPECT_EQ(drums, notes[3].heard);                            // its program ignored
        EXPECT_EQ(melodic(flute1, 7, 0, 127), notes[4].heard);       // program 10
        EXPECT_EQ(melodic(acouBass1, 3, 64, 102), notes[5].heard);   // the song's RPN 0
        EXPECT_EQ(melodic(strSect1, 5, 0, 127), notes[6].heard);     // program 11: "str sect 1"
        EXPECT_EQ(melodic(strSect1, 5, 127 - 100, 127), notes[7].heard);  // CC#10 mirrored

        EXPECT_EQ(NoteOns(asWritten.csv), NoteOns(rendered.csv));
        const std::string reset =
            gs ? "1, 0, System_exclusive, 10, 65, 16, 66, 18, 64, 0, 127, 0, 65, 247"
               : "1, 0, System_exclusive, 5, 126, 127, 9, 1, 247";
        EXPECT_EQ(reset, Matching(rendered.csv, "System_exclusive")[0]);
        // Nothing the MT-32 ignores: its own exclusives, the song's bank select, reverb send and
        // channel pressure.
        EXPECT_TRUE(Matching(rendered.csv, ", 22, 18, ").empty());
        EXPECT_TRUE(Matching(rendered.csv, "Control_c, 0, 0, 8").empty());
        EXPECT_TRUE(Matching(rendered.csv, "Control_c, 0, 91, 100").empty());
        EXPECT_TRUE(Matching(rendered.csv, "Channel_aftertouch_c").empty());
        if (!gs) {
            EXPECT_TRUE(Matching(rendered.csv, "Control_c, 0, 32, ").empty());
        }
        const std::string summary = std::string("MT-32 song rendered for ") + (gs ? "GS" : "GM") +
                                    ": 9 parts, 2 program changes, 2 custom timbres approximated";
        ASSERT_FALSE(rendered.info.mt32.rendering.empty());
        EXPECT_EQ(summary, rendered.info.mt32.rendering[0]);
        EXPECT_EQ(1u, Matching(rendered.info.mt32.rendering,
                               "part 2: custom timbre 'MY PAD' played as 'Fantasy'")
                          .size());
        EXPECT_EQ(1u, Matching(rendered.csv, "Text_t, \"" + summary).size());
    }
}

TEST(Mt32Rendering, ANamedSetupNotFoundLeavesThePowerOnStateForTheDataSetsToChange) {
    // Part 1 (channel 2) set to Flute 1 (group B, 8) twice: by a data set with a wrong checksum,
    // which the device drops, then by one sent to channel 2's unit number, which addresses the
    // patch of the part listening there.
    testsong::Song song;
    song.cm6 = "MISSING.CM6";
    song.userExclusives[0] = {0x41, 0x10, 0x16, 0x12, 0x03, 0x00, 0x00, 0x01, 0x08, 0x00, 0xF7};
    song.userExclusives[1] = {0x41, 0x01, 0x16, 0x12, 0x83, 0x00,
                              0x00, 0x00, 0x01, 0x08, 0x84, 0xF7};
    song.tracks = {{1,
                    0,
                    0,
                    false,
                    "",
                    {{0x90, 0, 0, 0}, {60, 48, 24, 100}, {0x91, 0, 0, 0}, {62, 48, 24, 100}}}};
    const Rendered rendered = Convert(song, mt32::Target::GM, false);
    const std::vector<Note> notes = NotesAsHeard(rendered.csv);
    ASSERT_EQ(2u, notes.size());
    // At power-on part 1 plays Slap Bass1 (GM 36), centred, bend range 12, level 80.
    Heard heard;
    heard.program = 36, heard.bend = 12, heard.volume = 102;
    EXPECT_EQ(heard, notes[0].heard);
    heard.program = 79;
    EXPECT_EQ(heard, notes[1].heard);
    EXPECT_EQ("MISSING.CM6", rendered.info.mt32.setupName);
    EXPECT_EQ(2u, rendered.info.mt32.songDataSets);
}

TEST(Mt32Rendering, ARhythmPartElsewhereMovesToChannel10WhenItIsFree) {
    // The song puts the rhythm part on channel 11; then, in the second song, part 1 on 10.
    testsong::Song song;
    song.userExclusives[0] = Mt32Exclusive({0x10, 0x00, 0x15, 10});
    song.userExclusives[1] = Mt32Exclusive({0x10, 0x00, 0x0D, 9});
    song.tracks = {{0, 0, 0, false, "", {{0x90, 0, 0, 0}}},
                   {10, 0, 0, false, "", {{36, 48, 24, 100}}}};
    const Rendered free = Convert(song, mt32::Target::GM, false);
    EXPECT_EQ(1u, Matching(free.csv, "Note_on_c, 9, 36, 100").size());
    EXPECT_TRUE(Matching(free.csv, "Note_on_c, 10,").empty());

    song.tracks[0].events.push_back({0x91, 0, 0, 0});
    song.tracks.push_back({9, 0, 0, false, "", {{60, 48, 24, 100}}});
    for (const mt32::Target target : {mt32::Target::GM, mt32::Target::GS}) {
        const Rendered taken = Convert(song, target, false);
        EXPECT_EQ(1u, Matching(taken.csv, "Note_on_c, 10, 36, 100").size());
        EXPECT_EQ(1u, Matching(taken.info.mt32.rendering, "rhythm part left on channel 11").size());
        EXPECT_EQ(target == mt32::Target::GM ? 1u : 0u,
                  Matching(taken.info.mt32.rendering, "part 1 listens on channel 10").size());
        // On GS channel 11 becomes a drum part (40 1B 15 = 1) and channel 10 a normal one.
        EXPECT_EQ(target == mt32::Target::GS ? 1u : 0u,
                  Matching(taken.csv, "65, 16, 66, 18, 64, 26, 21, 1, ").size());
        EXPECT_EQ(target == mt32::Target::GS ? 1u : 0u,
                  Matching(taken.csv, "65, 16, 66, 18, 64, 16, 21, 0, ").size());
    }
}

TEST(Mt32Rendering, ASongWithoutMt32DataIsTheSameAtEveryTarget) {
    testsong::Song song;
    song.userExclusives[0] = {0x41, 0x10, 0x42, 0x12, 0x83, 0x40, 0x00, 0x7F, 0x00, 0x84, 0xF7};
    song.tracks = {{0, 0, 0, false, "", {{0x90, 0, 0, 0}, {0xEC, 0, 5, 0}, {60, 48, 24, 100}}}};
    const std::vector<uint8_t> bytes = Build(song);
    std::vector<std::vector<uint8_t>> outputs;
    for (const mt32::Target target : {mt32::Target::None, mt32::Target::GS, mt32::Target::GM}) {
        rcp::Options options;
        options.target = target;
        rcp::SongInfo info;
        outputs.push_back(smf::Write(rcp::Convert(bytes.data(), bytes.size(), options, &info)));
        EXPECT_FALSE(info.mt32.present());
        EXPECT_TRUE(info.mt32.rendering.empty());
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_EQ(outputs[0], outputs[2]);
}

TEST(Mt32Rendering, ThePostProcessorsTargetRendersMt32DataSets) {
    // Part 1 (channel 2) switched to group B, timbre 8: Flute 1, GM 79.
    smf::File file;
    file.tracks.resize(1);
    file.tracks[0].events = {
        {0, 0xF0, 0, {0x41, 0x10, 0x16, 0x12, 0x03, 0x00, 0x00, 0x01, 0x08, 0x74, 0xF7}},
        {0, 0x91, 0, {60, 100}},
        {96, 0x81, 0, {60, 0}}};
    const std::vector<uint8_t> bytes = smf::Write(file);
    for (const auto& [config, gs] :
         {std::pair<std::string, bool>{"target gs", true}, {"target xg", false}}) {
        SCOPED_TRACE(config);
        knife::Report report;
        const std::vector<uint8_t> out =
            knife::Process(bytes.data(), bytes.size(), knife::ParseConfig(config), {}, &report);
        const std::vector<Note> notes = NotesAsHeard(CsvOfMidi(out));
        ASSERT_EQ(1u, notes.size());
        EXPECT_EQ(gs ? 72 : 79, notes[0].heard.program);
        EXPECT_EQ(gs ? 127 : 0, notes[0].heard.bankMsb);
        EXPECT_EQ(12, notes[0].heard.bend);
        ASSERT_FALSE(report.lines.empty());
        EXPECT_EQ(0u, report.lines[0].find(gs ? "MT-32 song rendered for GS: 9 parts"
                                              : "MT-32 song rendered for GM: 9 parts"));
    }
    // Without a target the MT-32 data set stays, and so does everything else.
    EXPECT_EQ(bytes, knife::Process(bytes.data(), bytes.size(), knife::Config(), {}));
}

}  // namespace
