// The command line as a user runs it: exit codes, messages, no leftovers, control files found
// whatever their case.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

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
        return Shell(std::string(VLC_CLI_PATH) + " " + arguments);
    }
    int Shell(const std::string& command) {
        const std::string log = (folder_ / "log").string();
        const int status = std::system((command + " >" + log + " 2>&1").c_str());
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

    std::vector<uint8_t> Bytes(const fs::path& file) const {
        std::ifstream in(folder_ / file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Every file under `under`, relative to it, sorted.
    std::vector<std::string> Tree(const std::string& under) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder_ / under))
            if (entry.is_regular_file())
                names.push_back(entry.path().lexically_relative(folder_ / under).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
    std::string output_;
};

const fs::path kCorpus = fs::path(VLC_SOURCE_DIR) / ".." / "shared" / "corpus" / "rcp";

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
    Put("Setup.gsd", testsong::GsdFile());
    const std::string out = (folder_ / "out.mid").string();

    ASSERT_EQ(0, Run("'" + song + "' " + out)) << output_;
    EXPECT_EQ("", output_);
    EXPECT_EQ((std::vector<std::string>{"Setup.gsd", "out.mid", "\x83\x5c.g36"}), Files());
    std::ifstream in(out, std::ios::binary);
    const std::vector<uint8_t> midi{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    EXPECT_FALSE(testsong::Matching(testsong::CsvOfMidi(midi), "System_exclusive").empty());

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

TEST_F(CliTest, BatchConvertsFoldersSkipsExistingOutputsAndReportsEachFailure) {
    const std::vector<uint8_t> good = Build(OneNote(rcp::SongInfo::Variant::Rcp2));
    std::vector<uint8_t> cut = good;
    cut.resize(cut.size() - 5);
    fs::create_directories(folder_ / "in" / "\u65e5\u672c\u8a9e");
    fs::create_directories(folder_ / "out");
    Put("in/a.rcp", good);
    Put("in/\u65e5\u672c\u8a9e/b.any", Build(OneNote(rcp::SongInfo::Variant::Rcp3G36)));
    Put("in/c.rcp", good);
    Put("in/cut.rcp", cut);
    Put("in/notes.txt", {'h', 'i', '\n'});
    Put("out/c.mid", {'o', 'l', 'd'});
    const std::string in = (folder_ / "in").string(), out = (folder_ / "out").string();

    EXPECT_EQ(1, Run("--jobs 2 --out-dir " + out + " " + in));
    EXPECT_EQ("vellacord-convert: " + in +
                  "/cut.rcp: track 1 is cut off by the end of the file\n"
                  "2 converted, 1 skipped (output present), 1 failed\n",
              output_);
    EXPECT_EQ((std::vector<std::string>{"a.mid", "c.mid", "\u65e5\u672c\u8a9e/b.mid"}),
              Tree("out"));
    EXPECT_EQ((std::vector<uint8_t>{'o', 'l', 'd'}), Bytes("out/c.mid"));
    EXPECT_EQ(1u, testsong::Matching(testsong::CsvOfMidi(Bytes("out/\u65e5\u672c\u8a9e/b.mid")),
                                     "Note_on_c, 0, 60, 100")
                      .size());

    fs::remove(folder_ / "out" / "a.mid");
    fs::create_directory(folder_ / "out" / "a.mid");
    EXPECT_EQ(1, Run("--force --out-dir " + out + " " + in + " " + in + "/notes.txt"));
    EXPECT_NE(std::string::npos, output_.find("notes.txt: not an RCP-family song"));
    EXPECT_NE(std::string::npos, output_.find("a.rcp: " + out + "/a.mid: is a folder, not a file"));
    EXPECT_NE(std::string::npos, output_.find("2 converted, 0 skipped (output present), 3 failed"));
    EXPECT_EQ(
        1u, testsong::Matching(testsong::CsvOfMidi(Bytes("out/c.mid")), "Note_on_c, 0, 60").size());

    fs::remove(folder_ / "in" / "cut.rcp");
    EXPECT_EQ(1, Run("--out-dir " + out + " " + in));  // a folder in the way is no output
    EXPECT_EQ("vellacord-convert: " + in + "/a.rcp: " + out +
                  "/a.mid: is a folder, not a file\n"
                  "0 converted, 2 skipped (output present), 1 failed\n",
              output_);
    EXPECT_EQ(1, Run("--out-dir " + in + "/c.rcp " + in));
    EXPECT_EQ("vellacord-convert: " + in + "/c.rcp: not a folder\n", output_);
    EXPECT_EQ(2, Run("--out-dir " + out));
    EXPECT_EQ(2, Run("--jobs 0 --out-dir " + out + " " + in));
}

TEST_F(CliTest, BatchConvertsNeitherOfTwoSongsThatWouldShareAnOutput) {
    fs::create_directories(folder_ / "in");
    Put("in/song.rcp", Build(OneNote(rcp::SongInfo::Variant::Rcp2)));
    Put("in/Song.r36", Build(OneNote(rcp::SongInfo::Variant::R36)));
    Put("in/other.rcp", Build(OneNote(rcp::SongInfo::Variant::Rcp2)));
    const std::string in = (folder_ / "in").string();

    EXPECT_EQ(1, Run("--out-dir " + (folder_ / "out").string() + " " + in));
    EXPECT_NE(std::string::npos, output_.find("in/song.rcp: not converted"));
    EXPECT_NE(std::string::npos, output_.find("in/Song.r36: not converted"));
    EXPECT_NE(std::string::npos, output_.find("1 converted, 0 skipped (output present), 2 failed"));
    EXPECT_EQ((std::vector<std::string>{"other.mid"}), Tree("out"));
}

TEST_F(CliTest, BatchCountsAsPresentOnlyFilesThatWereThereBeforeTheRun) {
    // The song "b" would be written where the songs of the folder "b.mid" make a folder; the
    // larger song, in it, goes first.
    fs::create_directories(folder_ / "in" / "b.mid");
    Put("in/b", Build(OneNote(rcp::SongInfo::Variant::Rcp2)));
    Put("in/b.mid/c.g36", Build(OneNote(rcp::SongInfo::Variant::Rcp3G36)));
    const std::string in = (folder_ / "in").string(), out = (folder_ / "out").string();

    EXPECT_EQ(1, Run("--jobs 1 --out-dir " + out + " " + in));
    EXPECT_NE(std::string::npos, output_.find("vellacord-convert: " + in + "/b: " + out +
                                              "/b.mid: is a folder, not a file"))
        << output_;
    EXPECT_NE(std::string::npos, output_.find("1 converted, 0 skipped (output present), 1 failed"));
    EXPECT_EQ((std::vector<std::string>{"b.mid/c.mid"}), Tree("out"));
}

TEST_F(CliTest, NoRunWritesOntoOneOfItsSongs) {
    // A song kept under a MIDI name, converted into its own folder spelt another way.
    fs::create_directories(folder_ / "in");
    const std::vector<uint8_t> song = Build(OneNote(rcp::SongInfo::Variant::Rcp2));
    const std::string path = Put("in/song.mid", song);
    const std::string in = (folder_ / "in").string(), again = (folder_ / "in" / ".").string();
    for (const std::string force : {"", "--force "}) {
        EXPECT_EQ(1, Run(force + "--out-dir " + again + " " + in));
        EXPECT_EQ("vellacord-convert: " + path + ": not converted: " + again +
                      "/song.mid is one of the songs of this run\n"
                      "0 converted, 0 skipped (output present), 1 failed\n",
                  output_);
    }
    EXPECT_EQ(1, Run(path + " " + again + "/song.mid"));
    EXPECT_EQ(song, Bytes("in/song.mid"));
    EXPECT_EQ((std::vector<std::string>{"song.mid"}), Tree("in"));
}

TEST_F(CliTest, BatchStoppedByASignalLeavesOnlyCompleteOutputs) {
    if (!fs::exists(kCorpus / "grand-slam.rcp")) GTEST_SKIP() << "no song corpus at " << kCorpus;
    const std::vector<uint8_t> song = Bytes(kCorpus / "grand-slam.rcp");
    fs::create_directories(folder_ / "in");
    for (int copy = 0; copy < 150; ++copy) Put("in/" + std::to_string(copy) + ".rcp", song);
    ASSERT_EQ(0, Run(Put("one.rcp", song) + " " + (folder_ / "one.mid").string()));
    const std::vector<uint8_t> whole = Bytes("one.mid");

    const std::string out = (folder_ / "out").string(), in = (folder_ / "in").string();
    const pid_t child = fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        execl(VLC_CLI_PATH, VLC_CLI_PATH, "--jobs", "2", "--out-dir", out.c_str(), in.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto started = std::chrono::steady_clock::now();
    while ((!fs::exists(folder_ / "out") || fs::is_empty(folder_ / "out")) &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(60))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto signalled = std::chrono::steady_clock::now();
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(5));
    EXPECT_EQ(130, WEXITSTATUS(status));

    const std::vector<std::string> outputs = Tree("out");
    EXPECT_LT(outputs.size(), 150u);
    for (const std::string& name : outputs) {
        EXPECT_EQ(".mid", fs::path(name).extension()) << name;
        EXPECT_TRUE(Bytes("out/" + name) == whole) << name << " is not complete";
    }
}

TEST_F(CliTest, InfoTakesEverySongGivenAndWritesJsonLines) {
    const fs::path grandSlam = kCorpus / "grand-slam.rcp";
    if (!fs::exists(grandSlam)) GTEST_SKIP() << "no song corpus at " << kCorpus;
    const std::string title =
        " \u3010 Grand Slam Ver.2.01  \u3011(GS) \uff42\uff59\u3000\u3042\u306e\u307e\u308a\u3042"
        "  1994,30,March";
    testsong::Song built = OneNote(rcp::SongInfo::Variant::Rcp3G36);
    built.tracks[0].channel = 0x12;  // port B, channel 3
    built.tracks[0].events = {
        {0xF9, 0, 0, 0}, {60, 192, 48, 100}, {0xF8, 0, 0, 0}};  // 2 s, endless
    const std::string song = Put("\x83\x5c.g36", Build(built));
    Put("setup.gsd", testsong::GsdFile());

    // Every word that is no option is another song.
    ASSERT_EQ(0, Run("--info " + grandSlam.string() + " '" + song + "'")) << output_;
    EXPECT_NE(std::string::npos, output_.find("variant: RCP 2.x\n"));
    EXPECT_NE(std::string::npos, output_.find("variant: RCP 3.0 (G36)\n"));

    ASSERT_EQ(1, Run("--loops 3 --fade 2.5 --info --json " + grandSlam.string() + " '" + song +
                     "' missing.rcp"));
    Put("lines.json", std::vector<uint8_t>(output_.begin(), output_.end()));
    ASSERT_EQ(0, Shell("python3 -c 'import json, sys\n"
                       "for line in open(sys.argv[1], encoding=\"utf-8\"):\n"
                       "  o = json.loads(line)\n"
                       "  if \"error\" in o: print(o[\"error\"]); continue\n"
                       "  t, s, f = o[\"tracks\"][0], o[\"timeSignature\"], o[\"controlFiles\"]\n"
                       "  print(o[\"title\"], len(o[\"memo\"]), o[\"memo\"][1:2], o[\"timebase\"],"
                       " s[\"numerator\"], s[\"denominator\"], len(o[\"tracks\"]), t[\"channel\"],"
                       " t[\"port\"], t[\"events\"], [(c[\"name\"], c[\"found\"]) for c in f],"
                       " *[o[\"length\"][k] for k in (\"endless\", \"loopPassSeconds\","
                       " \"fadeStartSeconds\", \"fadeEndSeconds\")], sep=\"|\")' " +
                       (folder_ / "lines.json").string()))
        << output_;
    // Three 2-second passes after the control file's setup (ten beats of half a second), then
    // the fade of 2.5 seconds.
    EXPECT_EQ("no such file or folder\n" + title + "|11|[' \u3010 Grand Slam Ver.2.01  \u3011']|" +
                  "48|4|4|18|1|A|4850|[]|False|None|None|None\n"
                  "Test|0|[]|48|4|4|1|3|B|4|[('SETUP.GSD', True)]|True|2.0|11.0|13.5\n",
              output_);
}

TEST_F(CliTest, InfoShowsTheSongsTextsDecoded) {
    testsong::Song built = OneNote(rcp::SongInfo::Variant::Rcp2);
    built.title = "\x83\x65\x83\x58\x83\x67";                    // テスト
    built.tracks[0].memo = "\x83\x73\x83\x41\x83\x6D \x95\x5C";  // ピアノ 表
    ASSERT_EQ(0, Run("--info " + Put("song.rcp", Build(built))));
    EXPECT_NE(std::string::npos, output_.find("title: テスト\n")) << output_;
    EXPECT_NE(std::string::npos, output_.find("track 1: 2 events \"ピアノ 表\"\n")) << output_;

    if (!fs::exists(kCorpus / "grand-slam.rcp")) GTEST_SKIP() << "no song corpus at " << kCorpus;
    ASSERT_EQ(0, Run("--info " + (kCorpus / "grand-slam.rcp").string()));
    EXPECT_NE(
        std::string::npos,
        output_.find("title:  【 Grand Slam Ver.2.01  】(GS) ｂｙ　あのまりあ  1994,30,March\n"))
        << output_;
}

TEST_F(CliTest, ControlFilesAreFoundByTheirNameAndNeverByAFoldedTrailByte) {
    const std::vector<uint8_t> gsd = testsong::GsdFile();
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
    EXPECT_GT(setupMessages(), 0u);
}

TEST_F(CliTest, ADamagedControlFileIsNamedAndTheSongStillConverts) {
    const std::string song = Put("song.rcp", Build(OneNote(rcp::SongInfo::Variant::Rcp2)));
    std::vector<uint8_t> cut = testsong::GsdFile();
    cut.resize(100);
    Put("setup.gsd", cut);
    ASSERT_EQ(0, Run(song + " " + (folder_ / "out.mid").string()));
    EXPECT_EQ("vellacord-convert: " + song +
                  ": control file SETUP.GSD: not sent: cut short (100 of 2673 bytes)\n",
              output_);
    EXPECT_TRUE(fs::exists(folder_ / "out.mid"));
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

TEST_F(CliTest, WritesOutputsWhoseNamesAreAsLongAsTheSystemTakes) {
    const std::string song = Put("song.rcp", Build(OneNote(rcp::SongInfo::Variant::Rcp2)));
    const std::string name = std::string(251, 'n') + ".mid";  // 255 bytes
    ASSERT_EQ(0, Run(song + " " + (folder_ / name).string())) << output_;
    EXPECT_EQ((std::vector<std::string>{name, "song.rcp"}), Files());
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

TEST_F(CliTest, TargetRendersMt32SongsAndInfoSaysWhereTheirDataComesFrom) {
    testsong::Song built;
    built.cm6 = "SOUNDS.CM6";
    built.tracks = {{1, 0, 0, false, "", {{60, 10, 5, 100}}}};
    const std::string song = Put("mt32.rcp", Build(built)), out = (folder_ / "out.mid").string();
    ASSERT_EQ(0, Run("--target GM '" + song + "' " + out)) << output_;
    EXPECT_EQ("MT-32 song rendered for GM: 9 parts, 0 program changes\n", output_);
    ASSERT_EQ(0, Run("--info --json '" + song + "'")) << output_;
    EXPECT_NE(std::string::npos,
              output_.find("\"mt32\":{\"cm6\":{\"name\":\"SOUNDS.CM6\",\"found\":false},"
                           "\"exclusives\":0,\"rendering\":[]}"))
        << output_;
    for (const char* bad : {"xg", "", "g s", "--loops"}) {
        EXPECT_EQ(2, Run(std::string("--target '") + bad + "' '" + song + "' " + out)) << bad;
        EXPECT_NE(std::string::npos, output_.find("--target needs none, gs or gm")) << output_;
    }
}

}  // namespace
