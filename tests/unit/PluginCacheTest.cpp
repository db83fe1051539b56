#include "plugin/Messages.h"
#include "tests/unit/PluginFixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class PluginCache : public PluginTest {
  protected:
    std::string Cached(int n) {
        return std::string(kWorkDir) + "\\VLCRD" + std::to_string(n) + ".mid";
    }
    std::string Play(const std::string& path) {
        os.AddFile(path);
        const char* result = pinOpenPlayFile(path.c_str());
        return result ? result : "<null>";
    }
    std::vector<std::string> Sources() {
        std::vector<std::string> out;
        for (int i = 0; i < ThePlugin->SourceList.Count(); ++i)
            out.push_back(ThePlugin->SourceList[i]);
        return out;
    }
    std::vector<std::string> Targets() {
        std::vector<std::string> out;
        for (int i = 0; i < ThePlugin->CacheList.Count(); ++i)
            out.push_back(ThePlugin->CacheList[i]);
        return out;
    }
    std::vector<std::string> ConverterCalls() {
        std::vector<std::string> out;
        for (const auto& c : os.calls)
            if (c.rfind("smfk.", 0) == 0 || c.rfind("rcpcv.", 0) == 0) out.push_back(c);
        return out;
    }
};

TEST_F(PluginCache, RcpSongIsConvertedByBothConvertersIntoTwoEntries) {
    StartWithConverters();
    fake::ConverterLibs::progress = {10, 90};
    const std::string song = "C:\\Songs\\a.rcp";

    EXPECT_EQ(Play(song), Cached(1));

    EXPECT_THAT(Sources(), ElementsAre(Cached(0), song));
    EXPECT_THAT(Targets(), ElementsAre(Cached(1), Cached(0)));
    EXPECT_THAT(ConverterCalls(), ElementsAre("rcpcv.ConvertFile(C:\\Songs\\a.rcp)",
                                              "rcpcv.SaveSMF(0x7100, " + Cached(0) + ")",
                                              "rcpcv.DeleteObject(0x7100)",
                                              "smfk.SmfkConvert(" + Cached(0) + ", " + Cached(1) +
                                                  ", C:\\cfg\\default.cfg)"));
    // Progress of both converters reached the host's counter.
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "Control.set_Counter(90)"), 2);
}

TEST_F(PluginCache, SameSongAgainIsAHitWithoutConverting) {
    StartWithConverters();
    const std::string song = "C:\\Songs\\a.rcp";
    Play(song);
    os.ClearCalls();
    EXPECT_EQ(Play("C:\\SONGS\\A.RCP"), Cached(1));
    EXPECT_THAT(ConverterCalls(), IsEmpty());
}

// The host waits on every play: a hit costs one existence check per lookup and nothing else
// (no profile read, no library call, no host call).
TEST_F(PluginCache, HitMakesOnlyTheExistenceCheckOfEachLookup) {
    StartWithConverters("Cache=8\n");
    Play("C:\\Songs\\a.rcp");
    Play("C:\\Songs\\b.mid");
    const std::string midi = "C:\\Songs\\b.mid";
    const std::string rcp = "C:\\Songs\\a.rcp";
    const auto exists = [this](int n) {
        std::string quoted;
        for (const char c : Cached(n))
            quoted += c == '\\' ? std::string("\\x5c") : std::string(1, c);
        return "FileExists(\"" + quoted + "\")";
    };
    os.ClearCalls();
    EXPECT_EQ(pinOpenPlayFile(midi.c_str()), Cached(2));
    EXPECT_THAT(os.calls, ElementsAre(exists(2)));
    os.ClearCalls();
    EXPECT_EQ(pinOpenPlayFile(rcp.c_str()), Cached(1));
    EXPECT_THAT(os.calls, ElementsAre(exists(0), exists(1)));
}

TEST_F(PluginCache, LeastRecentlyUsedEntryIsEvictedAndItsFileDeleted) {
    Start("[Vellacord]\nSMFKnife=1\nSMFKConfig=C:\\c.cfg\nCache=2\n");
    EXPECT_EQ(Play("C:\\a.mid"), Cached(0));
    EXPECT_EQ(Play("C:\\b.mid"), Cached(1));
    EXPECT_EQ(Play("C:\\c.mid"), Cached(2));
    EXPECT_THAT(Sources(), ElementsAre("C:\\c.mid", "C:\\b.mid"));
    EXPECT_FALSE(os.HasFile(Cached(0)));

    os.ClearCalls();
    EXPECT_EQ(Play("C:\\b.mid"), Cached(1));
    EXPECT_THAT(Sources(), ElementsAre("C:\\b.mid", "C:\\c.mid"));
    EXPECT_THAT(ConverterCalls(), IsEmpty());
}

TEST_F(PluginCache, ChangedDefaultConfigurationEmptiesTheCache) {
    StartWithConverters();
    Play("C:\\a.mid");
    ThePlugin->SetDefaultConfig("C:\\cfg\\other.cfg");
    os.ClearCalls();
    EXPECT_EQ(Play("C:\\a.mid"), Cached(1));
    EXPECT_FALSE(os.HasFile(Cached(0)));
    EXPECT_THAT(ConverterCalls(),
                ElementsAre("smfk.SmfkConvert(C:\\a.mid, " + Cached(1) + ", C:\\cfg\\other.cfg)"));
}

TEST_F(PluginCache, FileDeletedBehindThePluginsBackIsConvertedAnew) {
    StartWithConverters();
    Play("C:\\a.mid");
    os.files.clear();
    EXPECT_EQ(Play("C:\\a.mid"), Cached(1));
    EXPECT_THAT(Sources(), ElementsAre("C:\\a.mid"));
}

TEST_F(PluginCache, SongsThePluginDoesNotConvertPassThroughUnchanged) {
    Start("[Vellacord]\nSMFKnife=1\nSMFKConfig=C:\\c.cfg\n");
    const char* rcp = "C:\\a.rcp";  // never handed to SMF Knife alone
    const char* wav = "C:\\a.wav";
    const char* none = "C:\\readme";
    EXPECT_EQ(pinOpenPlayFile(rcp), rcp);
    EXPECT_EQ(pinOpenPlayFile(wav), wav);
    EXPECT_EQ(pinOpenPlayFile(none), none);
    EXPECT_EQ(pinOpenPlayFile(""), std::string(""));
    pinAbort();

    Start("[Vellacord]\nRCPCV=1\n");
    const char* mid = "C:\\a.mid";
    EXPECT_EQ(pinOpenPlayFile(mid), mid);
    EXPECT_EQ(Play("C:\\a.R36"), Cached(0));  // RCPCV alone, extension in upper case
    EXPECT_THAT(ConverterCalls(), ElementsAre("rcpcv.ConvertFile(C:\\a.R36)",
                                              "rcpcv.SaveSMF(0x7100, " + Cached(0) + ")",
                                              "rcpcv.DeleteObject(0x7100)"));
}

TEST_F(PluginCache, UpperCaseMidiExtensionIsConverted) {
    StartWithConverters();
    EXPECT_EQ(Play("C:\\A.MID"), Cached(0));
}

TEST_F(PluginCache, MissingConfigurationIsReportedOnceAndTheHostsFileIsPlayed) {
    Start("[Vellacord]\nSMFKnife=1\n");
    const char* song = "C:\\a.mid";
    os.AddFile(song);
    EXPECT_EQ(pinOpenPlayFile(song), song);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].text, messages::kNoConfig);
    EXPECT_EQ(os.boxes[0].type, platform::kMbOk | platform::kMbIconError);
    EXPECT_THAT(os.CallsNamed("MessageBeep"), ElementsAre("MessageBeep(0x30)"));

    // Warned already: no second box, no library call, and still the host's own file.
    EXPECT_EQ(pinOpenPlayFile(song), song);
    EXPECT_EQ(os.boxes.size(), 1u);
    EXPECT_THAT(ConverterCalls(), IsEmpty());
    EXPECT_EQ(ThePlugin->SourceList.Count(), 0);  // no failed entry left to be taken for a hit
}

TEST_F(PluginCache, SmfKnifeFailureBeepsAndFallsBack) {
    StartWithConverters();
    fake::ConverterLibs::smfkResult = 3;
    fake::ConverterLibs::smfkWrites = false;
    const char* midi = "C:\\a.mid";
    os.AddFile(midi);
    EXPECT_EQ(pinOpenPlayFile(midi), midi);
    EXPECT_THAT(os.CallsNamed("MessageBeep"), ElementsAre("MessageBeep(0x30)"));
    EXPECT_TRUE(os.boxes.empty());

    // A chained song falls back to the intermediate file that RCPCV wrote.
    EXPECT_EQ(Play("C:\\b.rcp"), Cached(1));
    EXPECT_TRUE(os.HasFile(Cached(1)));
}

TEST_F(PluginCache, FailedEntryWithAPartialFileIsNotAHitLater) {
    StartWithConverters();
    fake::ConverterLibs::smfkResult = 3;  // fails but leaves a file behind
    os.AddFile(Cached(0));
    const char* midi = "C:\\a.mid";
    os.AddFile(midi);
    EXPECT_EQ(pinOpenPlayFile(midi), midi);
    EXPECT_FALSE(os.HasFile(Cached(0)));
    fake::ConverterLibs::smfkResult = 0;
    EXPECT_EQ(Play(midi), Cached(1));
}

TEST_F(PluginCache, RcpcvWritingNothingGivesTheHostItsOwnFile) {
    StartWithConverters();
    fake::ConverterLibs::rcpcvWrites = false;
    const char* song = "C:\\a.rcp";
    os.AddFile(song);
    EXPECT_EQ(pinOpenPlayFile(song), song);
    EXPECT_THAT(ConverterCalls(),
                ::testing::Not(::testing::Contains(::testing::HasSubstr("smfk"))));
    EXPECT_EQ(ThePlugin->SourceList.Count(), 0);
}

TEST_F(PluginCache, LibraryThatVanishedBeforeTheFirstConversionFallsBack) {
    StartWithConverters();
    os.libraries.erase("smfk32.dll");
    const char* midi = "C:\\a.mid";
    EXPECT_EQ(pinOpenPlayFile(midi), midi);
    EXPECT_FALSE(ThePlugin->SmfKnife->Enabled);
}

TEST_F(PluginCache, ConfigurationOfTheSongAsTheHostNamedItIsUsedForAChain) {
    StartWithConverters("[SMFKnife]\nC:\\a.rcp=C:\\cfg\\a.cfg\n");
    Play("C:\\a.rcp");
    EXPECT_THAT(
        os.CallsNamed("smfk.SmfkConvert"),
        ElementsAre("smfk.SmfkConvert(" + Cached(0) + ", " + Cached(1) + ", C:\\cfg\\a.cfg)"));
}

TEST_F(PluginCache, NamesAreNeverReusedAndStopDeletesEveryCacheFile) {
    Start("[Vellacord]\nSMFKnife=1\nSMFKConfig=C:\\c.cfg\nCache=3\n");
    Play("C:\\a.mid");
    Play("C:\\b.mid");
    ThePlugin->SetDefaultConfig("C:\\d.cfg");
    EXPECT_EQ(Play("C:\\a.mid"), Cached(2));
    os.ClearCalls();
    pinAbort();
    for (int n = 0; n < 3; ++n) EXPECT_FALSE(os.HasFile(Cached(n))) << n;
    // The settings were written before the files were deleted.
    const auto save = std::find(os.calls.begin(), os.calls.end(),
                                "WriteProfileString(\"C:\\x5cORVO\\x5cPlugins\\x5cVellacord.ini\", "
                                "\"Vellacord\", \"Version\", \"6003\")");
    const auto erase = std::find_if(os.calls.begin(), os.calls.end(), [](const std::string& c) {
        return c.rfind("DeleteFile(", 0) == 0;
    });
    EXPECT_LT(save - os.calls.begin(), erase - os.calls.begin());
}

TEST_F(PluginCache, DoubleByteNamesAreComparedByCharacter) {
    StartWithConverters();
    // "ア" (0x83 0x41) and "ャ" (0x83 0x61) differ only in a trail byte that looks like a letter.
    const std::string a = "C:\\\x83\x5c\\\x83\x41.mid";
    const std::string b = "C:\\\x83\x5c\\\x83\x61.mid";
    EXPECT_EQ(Play(a), Cached(0));
    EXPECT_EQ(Play(b), Cached(1));
    EXPECT_EQ(Play(a), Cached(0));  // found again, not confused with b
    // The extension after a name ending in 0x5C is still found (a chain: two entries).
    EXPECT_EQ(Play("C:\\\x95\x5c.RCP"), Cached(3));
}

}  // namespace
