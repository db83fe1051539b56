// The plug-in under faults of its surroundings: an unusable work folder, a read-only settings
// file, a vanishing or failing host, a refused host, converters answering nonsense, and a long
// random run. Whatever happens, the host gets a path it can open, nothing crashes or leaks, and
// the cache table and the files on disk agree.
#include <climits>
#include <random>

#include "platform/Mbcs.h"
#include "plugin/Messages.h"
#include "tests/unit/PluginFixture.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

using L = fake::ConverterLibs;

constexpr char kRcp[] = "C:\\Songs\\a.rcp";
constexpr char kMid[] = "C:\\Songs\\b.mid";
constexpr std::uint32_t kStatusDisplayMenu = 0x40000000 | 22;
constexpr std::uint32_t kMenuClick = 0x800;
constexpr std::int32_t kPluginMenuRoot = 0x9000;

class Faults : public PluginTest {
  protected:
    std::string Play(const std::string& song) {
        const char* result = pinOpenPlayFile(song.c_str());
        return result ? result : "<null>";
    }
    // Every listed cache file exists, every cache file on disk is listed, and the host was given
    // either its own path or a listed file.
    void ExpectConsistent(const std::string& song, const std::string& given) {
        const TVellacord& p = *ThePlugin;
        ASSERT_EQ(p.SourceList.Count(), p.CacheList.Count());
        for (int i = 0; i < p.CacheList.Count(); ++i)
            EXPECT_TRUE(os.HasFile(p.CacheList[i])) << p.CacheList[i] << " listed, missing";
        for (const std::string& file : CacheFiles()) {
            if (!foreignFiles.count(file)) {
                EXPECT_GE(p.CacheList.IndexOf(file), 0) << file << " is an orphan";
            }
        }
        if (given != song) {
            EXPECT_GE(p.CacheList.IndexOf(given), 0) << given << " given for " << song;
        }
    }
    std::set<std::string> foreignFiles;  // cache files of an earlier run, not this one's
    std::vector<std::string> CacheFiles() const {
        std::vector<std::string> out;
        for (const std::string& f : os.files)
            if (f.find("\\VLCRD") != std::string::npos) out.push_back(f);
        return out;
    }
    int CountCalls(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : os.calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }
};

TEST_F(Faults, UnwritableWorkFolderGivesTheHostItsOwnFileWithoutABoxStorm) {
    const std::string dir = "C:\\Work";
    const struct {
        const char* name;
        std::function<void(fake::FakePlatform&)> stage;
    } rows[] = {
        {"missing", [&](fake::FakePlatform& o) { o.unwritableFolders.insert("C:\\WORK"); }},
        {"read-only, holding a file of an earlier run",
         [&](fake::FakePlatform& o) {
             o.AddFile(dir + "\\VLCRD0.mid");
             o.AddFile(dir + "\\VLCRD1.mid");
             o.unwritableFolders.insert("C:\\WORK");
         }},
        {"a file in its place", [&](fake::FakePlatform& o) { o.AddFile(dir); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        os.files.clear();
        os.unwritableFolders.clear();
        row.stage(os);
        os.AddFile(kRcp);
        os.AddFile(kMid);
        os.SetIniText(kHostIni, "[ORVO]\nWorkDir=" + dir + "\n");
        StartWithConverters();
        const auto before = os.files;
        foreignFiles = before;
        for (int i = 0; i < 3; ++i) {
            for (const char* song : {kRcp, kMid}) {
                EXPECT_EQ(Play(song), song);
                ExpectConsistent(song, song);
            }
        }
        EXPECT_THAT(os.boxes, IsEmpty());
        EXPECT_LE(os.CallsNamed("MessageBeep").size(), 3u);  // one per failed MIDI conversion
        pinAbort();
        EXPECT_EQ(os.files, before);  // nothing of an earlier run was touched
        os.boxes.clear();
        os.ClearCalls();
    }
}

TEST_F(Faults, ReadOnlySettingsFileKeepsItsContentsWhileEveryWriteIsStillTried) {
    const std::string text =
        "; kept by hand\n[Vellacord]\nCache=3\nRCPCV=1\nSMFKnife=1\nSMFKConfig=C:\\cfg\\d.cfg\n"
        "[SMFKnife]\nC:\\Songs\\b.mid=C:\\cfg\\b.cfg\n";
    os.SetIniText(kSettings, text);
    os.readOnlyFiles.insert(mbcs::UpperCase(kSettings));
    TVellacord& plugin = Start();
    EXPECT_EQ(plugin.CacheSize, 3);

    // The menu's per-song choices, a confirmed dialog and the stop all write, and all fail.
    SelectTrack(kMid);
    plugin.UseDefaultConfig(nullptr);
    plugin.SetDefaultConfig("C:\\cfg\\other.cfg");
    plugin.CacheSize = 5;
    plugin.SaveSettings();
    EXPECT_TRUE(plugin.FlushPending);
    os.ClearCalls();
    pinAbort();

    std::vector<std::string> keys;
    for (const auto& c : os.CallsNamed("WriteProfileString"))
        if (c.find("\"Vellacord\"") != std::string::npos) keys.push_back(c.substr(c.find("\"V")));
    EXPECT_THAT(keys, ElementsAre(HasSubstr("\"Version\", \"6003\""), HasSubstr("\"Cache\", \"5\""),
                                  HasSubstr("\"RCPCV\""), HasSubstr("\"SMFKnife\""),
                                  HasSubstr("\"SMFKConfig\", \"C:\\x5ccfg\\x5cother.cfg\""),
                                  HasSubstr("\"SMFKCh10\""), HasSubstr("\"SMFKBank\""),
                                  HasSubstr("\"SMFKMac\""), HasSubstr("\"SMFKCC64\"")));
    EXPECT_EQ(os.IniText(kSettings), text);
    EXPECT_THAT(os.boxes, IsEmpty());

    // Writable again: the next run reads what survived and saves its own state over it.
    os.readOnlyFiles.clear();
    Start();
    pinAbort();
    EXPECT_EQ(Ini("Vellacord", "Cache"), "3");
    EXPECT_EQ(Ini("SMFKnife", "C:\\Songs\\b.mid"), "C:\\cfg\\b.cfg");
    EXPECT_EQ(os.IniText(kSettings).rfind("; kept by hand\n", 0), 0u);
}

TEST_F(Faults, HostWindowVanishingBetweenCallsBoundsPostAndRequest) {
    const platform::Handle kOld = 0x5150;
    const platform::Handle kNew = 0x6160;
    const struct {
        const char* name;
        std::optional<platform::Handle> window;  // none: no player window any more
        bool answers;                            // the player's thread answers a request
        bool posted;
        std::int32_t requested;
        std::size_t searches;  // FindWindow calls of one Post and one Request together
    } rows[] = {
        {"player gone", std::nullopt, true, false, 0, 4},
        {"player restarted", kNew, true, true, 77, 2},
        {"player hung", kOld, false, true, 0, 1},
    };
    TVellacord& plugin = Start();
    TORVO& link = *plugin.Link;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        link.HostWnd = kOld;
        os.windowsByClass.clear();
        if (row.window) os.windowsByClass["TFormORVO"] = *row.window;
        os.sendAnswer = [&](const fake::PostedMessage&) -> std::optional<std::intptr_t> {
            if (!row.answers) return std::nullopt;
            return 77;
        };
        os.ClearCalls();
        EXPECT_EQ(link.Post(link.MessageId, 0x403, 0), row.posted);
        EXPECT_EQ(link.Request(link.MessageId, 0x403, 0), row.requested);
        EXPECT_LE(os.CallsNamed("PostMessage").size(), 2u);
        EXPECT_EQ(os.CallsNamed("FindWindow").size(), row.searches);
        const auto sends = os.CallsNamed("SendMessageTimeout");
        if (row.window) {
            ASSERT_EQ(sends.size(), 1u);  // one bounded wait, never against a hung thread
            EXPECT_THAT(sends[0], HasSubstr("0x3, 3000)"));
        } else {
            EXPECT_THAT(sends, IsEmpty());
        }
    }
}

TEST_F(Faults, HostFailingEveryCallNeverCrashesLeaksOrLeavesAnItem) {
    const platform::HResult kFail = static_cast<platform::HResult>(0x80004005u);
    const struct {
        const char* name;
        bool fromStart;
        int answer;  // the user's answer to a failed read: go on, or stop
    } rows[] = {
        {"from the start, go on", true, platform::kIdOk},
        {"from the start, stop", true, platform::kIdCancel},
        {"once bound, go on", false, platform::kIdOk},
        {"once bound, stop", false, platform::kIdCancel},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.failEveryCall = row.fromStart ? kFail : platform::kSOk;
        os.messageBoxAnswer = row.answer;
        os.boxes.clear();
        os.AddFile(kRcp);
        os.AddFile(kMid);
        TVellacord& plugin = StartWithConverters();
        if (row.fromStart) {
            // The component reports the first failed read; the player is not taken as bound.
            ASSERT_FALSE(os.boxes.empty());
            EXPECT_THAT(os.boxes[0].text, HasSubstr("this->get_Handle((long*)&Value)"));
            EXPECT_FALSE(plugin.Link->Bound);
        }
        server.failEveryCall = kFail;
        L::progress = {50};

        for (const char* song : {kRcp, kMid}) {
            const std::string given = Play(song);
            EXPECT_TRUE(os.HasFile(given)) << given;
        }
        SelectTrack(kMid);
        Notify(kStatusDisplayMenu, kPluginMenuRoot);
        for (const char* caption : {messages::kMenuDefault, messages::kMenuConfigFile,
                                    messages::kMenuOther, messages::kMenuHelp, messages::kMenuExit})
            if (const auto id = HostItem(caption)) Notify(kMenuClick, id);
        pinAbort();

        EXPECT_EQ(server.refCount, 1);
        EXPECT_EQ(os.liveBstrs, 0);
        EXPECT_TRUE(server.menuItems.empty()) << server.menuItems.size() << " items left";
        server.menuItems.clear();
    }
}

TEST_F(Faults, RefusedHostIsNeverAttachedAndTheStopIsClean) {
    const struct {
        const char* name;
        std::function<void(fake::FakeOrvoServer&, fake::FakePluginHost&)> refuse;
        bool pluginRuns;
    } rows[] = {
        {"player version 5999", [](auto& s, auto&) { s.version = 5999; }, true},
        {"client version refused", [](auto& s, auto&) { s.acceptedClientVersion = 4299; }, true},
        {"host interface version 5999", [](auto&, auto& h) { h.hostVersion = 5999; }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.version = 6003;
        server.acceptedClientVersion = 4300;
        host.hostVersion = 6000;
        row.refuse(server, host);
        os.ClearCalls();
        pinRun(&host);
        ASSERT_EQ(ThePlugin != nullptr, row.pluginRuns);
        if (ThePlugin) {
            EXPECT_FALSE(ThePlugin->Link->Bound);
        }
        pinAbort();

        EXPECT_EQ(CountCalls("Control.Attach("), 0);
        // The refusal lets go the way any unbinding does, which tells the player once.
        EXPECT_EQ(CountCalls("Control.Detach("), row.pluginRuns ? 1 : 0);
        EXPECT_EQ(CountCalls("Menu.AddItem("), 0);
        EXPECT_EQ(server.refCount, 1);
        EXPECT_EQ(os.liveBstrs, 0);
    }
}

TEST_F(Faults, ConvertersAnsweringNonsenseArePassedThroughAndFallenBackFrom) {
    enum Given { Song, Intermediate, Converted };
    const struct {
        std::uint32_t object;  // what rcpcvConvertFile hands back
        bool saves;
        std::int32_t smfk;  // what SmfkConvert reports
        bool smfkWrites, leavesPartialFile;
        Given rcp, mid;
    } rows[] = {
        {0xDEADBEEF, true, 0, true, false, Converted, Converted},
        {0xFFFFFFFF, false, 0, true, false, Song, Converted},
        {0, true, 0, true, false, Song, Converted},
        {0x7100, true, INT32_MIN, true, true, Intermediate, Song},
        {0x7100, true, INT32_MAX, true, false, Intermediate, Song},
        {0x7100, true, 1, true, true, Intermediate, Song},
        {0x7100, true, -1, false, false, Intermediate, Song},  // "success" that wrote nothing
        {0x7100, true, 0, false, false, Intermediate, Song},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("object " + fake::Hex(row.object) + ", smfk " + std::to_string(row.smfk));
        os.AddFile(kRcp);
        os.AddFile(kMid);
        TVellacord& plugin = StartWithConverters();
        L::rcpcvObject = row.object;
        L::rcpcvWrites = row.saves;
        L::smfkResult = row.smfk;
        L::smfkWrites = row.smfkWrites;
        L::smfkWritesOnFailure = row.leavesPartialFile;
        os.ClearCalls();

        const std::string rcp = Play(kRcp);
        EXPECT_EQ(plugin.Rcpcv->ConvertedObject, row.object);
        EXPECT_EQ(CountCalls("rcpcv.SaveSMF(" + fake::Hex(row.object) + ","), row.object ? 1 : 0);
        EXPECT_EQ(CountCalls("rcpcv.DeleteObject(" + fake::Hex(row.object) + ")"),
                  row.object ? 1 : 0);
        const std::string mid = Play(kMid);
        EXPECT_EQ(plugin.SmfKnife->LastResult, row.smfk == -1 ? 0 : row.smfk);

        const std::string intermediate = std::string(kWorkDir) + "\\VLCRD0.mid";
        EXPECT_EQ(rcp, row.rcp == Song ? kRcp : row.rcp == Intermediate ? intermediate : rcp);
        if (row.rcp == Converted) {
            EXPECT_NE(rcp, intermediate);
        }
        EXPECT_EQ(mid == kMid, row.mid == Song);
        ExpectConsistent(kRcp, rcp);
        ExpectConsistent(kMid, mid);
        pinAbort();
        EXPECT_THAT(CacheFiles(), IsEmpty());
        L::Install(os, os.calls);
    }
}

TEST_F(Faults, TenThousandRandomPlaysKeepTheCacheTableAndTheFilesInStep) {
    std::mt19937 rng(20240611);
    auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
    const char* const extensions[] = {".rcp", ".r36", ".g36", ".mid", ".rmi", ".MID"};
    std::vector<std::string> songs;
    for (int i = 0; i < 24; ++i)
        songs.push_back("C:\\Songs\\s" + std::to_string(i) + extensions[i % 6]);

    StartWithConverters();
    for (int play = 1; play <= 10000; ++play) {
        if (play % 2500 == 0) {  // a stop now and then: it leaves no cache file
            pinAbort();
            ASSERT_THAT(CacheFiles(), IsEmpty());
            StartWithConverters();
        }
        if (chance(3)) {  // a confirmed settings dialog
            ThePlugin->CacheSize = 1 + static_cast<int>(rng() % 8);
            ThePlugin->ClampCacheSize();
            ThePlugin->SetDefaultConfig(chance(50) ? "C:\\cfg\\a.cfg" : "C:\\cfg\\b.cfg");
        }
        const std::string& song = songs[rng() % songs.size()];
        if (chance(80))
            os.AddFile(song);
        else
            os.files.erase(mbcs::UpperCase(song));
        L::rcpcvWrites = !chance(5);
        L::smfkResult = chance(5) ? 3 : 0;
        L::smfkWritesOnFailure = chance(50);
        L::smfkWrites = !chance(3);

        const std::string given = Play(song);
        ExpectConsistent(song, given);
        if (HasFailure()) FAIL() << "play " << play << " of " << song;
        os.ClearCalls();
    }
    pinAbort();
    EXPECT_THAT(CacheFiles(), IsEmpty());
}

}  // namespace
