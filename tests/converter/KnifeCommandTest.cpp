#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "smf/Smf.h"
#include "tests/converter/SmfBytes.h"
#include "tests/converter/SongBuilder.h"

using namespace smfbytes;

namespace {

struct Outcome {
    int status;
    std::string output;  // stdout and stderr
};

Outcome RunCli(const std::string& arguments) {
    const std::string command = std::string(VLC_CLI_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    Outcome outcome{-1, {}};
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) outcome.output += buffer;
    if (pipe) outcome.status = pclose(pipe);
    return outcome;
}

class KnifeCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "knife-cli-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::remove((dir_ + "out.mid").c_str());
        std::system(("mkdir -p '" + dir_ + "'").c_str());
        // A note held by the pedal, on channel 1.
        Save("in.mid", File(0, {Track({0x00, 0xB0, 0x40, 0x7F, 0x00, 0x90, 0x3C, 0x50, 0x10, 0x80,
                                       0x3C, 0x00, 0x10, 0xB0, 0x40, 0x00})}));
    }
    void Save(const std::string& name, const Bytes& bytes) {
        std::ofstream(dir_ + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    void Save(const std::string& name, const std::string& text) {
        Save(name, Bytes(text.begin(), text.end()));
    }
    bool OutputExists() const { return std::ifstream(dir_ + "out.mid").good(); }
    std::string dir_;
};

TEST_F(KnifeCommand, ProcessesWithOptionsAndPrintsWhatChanged) {
    Save("a.cfg", "target gm ; the module\n");
    const Outcome run =
        RunCli("--knife " + dir_ + "a.cfg --cc64 " + dir_ + "in.mid " + dir_ + "out.mid");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output,
              "CC64: 2 pedal messages removed, 1 notes lengthened\ntarget: GM reset inserted\n");
    std::ifstream file(dir_ + "out.mid", std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(Describe(smf::Read(bytes).tracks[0]),
              Lines({"0 F0 7E 7F 09 01 F7", "0 90 3C 50", "32 80 3C 00"}));
}

TEST_F(KnifeCommand, RefusesBadConfigurationsAndFilesWritingNothing) {
    Save("bad.cfg", "target gs\n\nvelocity 3 loud\n");
    Outcome run = RunCli("--knife " + dir_ + "bad.cfg " + dir_ + "in.mid " + dir_ + "out.mid");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("line 3: percent 'loud'"), std::string::npos) << run.output;
    EXPECT_FALSE(OutputExists());

    Save("good.cfg", "");
    Save("cut.mid", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96, 'M', 'T', 'r', 'k'});
    run = RunCli("--knife " + dir_ + "good.cfg " + dir_ + "cut.mid " + dir_ + "out.mid");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.output.find("not a Standard MIDI File"), std::string::npos) << run.output;
    EXPECT_FALSE(OutputExists());

    // A song is judged by the song reader, not taken for a broken MIDI file.
    testsong::Song song;
    song.timebase = 0;
    song.tracks = {{0, 0, 0, false, "", {{60, 10, 5, 100}}}};
    Save("zero.rcp", testsong::Build(song));
    run = RunCli("--knife " + dir_ + "good.cfg " + dir_ + "zero.rcp " + dir_ + "out.mid");
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.output, "vellacord-convert: " + dir_ + "zero.rcp: timebase 0 is out of range\n");
    EXPECT_FALSE(OutputExists());

    run = RunCli("--cc64 " + dir_ + "in.mid " + dir_ + "out.mid");
    EXPECT_NE(run.status, 0);
    EXPECT_FALSE(OutputExists());
}

}  // namespace
