// The host's messages are dispatched inside every box and file dialog the plug-in shows: an end
// of the plug-in, or the next song, may arrive while one of its handlers waits there. The end
// waits until the handler has returned, a play never re-enters a conversion under way, and the
// deferred end releases everything. Run under AddressSanitizer, a handler that went on inside
// freed objects fails the test.
#include "plugin/Messages.h"
#include "tests/fake/FakeFormMainView.h"
#include "tests/unit/PluginFixture.h"

namespace {

constexpr char kMid[] = "C:\\Songs\\b.mid";
constexpr char kOther[] = "C:\\Songs\\c.mid";
constexpr std::uint32_t kMenuClick = 0x800;

class Reentry : public PluginTest {
  protected:
    Reentry() { os.AddFile(kMid); }

    // Inside the next box or file dialog: the player asks for a song, then ends the plug-in,
    // which stays alive until the handler returns.
    void PlayAndEndWhileShown() {
        os.whileShown = [this] {
            inner = pinOpenPlayFile(kOther);
            pinAbort();
            aliveAfterAbort = ThePlugin != nullptr;
        };
    }
    void ExpectEndedAndReleased() {
        EXPECT_TRUE(aliveAfterAbort) << "torn down beneath a running handler";
        EXPECT_EQ(ThePlugin, nullptr);
        EXPECT_EQ(InstanceMutex, 0u);
        EXPECT_TRUE(os.loadedLibraries.empty());
        EXPECT_EQ(fake::FakeFormMainView::Alive(), 0);
        EXPECT_EQ(server.refCount, 1);  // every interface released
        EXPECT_EQ(os.liveBstrs, 0);
        for (const std::string& file : os.files) EXPECT_EQ(file.find("VLCRD"), std::string::npos);
        EXPECT_NE(os.IniText(kSettings).find("Version=6003"), std::string::npos);  // saved
    }
    const char* inner = nullptr;
    bool aliveAfterAbort = false;
};

TEST_F(Reentry, MissingConfigurationWarningDuringAPlay) {
    Start("[Vellacord]\nSMFKnife=1\n");
    PlayAndEndWhileShown();

    const char* result = pinOpenPlayFile(kMid);

    EXPECT_EQ(result, kMid);   // the host's own file: the plug-in's storage is gone
    EXPECT_EQ(inner, kOther);  // no second conversion inside the first
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].owner, 0x5150u);  // the player's window
    ExpectEndedAndReleased();
}

TEST_F(Reentry, ConverterRefusalDuringAPlayAndDuringTheStart) {
    StartWithConverters();
    os.libraries["smfk32.dll"].erase("SmfkConvert");  // replaced behind the plug-in's back
    PlayAndEndWhileShown();

    EXPECT_EQ(pinOpenPlayFile(kMid), kMid);
    EXPECT_EQ(inner, kOther);
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].owner, 0x5150u);
    ExpectEndedAndReleased();

    // The same box while the plug-in starts: the start is declined once it has returned.
    aliveAfterAbort = false;
    os.whileShown = [] { pinAbort(); };
    os.SetIniText(kSettings, "[Vellacord]\nSMFKnife=1\n");
    EXPECT_EQ(pinRun(&host), host.declineValue);
    EXPECT_EQ(ThePlugin, nullptr);
    EXPECT_EQ(InstanceMutex, 0u);
}

TEST_F(Reentry, SettingsDialogRefusalAfterOk) {
    StartWithConverters();
    os.libraries.erase("rcpcv.dll");
    ThePlugin->ShowProperties(nullptr);
    fake::FakeFormMainView& view = *fake::FakeFormMainView::Last();
    EXPECT_EQ(view.owner, 0x5150u);  // the dialog belongs to the player's window
    PlayAndEndWhileShown();

    view.events.BtnOKClick();  // RCPCV refuses: beep and box

    EXPECT_EQ(inner, kOther);  // not inside a conversion: the play itself went through
    ExpectEndedAndReleased();
}

TEST_F(Reentry, ConfigurationChooserOfTheMenu) {
    Start();
    SelectTrack("C:\\Songs\\a.rcp");
    os.openFileAnswer = "C:\\cfg\\chosen.cfg";
    PlayAndEndWhileShown();

    Notify(kMenuClick, HostItem(messages::kMenuOther));

    EXPECT_EQ(os.openFileRequests.at(0).owner, 0x5150u);
    // The handler finished its work before the end: the choice is in the settings file.
    EXPECT_NE(os.IniText(kSettings).find("chosen.cfg"), std::string::npos);
    ExpectEndedAndReleased();
}

TEST_F(Reentry, ExitItemWithAHostThatEndsTheClientAtOnce) {
    Start();
    server.whileAborting = [this] {
        pinAbort();
        aliveAfterAbort = ThePlugin != nullptr;
    };

    Notify(kMenuClick, HostItem(messages::kMenuExit));

    ExpectEndedAndReleased();
    // With no handler running, the end is immediate again.
    ASSERT_NE(pinRun(&host), 0);
    pinAbort();
    EXPECT_EQ(ThePlugin, nullptr);
}

}  // namespace
