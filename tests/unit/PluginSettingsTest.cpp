#include "tests/unit/PluginFixture.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using PluginSettings = PluginTest;

TEST_F(PluginSettings, FirstStartUsesDefaultsAndStopWritesAllNineKeys) {
    TVellacord& plugin = Start();
    EXPECT_EQ(plugin.CacheSize, 2);
    EXPECT_FALSE(plugin.Rcpcv->Enabled);
    EXPECT_FALSE(plugin.SmfKnife->Enabled);
    EXPECT_EQ(plugin.DefaultConfig, "");
    const TSMFKOptions& o = plugin.SmfKnife->Options;
    EXPECT_EQ(std::vector<int>({o.Ch10, o.Bank, o.CC64, o.Mac}), std::vector<int>(4, -1));
    EXPECT_EQ(plugin.WorkDir, kWorkDir);  // the host's INI has no WorkDir

    pinAbort();
    EXPECT_EQ(os.IniText(kSettings),
              "[Vellacord]\nVersion=6003\nCache=2\nRCPCV=0\nSMFKnife=0\nSMFKConfig=\n"
              "SMFKCh10=-1\nSMFKBank=-1\nSMFKMac=-1\nSMFKCC64=-1\n");
}

TEST_F(PluginSettings, StoredValuesAreAppliedAndWrittenBack) {
    TVellacord& plugin = Start(
        "[Vellacord]\nCache=5\nRCPCV=1\nSMFKnife=1\nSMFKConfig=C:\\a.cfg\nSMFKCh10=0\n"
        "SMFKBank=7\nSMFKMac=0\nSMFKCC64=-1\n");
    EXPECT_EQ(plugin.CacheSize, 5);
    EXPECT_TRUE(plugin.Rcpcv->Enabled);
    EXPECT_TRUE(plugin.SmfKnife->Enabled);
    EXPECT_EQ(plugin.DefaultConfig, "C:\\a.cfg");
    const TSMFKOptions& o = plugin.SmfKnife->Options;
    EXPECT_EQ(o.Ch10, 0);
    EXPECT_EQ(o.Bank, 7);
    EXPECT_EQ(o.Mac, 0);
    EXPECT_EQ(o.CC64, -1);
    EXPECT_TRUE(plugin.FlushPending);
    pinAbort();
    EXPECT_EQ(Ini("Vellacord", "SMFKBank"), "7");
    EXPECT_EQ(Ini("Vellacord", "Cache"), "5");
}

TEST_F(PluginSettings, CacheSizeIsClampedAfterTheConvertersAreSwitched) {
    struct Case {
        std::string settings;
        int expected;
    };
    const Case cases[] = {
        {"[Vellacord]\nCache=0\n", 1},
        {"[Vellacord]\nCache=-3\n", 1},
        {"[Vellacord]\nCache=abc\n", 2},
        {"[Vellacord]\nCache=1\nRCPCV=1\nSMFKnife=1\n", 2},
        {"[Vellacord]\nCache=-3\nRCPCV=1\nSMFKnife=1\n", 2},
        {"[Vellacord]\nCache=1\nRCPCV=1\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        EXPECT_EQ(Start(c.settings).CacheSize, c.expected);
        pinAbort();
        EXPECT_EQ(Ini("Vellacord", "Cache"), std::to_string(c.expected));
    }
}

TEST_F(PluginSettings, ConverterThatCannotLoadIsSavedAsOff) {
    os.libraries.erase("smfk32.dll");
    TVellacord& plugin = Start("[Vellacord]\nCache=1\nRCPCV=1\nSMFKnife=1\n");
    EXPECT_FALSE(plugin.SmfKnife->Enabled);
    EXPECT_TRUE(plugin.Rcpcv->Enabled);
    EXPECT_EQ(plugin.CacheSize, 1);  // the clamp saw SMF Knife off
    EXPECT_TRUE(os.boxes.empty());   // start-up does not report a missing library
    pinAbort();
    EXPECT_EQ(Ini("Vellacord", "SMFKnife"), "0");
    EXPECT_EQ(Ini("Vellacord", "RCPCV"), "1");
}

TEST_F(PluginSettings, PerFileConfigurationIgnoresLetterCase) {
    TVellacord& plugin = Start(
        "[Vellacord]\nSMFKConfig=C:\\default.cfg\n[SMFKnife]\nC:\\Songs\\A.RCP=C:\\own.cfg\n");
    EXPECT_EQ(plugin.GetConfigFor("c:\\songs\\a.rcp"), "C:\\own.cfg");
    EXPECT_EQ(plugin.GetConfigFor("C:\\Songs\\B.rcp"), "C:\\default.cfg");
}

TEST_F(PluginSettings, WorkDirComesFromTheHostsIniFileUnlessEmpty) {
    os.SetIniText(kHostIni, "[ORVO]\nWorkDir=D:\\Cache\n");
    EXPECT_EQ(Start().WorkDir, "D:\\Cache");
    pinAbort();

    // Empty reads as missing: the cache stays beside the plug-in, not in a drive's root.
    os.SetIniText(kHostIni, "[ORVO]\nWorkDir=\n");
    EXPECT_EQ(Start().WorkDir, kWorkDir);
}

TEST_F(PluginSettings, LongValuesReadBackWhole) {
    const std::string longPath = "C:\\" + std::string(600, 'x') + "\\config.cfg";
    Start("[Vellacord]\nSMFKConfig=" + longPath + "\n");
    EXPECT_EQ(ThePlugin->DefaultConfig, longPath);
    pinAbort();
    EXPECT_EQ(Ini("Vellacord", "SMFKConfig"), longPath);
}

TEST_F(PluginSettings, WinIniRegistersTheRcpFamilyOnce) {
    Start();
    EXPECT_EQ(Ini("mci extensions", "rcp", "WIN.INI"), "Sequencer");
    EXPECT_EQ(Ini("mci extensions", "r36", "WIN.INI"), "Sequencer");
    EXPECT_EQ(Ini("mci extensions", "g36", "WIN.INI"), "Sequencer");
    pinAbort();
    EXPECT_EQ(Ini("mci extensions", "rcp", "WIN.INI"), "Sequencer");  // never removed
}

TEST_F(PluginSettings, WinIniKeepsAnotherDeviceAndCopiesItToMissingKeys) {
    os.SetIniText("WIN.INI", "[mci extensions]\nrcp=OtherSeq\ng36=Mine\n");
    Start();
    EXPECT_EQ(Ini("mci extensions", "rcp", "WIN.INI"), "OtherSeq");
    EXPECT_EQ(Ini("mci extensions", "r36", "WIN.INI"), "OtherSeq");
    EXPECT_EQ(Ini("mci extensions", "g36", "WIN.INI"), "Mine");
}

TEST_F(PluginSettings, FilesFollowThePluginsNameAndFolderWithDoubleByteNames) {
    // "ソ" and "表" end in 0x5C, which must not be taken for a separator.
    const std::string folder = "C:\\\x83\x5c\x95\x5c";
    host.pluginFileName = folder + "\\Vellacord.dll";
    TVellacord& plugin = Start();
    EXPECT_EQ(plugin.SettingsFile(), folder + "\\Vellacord.ini");
    EXPECT_EQ(plugin.WorkDir, folder);
    pinAbort();
    EXPECT_THAT(os.IniText(folder + "\\Vellacord.ini"), HasSubstr("Version=6003"));
}

}  // namespace
