// The command line as a user runs it: exit codes, messages, no leftovers, control files found
// whatever their case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "SongBuilder.h"

namespace {

namespace fs = std::filesystem;

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("vellacord-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(folder_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return (folder_ / name).string();
    }

    // Runs the command line; its standard output and error end up in `output_`.
    int Run(const std::string& arguments) {
        const std::string log = (folder_ / "log").string();
        const int status = std::system(
            (std::string(VLC_CLI_PATH) + " " + arguments + " >" + log + " 2>&1").c_str());
        std::ifstream in(log);
        output_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        fs::remove(log);
        return WEXITSTATUS(status);
    }

    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
    std::string output_;
};

testsong::Song OneNote(rcp::SongInfo::Variant variant) {
    testsong::Song song;
    song.variant = variant;
    song.gsd = "SETUP.GSD";
    song.tracks = {{0, 0, 0, false, "", {{60, 10, 5, 100}}}};
    return song;
}

TEST_F(CliTest, ConvertsWholeAndFindsControlFilesWhateverTheirCase) {
    // A code-page-932 name whose second byte is a backslash: part of the name, not a folder.
    const std::string song = Put("\x83\x5c.g36", Build(OneNote(rcp::SongInfo::Variant::Rcp3G36)));
    std::vector<uint8_t> gsd(0xA71, 0);
    std::memcpy(gsd.data(), "COME ON MUSIC", 13);
    std::memcpy(gsd.data() + 0x0E, "GS CONTROL 1.0", 14);
    Put("Setup.gsd", gsd);
    const std::string out = (folder_ / "out.mid").string();

    ASSERT_EQ(0, Run("'" + song + "' " + out)) << output_;
    EXPECT_EQ("", output_);
    EXPECT_EQ((std::vector<std::string>{"Setup.gsd", "out.mid", "\x83\x5c.g36"}), Files());
    std::ifstream in(out, std::ios::binary);
    const std::vector<uint8_t> midi{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    EXPECT_EQ(4u, testsong::Matching(testsong::CsvOfMidi(midi), "System_exclusive").size());

    ASSERT_EQ(0, Run("--no-control-files --loops 3 '" + song + "' " + out)) << output_;
    std::ifstream again(out, std::ios::binary);
    const std::vector<uint8_t> plain{std::istreambuf_iterator<char>(again),
                                     std::istreambuf_iterator<char>()};
    EXPECT_TRUE(testsong::Matching(testsong::CsvOfMidi(plain), "System_exclusive").empty());

    ASSERT_EQ(0, Run("--info '" + song + "'"));
    EXPECT_NE(std::string::npos, output_.find("variant: RCP 3.0 (G36)\n"));
    EXPECT_NE(std::string::npos, output_.find("track 1: 2 events"));
}

TEST_F(CliTest, FailuresNameTheFileAndLeaveNothingBehind) {
    std::vector<uint8_t> cut = Build(OneNote(rcp::SongInfo::Variant::Rcp2));
    cut.resize(cut.size() - 5);
    const std::string song = Put("cut.rcp", cut);
    const std::string out = (folder_ / "out.mid").string();

    EXPECT_EQ(1, Run(song + " " + out));
    EXPECT_EQ("vellacord-convert: " + song + ": track 1 is cut off by the end of the file\n",
              output_);
    EXPECT_EQ(1, Run((folder_ / "missing.rcp").string() + " " + out));
    EXPECT_NE(std::string::npos, output_.find("missing.rcp: cannot open"));
    EXPECT_EQ((std::vector<std::string>{"cut.rcp"}), Files());

    const std::string good = Put("good.rcp", Build(OneNote(rcp::SongInfo::Variant::Rcp2)));
    EXPECT_EQ(1, Run(good + " " + (folder_ / "no-such-folder" / "out.mid").string()));
    EXPECT_NE(std::string::npos, output_.find("out.mid: cannot create"));

    EXPECT_EQ(2, Run(""));
    EXPECT_EQ(2, Run("--loops 0 " + good + " " + out));
    for (const std::string bad :
         {"--loops 100", "--fade 60.5", "--fade -1", "--fade 1e1", "--fade nan", "--fade ''"}) {
        EXPECT_EQ(2, Run(bad + " " + good + " " + out)) << bad;
        EXPECT_EQ(1, std::count(output_.begin(), output_.end(), '\n')) << output_;
    }
    EXPECT_EQ(2, Run("--bogus " + good + " " + out));
    EXPECT_EQ((std::vector<std::string>{"cut.rcp", "good.rcp"}), Files());
}

TEST_F(CliTest, InfoGivesThePlayingLengthWithTheLoopAndFadeSettings) {
    testsong::Song song;  // one 2-second pass of an endless loop
    song.tracks = {{0, 0, 0, false, "", {{0xF9, 0, 0, 0}, {60, 192, 48, 100}, {0xF8, 0, 0, 0}}}};
    const std::string path = Put("loop.rcp", Build(song));

    ASSERT_EQ(0, Run("--info " + path)) << output_;
    EXPECT_NE(std::string::npos, output_.find("\nlength: 14.052 s\nendless loop: yes\n"
                                              "loop pass: 2.000 s\nfade: 4.000 s to 14.000 s\n"))
        << output_;
    ASSERT_EQ(0, Run("--loops 3 --fade 2.5 --info " + path)) << output_;
    EXPECT_NE(std::string::npos, output_.find("\nfade: 6.000 s to 8.500 s\n")) << output_;
    ASSERT_EQ(0, Run("--loops 1 --fade 0 --info " + path)) << output_;
    EXPECT_NE(std::string::npos,
              output_.find("\nlength: 2.000 s\nendless loop: yes\nloop pass: 2.000 s\n"))
        << output_;
    EXPECT_EQ(std::string::npos, output_.find("fade:"));
    EXPECT_EQ((std::vector<std::string>{"loop.rcp"}), Files());
}

TEST_F(CliTest, InfoShowsTheSongsTextsDecoded) {
    testsong::Song built = OneNote(rcp::SongInfo::Variant::Rcp2);
    built.title = "\x83\x65\x83\x58\x83\x67";                    // テスト
    built.tracks[0].memo = "\x83\x73\x83\x41\x83\x6D \x95\x5C";  // ピアノ 表
    ASSERT_EQ(0, Run("--info " + Put("song.rcp", Build(built))));
    EXPECT_NE(std::string::npos, output_.find("title: テスト\n")) << output_;
    EXPECT_NE(std::string::npos, output_.find("track 1: 2 events \"ピアノ 表\"\n")) << output_;

    const fs::path corpus = fs::path(VLC_SOURCE_DIR) / ".." / "shared" / "corpus" / "rcp";
    if (!fs::exists(corpus / "grand-slam.rcp")) GTEST_SKIP() << "no song corpus at " << corpus;
    ASSERT_EQ(0, Run("--info " + (corpus / "grand-slam.rcp").string()));
    EXPECT_NE(
        std::string::npos,
        output_.find("title:  【 Grand Slam Ver.2.01  】(GS) ｂｙ　あのまりあ  1994,30,March\n"))
        << output_;
}

TEST_F(CliTest, ControlFilesAreFoundByTheirNameAndNeverByAFoldedTrailByte) {
    std::vector<uint8_t> gsd(0xA71, 0);
    std::memcpy(gsd.data(), "COME ON MUSIC", 13);
    std::memcpy(gsd.data() + 0x0E, "GS CONTROL 1.0", 14);
    testsong::Song built = OneNote(rcp::SongInfo::Variant::Rcp3G36);
    built.gsd = "\x83\x41.GSD";  // ア.GSD
    const std::string song = Put("song.g36", Build(built));
    const std::string out = (folder_ / "out.mid").string();
    const auto setupMessages = [&] {
        std::ifstream in(out, std::ios::binary);
        const std::vector<uint8_t> midi{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
        return testsong::Matching(testsong::CsvOfMidi(midi), "System_exclusive").size();
    };

    Put("\x83\x61.gsd", gsd);  // ャ.gsd: another name, whose trail byte is a small letter
    ASSERT_EQ(0, Run(song + " " + out)) << output_;
    EXPECT_EQ(0u, setupMessages());
    Put("ア.gsd", gsd);  // the stored name as this system writes it, in another case
    ASSERT_EQ(0, Run(song + " " + out)) << output_;
    EXPECT_EQ(4u, setupMessages());
}

TEST_F(CliTest, OutputReplacesOnlyTheOldOutput) {
    const std::string song = Put("song.rcp", Build(OneNote(rcp::SongInfo::Variant::Rcp2)));
    Put("out.mid", {'o', 'l', 'd'});
    Put("out.mid.part", {'t', 'h', 'e', 'i', 'r', 's'});
    fs::create_directory(folder_ / "folder.mid");

    ASSERT_EQ(0, Run(song + " " + (folder_ / "out.mid").string())) << output_;
    const auto text = [&](const std::string& name) {
        std::ifstream in(folder_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ("MThd", text("out.mid").substr(0, 4));
    EXPECT_EQ("theirs", text("out.mid.part"));

    EXPECT_EQ(1, Run(song + " " + (folder_ / "folder.mid").string()));
    EXPECT_EQ(
        "vellacord-convert: " + (folder_ / "folder.mid").string() + ": is a folder, not a file\n",
        output_);
    EXPECT_TRUE(fs::is_directory(folder_ / "folder.mid"));
    EXPECT_EQ((std::vector<std::string>{"folder.mid", "out.mid", "out.mid.part", "song.rcp"}),
              Files());
}

}  // namespace
