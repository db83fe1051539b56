#include "plugin/Messages.h"
#include "tests/unit/PluginFixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr std::uint32_t kMenuClick = 0x800;
constexpr std::uint32_t kDisplayMenuStatus = 0x40000000 | 22;

class PluginMenu : public PluginTest {
  protected:
    // The host's menu items as "parent caption > caption", in creation order (UTF-8).
    std::vector<std::string> HostTree() {
        std::vector<std::string> out;
        for (const auto& [id, item] : server.menuItems) {
            const auto parent = server.menuItems.find(item.parent);
            const std::string parentName =
                parent == server.menuItems.end()
                    ? fake::Hex(static_cast<std::uint32_t>(item.parent))
                    : fake::FakeOrvoServer::Narrow(parent->second.caption);
            out.push_back(parentName + " > " + fake::FakeOrvoServer::Narrow(item.caption));
        }
        return out;
    }
    bool Enabled(const char* caption) { return server.menuItems[HostItem(caption)].enabled; }
    std::string Caption(Orvo_tlb::Long id) {
        return os.FromUtf16(server.menuItems[id].caption, os.ansiCodePage);
    }
    Orvo_tlb::Long ConfigItem() { return ThePlugin->ConfigFileItem.Id(); }
};

TEST_F(PluginMenu, TreeAsTheHostSeesIt) {
    Start();
    EXPECT_THAT(HostTree(), ElementsAre("0x4000 > Vellacord", "0x9000 > -", "0x9000 > Vellacord",
                                        "Vellacord > SMFナイフ", "SMFナイフ > デフォルト",
                                        "SMFナイフ > Config File", "SMFナイフ > その他...",
                                        "Vellacord > プロパティ...", "Vellacord > ヘルプ",
                                        "Vellacord > -", "Vellacord > 終了"));
}

TEST_F(PluginMenu, JapaneseCaptionsArriveRightWhateverTheProcessCodePage) {
    os.ansiCodePage = 1252;
    Start();
    EXPECT_NE(HostItem(messages::kMenuSmfKnife), 0);
    EXPECT_NE(HostItem(messages::kMenuExit), 0);
}

TEST_F(PluginMenu, DisplayShowsTheEffectiveConfigurationOfTheSelectedTrack) {
    Start("[Vellacord]\nSMFKConfig=C:\\cfg\\default.cfg\n");
    SelectTrack("C:\\Songs\\A.RCP");
    Notify(kDisplayMenuStatus, 0x9000);
    EXPECT_EQ(Caption(ConfigItem()), "C:\\cfg\\default.cfg");
    EXPECT_TRUE(Enabled(messages::kMenuSmfKnife));

    // A click pins the shown configuration to the track; "default" removes it again.
    Notify(kMenuClick, ConfigItem());
    EXPECT_EQ(Ini("SMFKnife", "C:\\Songs\\A.RCP"), "C:\\cfg\\default.cfg");
    EXPECT_TRUE(ThePlugin->FlushPending);
    ThePlugin->FlushPending = false;
    Notify(kMenuClick, HostItem(messages::kMenuDefault));
    EXPECT_EQ(Ini("SMFKnife", "C:\\Songs\\A.RCP"), "<none>");
    EXPECT_TRUE(ThePlugin->FlushPending);
}

TEST_F(PluginMenu, DisplayPrefersTheTracksOwnConfigurationAndDisablesOtherFiles) {
    Start("[Vellacord]\nSMFKConfig=C:\\d.cfg\n[SMFKnife]\nC:\\x.wav=C:\\own.cfg\n");
    SelectTrack("C:\\x.wav");
    Notify(kDisplayMenuStatus, 0x9000);
    EXPECT_EQ(Caption(ConfigItem()), "C:\\own.cfg");
    EXPECT_FALSE(Enabled(messages::kMenuSmfKnife));
}

TEST_F(PluginMenu, OtherMenusAreIgnored) {
    Start();
    os.ClearCalls();
    Notify(kDisplayMenuStatus, 0x4000);
    EXPECT_THAT(os.CallsNamed("Menu.SetItemCaption"), IsEmpty());
}

TEST_F(PluginMenu, WithoutASelectedTrackTheConfigurationHandlersDoNothing) {
    Start("[Vellacord]\nSMFKConfig=C:\\d.cfg\n");
    Notify(kDisplayMenuStatus, 0x9000);
    EXPECT_EQ(Caption(ConfigItem()), "C:\\d.cfg");
    EXPECT_FALSE(Enabled(messages::kMenuSmfKnife));
    ThePlugin->FlushPending = false;
    os.ClearCalls();
    Notify(kMenuClick, ConfigItem());
    Notify(kMenuClick, HostItem(messages::kMenuDefault));
    Notify(kMenuClick, HostItem(messages::kMenuOther));
    EXPECT_THAT(os.CallsNamed("WriteProfileString"), IsEmpty());
    EXPECT_THAT(os.CallsNamed("GetOpenFileName"), IsEmpty());
    EXPECT_FALSE(ThePlugin->FlushPending);
}

TEST_F(PluginMenu, ChoosingAnotherConfigurationAsksWithTheCurrentOne) {
    Start("[Vellacord]\nSMFKConfig=C:\\d.cfg\n");
    SelectTrack("C:\\a.mid");
    ThePlugin->FlushPending = false;
    Notify(kMenuClick, HostItem(messages::kMenuOther));  // cancelled
    ASSERT_EQ(os.openFileRequests.size(), 1u);
    const platform::OpenFileRequest& r = os.openFileRequests[0];
    EXPECT_EQ(r.title, messages::kConfigDialogTitle);
    EXPECT_EQ(r.filter, messages::kConfigDialogFilter);
    EXPECT_EQ(r.textCodePage, 932u);
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.initialFile, "C:\\d.cfg");
    EXPECT_EQ(r.flags, 0x4u | 0x800u | 0x1000u);
    EXPECT_EQ(Ini("SMFKnife", "C:\\a.mid"), "<none>");
    EXPECT_FALSE(ThePlugin->FlushPending);

    os.openFileAnswer = "C:\\cfg\\chosen.cfg";
    Notify(kMenuClick, HostItem(messages::kMenuOther));
    EXPECT_EQ(Ini("SMFKnife", "C:\\a.mid"), "C:\\cfg\\chosen.cfg");
    EXPECT_TRUE(ThePlugin->FlushPending);
}

TEST_F(PluginMenu, HelpOpensTheHelpFileBesideThePlugin) {
    Start();
    Notify(kMenuClick, HostItem(messages::kMenuHelp));
    EXPECT_THAT(
        os.CallsNamed("ShellExecute"),
        ElementsAre("ShellExecute(0x5150, \"C:\\x5cORVO\\x5cPlugins\\x5cVellacord.chm\", 1)"));
}

TEST_F(PluginMenu, ExitAsksTheHostToEndThisClient) {
    Start();
    const std::string window = std::to_string(ThePlugin->Link->MessageWindow);
    Notify(kMenuClick, HostItem(messages::kMenuExit));
    EXPECT_THAT(os.CallsNamed("Control.Abort"), ElementsAre("Control.Abort(" + window + ")"));
    EXPECT_NE(ThePlugin, nullptr);  // stopped only when the host calls the abort export
}

struct FakeDialog : ISettingsDialog {
    explicit FakeDialog(int& shows, int& alive) : shows(shows), alive(alive) { ++alive; }
    ~FakeDialog() override { --alive; }
    void Show() override { ++shows; }
    int& shows;
    int& alive;
};

TEST_F(PluginMenu, PropertiesShowOneDialogThatTheUserNotificationDestroys) {
    int shows = 0, alive = 0;
    void* owner = nullptr;
    SettingsDialogMaker() = [&](void* o) {
        owner = o;
        return std::make_unique<FakeDialog>(shows, alive);
    };
    Start();
    Notify(kMenuClick, HostItem(messages::kMenuPlugin));  // the item in root 0x4000
    Notify(kMenuClick, HostItem(messages::kMenuProperties));
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(owner, host.owner);

    Notify(0x80000001, 0);  // another user code
    EXPECT_EQ(alive, 1);
    Notify(0x80000002, 0);
    EXPECT_EQ(alive, 0);
    Notify(0x80000002, 0);  // nothing left to destroy
    SettingsDialogMaker() = nullptr;
}

TEST_F(PluginMenu, HostClosingAndOpeningAgainRebuildsTheMenu) {
    Start("[Vellacord]\nSMFKConfig=C:\\d.cfg\n");
    Notify(0x2, 0);  // Close: the link unbinds and destroys its items
    EXPECT_EQ(ThePlugin->ConfigFileItem.Get(ThePlugin->Link.get()), nullptr);
    Notify(0x1, 0x5150);  // Open: bound again, menu built anew
    SelectTrack("C:\\a.mid");
    Notify(kDisplayMenuStatus, 0x9000);
    ASSERT_NE(ThePlugin->ConfigFileItem.Get(ThePlugin->Link.get()), nullptr);
    EXPECT_EQ(Caption(ConfigItem()), "C:\\d.cfg");
    Notify(kMenuClick, ConfigItem());
    EXPECT_EQ(Ini("SMFKnife", "C:\\a.mid"), "C:\\d.cfg");
    pinAbort();  // must not touch an item destroyed by the Close
}

TEST_F(PluginMenu, StopRemovesThePluginsItemsFromTheHost) {
    Start();
    pinAbort();
    for (const auto& [id, item] : server.menuItems)
        ADD_FAILURE() << "left in the host: " << fake::FakeOrvoServer::Narrow(item.caption);
}

}  // namespace
