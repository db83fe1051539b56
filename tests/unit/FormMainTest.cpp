#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "converters/Texts.h"
#include "plugin/Messages.h"
#include "plugin/Vellacord.h"
#include "plugin/main.h"
#include "tests/fake/FakeFormMainView.h"
#include "tests/fake/FakePlatform.h"
#include "tests/fake/FakePluginHost.h"
#include "ui/FormMain.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ui::FormControl;

namespace {

// "SMFK32.DLLがありません", "RCPCV.DLLがありません"
const char kNoSmfKnife[] = "SMFK32.DLL\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
const char kNoRcpcv[] = "RCPCV.DLL\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
const char kSettings[] = "C:\\ORVO\\Plugins\\Vellacord.ini";

void Dummy() {}
void* const kEntry = reinterpret_cast<void*>(&Dummy);
const fake::Exports kSmfKnifeLibrary = {{"SmfkConvert", kEntry}, {"GetSmfkVersion", kEntry}};
const fake::Exports kRcpcvLibrary = {
    {"rcpcvConvertFile", kEntry}, {"rcpcvSaveSMF", kEntry}, {"rcpcvDeleteObject", kEntry}};

class FormMain : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(pinRun(&host), 0);
        plugin = ThePlugin;
        os.PumpMessages();  // whatever the start left queued
        os.ClearCalls();
    }
    void TearDown() override { pinAbort(); }

    // The properties menu item, as the user clicks it.
    fake::FakeFormMainView& Open() {
        plugin->ShowProperties(nullptr);
        fake::FakeFormMainView* view = fake::FakeFormMainView::Last();
        EXPECT_NE(view, nullptr);
        return *view;
    }

    std::string Saved(const std::string& key) {
        return os.GetProfileString(kSettings, "Vellacord", key, "<none>");
    }

    int Count(const std::string& name) { return static_cast<int>(os.CallsNamed(name).size()); }

    fake::FakePlatform os;
    fake::FakePluginHost host{os.calls};
    TVellacord* plugin = nullptr;
};

TEST_F(FormMain, FirstOpeningShowsTheDefaultsInFillOrder) {
    fake::FakeFormMainView& view = Open();

    EXPECT_THAT(view.calls,
                ElementsAre("SetCaption(Vellacord  Ver.6.003)", "SetChecked(CheckBoxSMFKnife, 0)",
                            "SetChecked(CheckBoxRCPCV, 0)", "SetText(EditCache, 2)",
                            "SetText(EditSMFKConfig, )", "SetChecked(CheckBoxSMFKCh10, 0)",
                            "SetChecked(CheckBoxSMFKBank, 0)", "SetChecked(CheckBoxSMFKMac, 1)",
                            "SetChecked(CheckBoxSMFKCC64, 0)", "Show()"));
    auto* dialog = dynamic_cast<TFormMain*>(plugin->SettingsDialog.get());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Owner, host.owner);  // asked of the host at this moment
    EXPECT_THAT(os.CallsNamed("Host.PluginOwner"), ElementsAre("Host.PluginOwner()"));
}

TEST_F(FormMain, OpeningShowsTheLiveValuesWithMacRunningTheOtherWay) {
    os.libraries["smfk32.dll"] = kSmfKnifeLibrary;
    plugin->SmfKnife->SetEnabled(true);
    plugin->CacheSize = 17;
    plugin->DefaultConfig = "D:\\cfg\\gs.cfg";
    plugin->SmfKnife->Options.Ch10 = 0;
    plugin->SmfKnife->Options.Bank = -1;
    plugin->SmfKnife->Options.Mac = 0;
    plugin->SmfKnife->Options.CC64 = 0;

    fake::FakeFormMainView& view = Open();

    EXPECT_TRUE(view.GetChecked(FormControl::CheckBoxSMFKnife));
    EXPECT_FALSE(view.GetChecked(FormControl::CheckBoxRCPCV));
    EXPECT_EQ(view.GetText(FormControl::EditCache), "17");
    EXPECT_EQ(view.GetText(FormControl::EditSMFKConfig), "D:\\cfg\\gs.cfg");
    EXPECT_TRUE(view.GetChecked(FormControl::CheckBoxSMFKCh10));
    EXPECT_FALSE(view.GetChecked(FormControl::CheckBoxSMFKBank));
    EXPECT_FALSE(view.GetChecked(FormControl::CheckBoxSMFKMac));
    EXPECT_TRUE(view.GetChecked(FormControl::CheckBoxSMFKCC64));
}

TEST_F(FormMain, OkWritesTheOptionWordsWithMacInverted) {
    struct Case {
        bool ticked;
        std::int32_t ch10, bank, mac, cc64;
    };
    for (const Case c : {Case{true, 0, 0, -1, 0}, Case{false, -1, -1, 0, -1}}) {
        SCOPED_TRACE(c.ticked);
        fake::FakeFormMainView& view = Open();
        for (FormControl box : {FormControl::CheckBoxSMFKCh10, FormControl::CheckBoxSMFKBank,
                                FormControl::CheckBoxSMFKMac, FormControl::CheckBoxSMFKCC64})
            view.Tick(box, c.ticked);

        view.events.BtnOKClick();

        const TSMFKOptions& o = plugin->SmfKnife->Options;
        EXPECT_EQ(o.Ch10, c.ch10);
        EXPECT_EQ(o.Bank, c.bank);
        EXPECT_EQ(o.Mac, c.mac);
        EXPECT_EQ(o.CC64, c.cc64);
        EXPECT_EQ(Saved("SMFKMac"), std::to_string(c.mac));
        EXPECT_EQ(Saved("SMFKCh10"), std::to_string(c.ch10));
        os.PumpMessages();  // the closed dialog goes; the next round opens a fresh one
    }
}

TEST_F(FormMain, CacheFieldAcceptsOnlyPositiveIntegers) {
    struct Case {
        const char* text;
        bool bothOn;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"0", false, 5}, {"-3", false, 5},  {"abc", false, 5},
        {"", false, 5},  {"4x", false, 5},  {"99999999999", false, 5},
        {"1", false, 1}, {"12", false, 12}, {"1", true, 2},
        {"0", true, 5},  {"7", true, 7},
    };
    os.libraries["smfk32.dll"] = kSmfKnifeLibrary;
    os.libraries["rcpcv.dll"] = kRcpcvLibrary;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" both on " + (c.bothOn ? "yes" : "no"));
        plugin->CacheSize = 5;
        fake::FakeFormMainView& view = Open();
        view.Tick(FormControl::CheckBoxSMFKnife, c.bothOn);
        view.Tick(FormControl::CheckBoxRCPCV, c.bothOn);
        view.Type(FormControl::EditCache, c.text);

        view.events.BtnOKClick();

        EXPECT_EQ(plugin->CacheSize, c.expected);
        EXPECT_EQ(Saved("Cache"), std::to_string(c.expected));
        EXPECT_THAT(os.boxes, IsEmpty());  // a bad entry is ignored silently
        os.PumpMessages();
    }
}

TEST_F(FormMain, MissingSmfKnifeLibraryIsReportedAfterTheValuesAndSavedAsOff) {
    fake::FakeFormMainView& view = Open();
    view.Tick(FormControl::CheckBoxSMFKnife, true);
    view.Tick(FormControl::CheckBoxSMFKMac, false);
    os.ClearCalls();

    view.events.BtnOKClick();

    const std::string box = "MessageBox(0x10, " + fake::Quote(kNoSmfKnife) + ")";
    const auto beep = std::find(os.calls.begin(), os.calls.end(), "MessageBeep(0x30)");
    ASSERT_NE(beep, os.calls.end());
    ASSERT_NE(beep + 1, os.calls.end());
    EXPECT_EQ(*(beep + 1), box);
    EXPECT_EQ(Count("MessageBox"), 1);
    EXPECT_EQ(os.boxes[0].codePage, 932u);
    // The box comes before the settings are written, which hold the refused converter as off.
    const auto firstWrite = std::find_if(os.calls.begin(), os.calls.end(), [](const auto& c) {
        return c.rfind("WriteProfileString", 0) == 0;
    });
    EXPECT_LT(beep, firstWrite);
    EXPECT_EQ(Saved("SMFKnife"), "0");
    EXPECT_EQ(plugin->SmfKnife->Options.Mac, 0);  // the rest was applied all the same
    EXPECT_FALSE(view.Visible());

    os.PumpMessages();
    EXPECT_FALSE(Open().GetChecked(FormControl::CheckBoxSMFKnife));  // reopened: unticked
}

TEST_F(FormMain, IncompleteLibrariesShowTheBindingsMessagesThenOursSmfKnifeFirst) {
    os.libraries["smfk32.dll"] = {{"GetSmfkVersion", kEntry}};
    os.libraries["rcpcv.dll"] = {{"rcpcvConvertFile", kEntry}};
    fake::FakeFormMainView& view = Open();
    view.Tick(FormControl::CheckBoxSMFKnife, true);
    view.Tick(FormControl::CheckBoxRCPCV, true);

    view.events.BtnOKClick();

    std::vector<std::string> texts;
    for (const auto& b : os.boxes) texts.push_back(b.text);
    EXPECT_THAT(texts, ElementsAre(converters::texts::kSmfKnifeUnusable,
                                   converters::texts::kRcpcvUnusable, kNoSmfKnife, kNoRcpcv));
    EXPECT_EQ(Count("MessageBeep"), 2);
    EXPECT_EQ(Saved("SMFKnife"), "0");
    EXPECT_EQ(Saved("RCPCV"), "0");
}

TEST_F(FormMain, OkWithoutChangesStillRearmsTheWarningFlushesAndSaves) {
    plugin->DefaultConfig = "C:\\a.cfg";
    plugin->ConfigWarned = true;
    plugin->FlushPending = false;
    fake::FakeFormMainView& view = Open();
    os.ClearCalls();

    view.events.BtnOKClick();

    EXPECT_FALSE(plugin->ConfigWarned);
    EXPECT_TRUE(plugin->FlushPending);
    EXPECT_EQ(plugin->DefaultConfig, "C:\\a.cfg");
    EXPECT_EQ(Saved("Version"), "6003");
    EXPECT_EQ(Saved("SMFKConfig"), "C:\\a.cfg");
    EXPECT_THAT(os.boxes, IsEmpty());
    EXPECT_EQ(view.calls.back(), "Hide()");
}

TEST_F(FormMain, CancelAndClosingApplyNothing) {
    for (int how = 0; how < 2; ++how) {
        SCOPED_TRACE(how ? "close box" : "Cancel");
        plugin->FlushPending = false;
        fake::FakeFormMainView& view = Open();
        view.Tick(FormControl::CheckBoxSMFKMac, false);
        view.Type(FormControl::EditCache, "9");
        view.Type(FormControl::EditSMFKConfig, "C:\\other.cfg");
        os.ClearCalls();

        if (how == 0)
            view.events.BtnCancelClick();
        else
            view.events.CloseRequest();

        EXPECT_EQ(plugin->CacheSize, 2);
        EXPECT_EQ(plugin->SmfKnife->Options.Mac, -1);
        EXPECT_EQ(plugin->DefaultConfig, "");
        EXPECT_FALSE(plugin->FlushPending);
        EXPECT_THAT(os.CallsNamed("WriteProfileString"), IsEmpty());
        EXPECT_FALSE(view.Visible());
        os.PumpMessages();
    }
}

TEST_F(FormMain, ClosingHidesAndLeavesDestructionToThePostedNotification) {
    fake::FakeFormMainView& view = Open();
    os.ClearCalls();

    view.events.BtnCancelClick();

    const std::string post = "PostMessage(" + fake::Hex(plugin->Link->MessageWindow) + ", " +
                             fake::Hex(plugin->Link->MessageId) + ", 0x80000002, 0x0)";
    EXPECT_THAT(os.calls, ElementsAre(post));
    EXPECT_NE(plugin->SettingsDialog, nullptr);  // still alive inside its own handler
    EXPECT_EQ(fake::FakeFormMainView::Alive(), 1);

    view.events.CloseRequest();  // already hidden: no second request
    EXPECT_EQ(Count("PostMessage"), 1);

    EXPECT_EQ(os.PumpMessages(), 1);
    EXPECT_EQ(plugin->SettingsDialog, nullptr);
    EXPECT_EQ(fake::FakeFormMainView::Alive(), 0);

    // The next opening is a fresh dialog reading the settings again.
    plugin->CacheSize = 8;
    EXPECT_EQ(Open().GetText(FormControl::EditCache), "8");
}

TEST_F(FormMain, OpeningAgainBringsTheSameDialogBackUntouched) {
    fake::FakeFormMainView& view = Open();
    view.Type(FormControl::EditCache, "33");
    view.calls.clear();

    fake::FakeFormMainView& again = Open();

    EXPECT_EQ(&again, &view);
    EXPECT_THAT(view.calls, ElementsAre("Show()"));
    EXPECT_EQ(view.GetText(FormControl::EditCache), "33");
}

TEST_F(FormMain, ConfigChooserAsksForACfgWithDllAsDefaultExtension) {
    fake::FakeFormMainView& view = Open();
    view.Type(FormControl::EditSMFKConfig, "C:\\cfg\\old.cfg");
    os.openFileAnswer = "C:\\cfg\\new.cfg";

    view.events.ButtonSMFKConfigClick();

    ASSERT_EQ(os.openFileRequests.size(), 1u);
    const platform::OpenFileRequest& r = os.openFileRequests[0];
    EXPECT_EQ(r.owner, fake::FakeFormMainView::kWindow);
    EXPECT_EQ(r.title, messages::kConfigDialogTitle);
    EXPECT_EQ(r.filter, messages::kConfigDialogFilter);
    EXPECT_EQ(r.textCodePage, 932u);
    EXPECT_EQ(r.filterIndex, 1);
    EXPECT_EQ(r.initialFile, "C:\\cfg\\old.cfg");
    EXPECT_EQ(r.defaultExt, "dll");
    EXPECT_EQ(r.flags, 0x00801804u);  // hide read-only, path and file must exist, resizable
    EXPECT_EQ(view.GetText(FormControl::EditSMFKConfig), "C:\\cfg\\new.cfg");
    EXPECT_EQ(plugin->DefaultConfig, "");  // nothing applied until OK

    os.openFileAnswer.reset();  // the user cancels the chooser
    view.events.ButtonSMFKConfigClick();
    EXPECT_EQ(view.GetText(FormControl::EditSMFKConfig), "C:\\cfg\\new.cfg");
}

TEST_F(FormMain, HelpOpensTheChmBesideThePluginOverTheDialog) {
    fake::FakeFormMainView& view = Open();
    os.ClearCalls();

    view.events.BtnHelpClick();

    EXPECT_THAT(os.calls, ElementsAre("ShellExecute(0x4711, \"C:\\x5cORVO\\x5cPlugins\\x5c"
                                      "Vellacord.chm\", 1)"));
    EXPECT_TRUE(view.Visible());
}

TEST_F(FormMain, PluginDestructionTakesAnOpenDialogAlong) {
    Open();
    pinAbort();
    EXPECT_EQ(fake::FakeFormMainView::Alive(), 0);
}

TEST(FormMainVersion, ReadsTheNumberAsThousandths) {
    EXPECT_EQ(TFormMain::FormatVersion(6003), "6.003");
    EXPECT_EQ(TFormMain::FormatVersion(12040), "12.040");
    EXPECT_EQ(TFormMain::FormatVersion(7), ".007");  // "##" prints no zero
}

}  // namespace
