// TORVO: construction and destruction, discovery, start of the player, binding and release.
#include "tests/unit/OrvoFixture.h"

namespace {

using ::testing::ElementsAre;

// "このバージョンのORVOには対応していません" "\n" "対応版をお使いください"
const std::string kRefusedText =
    "\x82\xb1\x82\xcc\x83o\x81[\x83W\x83\x87\x83\x93\x82\xccORVO\x82\xc9\x82\xcd\x91\xce\x89\x9e"
    "\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1"
    "\n"
    "\x91\xce\x89\x9e\x94\xc5\x82\xf0\x82\xa8\x8eg\x82\xa2\x82\xad\x82\xbe\x82\xb3\x82\xa2";

class OrvoBind : public OrvoFixture {};

TEST_F(OrvoBind, ConstructionRegistersFindsAndAnnouncesTheClient) {
    auto orvo = Make();
    EXPECT_EQ(orvo->ExePath, "C:\\Player\\ORVO.EXE");
    EXPECT_EQ(orvo->EventMask, 0xEFFFF81Fu);
    EXPECT_TRUE(orvo->AutoLink);
    EXPECT_FALSE(orvo->Bound);
    EXPECT_TRUE(orvo->ComInitialized);
    EXPECT_TRUE(orvo->MenuList->empty());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(orvo->RootMenus[i]->Id, kRootMenuIds[i]);
    const std::string window = Win(orvo->MessageWindow);
    EXPECT_THAT(os.calls, ElementsAre("RegisterWindowMessage(\"WM_ORVO\")",
                                      "ReadRegistryDefault(" + fake::Quote(kAppPaths) + ")",
                                      "CreateMessageWindow() -> " + window, "CoInitialize()",
                                      "FindWindow(\"TFormORVO\")",
                                      "PostMessage(0xFFFF, " + fake::Hex(orvo->MessageId) +
                                          ", 0x401, " + window + ")"));
}

TEST_F(OrvoBind, RegistryFallsThroughAMissingOrEmptyMachineValue) {
    struct Case {
        const char* machine;  // nullptr: key missing
        const char* user;
        const char* expected;
    } cases[] = {{"C:\\A\\ORVO.EXE", "C:\\B\\ORVO.EXE", "C:\\A\\ORVO.EXE"},
                 {"", "C:\\B\\ORVO.EXE", "C:\\B\\ORVO.EXE"},
                 {nullptr, "C:\\B\\ORVO.EXE", "C:\\B\\ORVO.EXE"},
                 {nullptr, nullptr, ""}};
    for (const auto& c : cases) {
        os.registry.clear();
        if (c.machine) os.registry[kAppPaths] = c.machine;
        if (c.user) os.registry[kUserKey] = c.user;
        EXPECT_EQ(Make()->ExePath, c.expected) << (c.machine ? c.machine : "(none)");
    }
}

TEST_F(OrvoBind, FailedCoInitializeIsNotUndone) {
    os.coInitializeResult = static_cast<platform::HResult>(0x80010106u);
    Make().reset();
    EXPECT_TRUE(os.CallsNamed("CoUninitialize").empty());
    os.coInitializeResult = platform::kSFalse;
    Make().reset();
    EXPECT_EQ(os.CallsNamed("CoUninitialize").size(), 1u);
}

TEST_F(OrvoBind, SecondWindowClassOnlyWhenTheFirstIsMissing) {
    os.windowsByClass["TOrvoForm"] = 0x6000;
    auto orvo = Make();
    EXPECT_EQ(orvo->GetORVOHandle(), kPlayerWindow);
    os.windowsByClass.erase("TFormORVO");
    EXPECT_EQ(orvo->GetORVOHandle(), 0x6000u);
    os.windowsByClass.clear();
    EXPECT_EQ(orvo->GetORVOHandle(), 0u);
    EXPECT_EQ(orvo->HostWnd, 0u);  // every search overwrites, null included
}

TEST_F(OrvoBind, ExecuteStartsThePlayerInItsFolderAndWaitsForIt) {
    auto orvo = Make();
    os.ClearCalls();
    EXPECT_TRUE(orvo->Execute(""));
    EXPECT_TRUE(orvo->Execute("/x y"));
    const std::string exe = fake::Quote("C:\\Player\\ORVO.EXE");
    const std::string dir = fake::Quote("C:\\Player");
    EXPECT_THAT(Only({"CreateProcess", "WaitForInputIdle"}),
                ElementsAre("CreateProcess(" + exe + ", \"\", " + dir + ")",
                            "WaitForInputIdle(0x7000, 0xFFFFFFFF)",
                            "CreateProcess(" + exe + ", " +
                                fake::Quote("C:\\Player\\ORVO.EXE /x y") + ", " + dir + ")",
                            "WaitForInputIdle(0x7000, 0xFFFFFFFF)"));
    os.waitForInputIdleResult = 0xFFFFFFFF;
    EXPECT_FALSE(orvo->Execute(""));
    os.failCreateProcess = true;
    EXPECT_FALSE(orvo->Execute(""));
    orvo->ExePath.clear();
    os.ClearCalls();
    EXPECT_FALSE(orvo->Execute(""));
    EXPECT_TRUE(os.CallsNamed("CreateProcess").empty());
}

TEST_F(OrvoBind, BindWithoutPlayerWindowStartsThePlayerOrGivesUpSilently) {
    os.windowsByClass.clear();
    auto orvo = Make();
    os.failCreateProcess = true;
    orvo->Bind();
    EXPECT_FALSE(orvo->Bound);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_TRUE(os.CallsNamed("CoCreateInstance").empty());
    os.failCreateProcess = false;
    orvo->Bind();
    EXPECT_TRUE(orvo->Bound);
    EXPECT_EQ(orvo->HostWnd, static_cast<platform::Handle>(server.mainWindow));
}

TEST_F(OrvoBind, BindSpeaksToThePlayerInItsOrder) {
    auto orvo = Make();
    std::vector<std::string> fired;
    orvo->OnBind = [&](TORVO* s) { fired.push_back(s == orvo.get() ? "Bind" : "?"); };
    orvo->EventMask = 0x12345678;
    os.ClearCalls();
    orvo->Bind();
    const std::string window = Win(orvo->MessageWindow);
    EXPECT_THAT(
        Only({"CoCreateInstance", "QueryInterface", "Control."}),
        ElementsAre("CoCreateInstance(0xE58443CC, 0x15)", "QueryInterface(IUnknown)",
                    "QueryInterface(IORVOControl)", "QueryInterface(IORVOPlayList)",
                    "QueryInterface(IORVOLyrics)", "QueryInterface(IORVOMenu)",
                    "Control.get_Handle()", "Control.get_Version()", "Control.CheckVersion(4300)",
                    "Control.Attach(0x10000000, 4242, " + window + ")",
                    "Control.SetEvent(" + window + ", 0x12345678)"));
    EXPECT_THAT(fired, ElementsAre("Bind"));
    EXPECT_EQ(orvo->PluginMode, 2);
    // Bound, or in design mode: nothing more happens.
    os.ClearCalls();
    orvo->Bind();
    auto other = Make();
    other->DesignMode = true;
    os.ClearCalls();
    other->Bind();
    EXPECT_TRUE(os.calls.empty());
}

TEST_F(OrvoBind, ServerAndInterfaceFailuresShowTheirExactText) {
    struct Case {
        const char* refused;  // nullptr: the class is not registered
        const char* text;
    } cases[] = {{nullptr, "ORVOControl Create Instance Error[80040154]"},
                 {"IORVOControl", "IORVOControl Interface Error[80004002]"},
                 {"IORVOPlayList", "IORVOPlayList Interface Error[80004002]"},
                 {"IORVOLyrics", "IORVOLyrics Interface Error[80004002]"},
                 {"IORVOMenu", "IORVOMenu Interface Error[8000FFFF]"}};
    const auto registered = os.comClasses;
    for (const auto& c : cases) {
        os.comClasses = c.refused ? registered : decltype(registered){};
        server.refusedInterfaces.clear();
        if (c.refused)
            server.refusedInterfaces[c.refused] = static_cast<platform::HResult>(
                std::string(c.refused) == "IORVOMenu" ? 0x8000FFFFu : 0x80004002u);
        auto orvo = Make();
        os.ClearCalls();
        orvo->Bind();
        EXPECT_FALSE(orvo->Bound) << c.text;
        EXPECT_FALSE(orvo->ControlIntf || orvo->PlayListIntf || orvo->LyricsIntf || orvo->MenuIntf);
        EXPECT_EQ(server.refCount, 1) << c.text;  // nothing kept
        EXPECT_THAT(
            Only({"MessageBeep", "MessageBox"}),
            ElementsAre("MessageBeep(0x30)", "MessageBox(0x10, \"" + std::string(c.text) + "\")"));
    }
}

TEST_F(OrvoBind, VersionGateRefusesOldOrUnwillingPlayers) {
    struct Case {
        Orvo_tlb::Long version;
        Orvo_tlb::Long accepts;
        bool bound;
    } cases[] = {{5999, 4300, false}, {6000, 4300, true}, {6003, 4299, false}};
    for (const auto& c : cases) {
        server.version = c.version;
        server.acceptedClientVersion = c.accepts;
        std::vector<std::string> fired;
        auto orvo = Make();
        orvo->OnBind = [&](TORVO*) { fired.push_back("Bind"); };
        orvo->OnUnbind = [&](TORVO*) { fired.push_back("Unbind"); };
        os.ClearCalls();
        os.boxes.clear();
        orvo->Bind();
        EXPECT_EQ(orvo->Bound, c.bound) << c.version;
        if (c.bound) continue;
        EXPECT_THAT(fired, ElementsAre("Unbind"));
        EXPECT_TRUE(os.CallsNamed("Control.Attach").empty());
        EXPECT_EQ(os.CallsNamed("Control.Detach").size(), 1u);
        ASSERT_EQ(os.boxes.size(), 1u);
        EXPECT_EQ(os.boxes[0].text, kRefusedText);
        EXPECT_EQ(os.boxes[0].type, platform::kMbIconWarning | platform::kMbOk);
        EXPECT_EQ(os.boxes[0].codePage, 932u);
        EXPECT_EQ(server.refCount, 1);
        const auto detach =
            std::find(os.calls.begin(), os.calls.end(),
                      "Control.Detach(" + std::to_string(orvo->MessageWindow) + ")");
        const auto beep = std::find(os.calls.begin(), os.calls.end(), "MessageBeep(0x30)");
        EXPECT_LT(detach, beep);
    }
}

TEST_F(OrvoBind, StoppedPropertyReadIsReportedAndLeavesNoBinding) {
    server.failingReads["Handle"] = platform::kEFail;
    os.statusDescriptions[platform::kEFail] = "Unspecified error";
    os.messageBoxAnswer = platform::kIdCancel;
    auto orvo = Make();
    os.ClearCalls();
    orvo->Bind();
    const std::string report = "this->get_Handle((long*)&Value)\nUnspecified error";
    EXPECT_THAT(Only({"MessageBeep", "MessageBox"}),
                ElementsAre("MessageBox(0x11, " + fake::Quote(report) + ")", "MessageBeep(0x30)",
                            "MessageBox(0x10, " + fake::Quote(report) + ")"));
    EXPECT_FALSE(orvo->Bound);
    EXPECT_EQ(server.refCount, 1);
}

TEST_F(OrvoBind, VersionReadStoppedAfterBindingUnbindsAgain) {
    server.failingReads["Version"] = static_cast<platform::HResult>(0x80070005u);
    os.messageBoxAnswer = platform::kIdCancel;
    auto orvo = Make();
    bool unbound = false;
    orvo->OnUnbind = [&](TORVO*) { unbound = true; };
    orvo->Bind();
    EXPECT_FALSE(orvo->Bound);
    EXPECT_TRUE(unbound);
    EXPECT_TRUE(os.CallsNamed("Control.Attach").empty());
    EXPECT_EQ(os.boxes.front().text, "this->get_Version((long*)&Value)\n0x80070005");
    // Continuing instead goes on with the value as the player left it.
    os.messageBoxAnswer = platform::kIdOk;
    os.boxes.clear();
    server.version = 6001;
    orvo->Bind();
    EXPECT_TRUE(orvo->Bound);
    EXPECT_EQ(os.boxes.size(), 1u);
}

TEST_F(OrvoBind, UnbindDeletesTheFirstItemWhileBoundThenDetachesAndReleases) {
    std::vector<std::string> seen;
    auto orvo = MakeBound();
    TORVOMenu* first = orvo->GetMenu(0x101);
    TORVOMenu* second = orvo->GetMenu(0x102);
    first->Added = second->Added = true;
    orvo->EventMask = 0xABCD;
    server.eventMask = 0;
    orvo->OnUnbind = [&](TORVO* s) {
        seen.push_back(std::to_string(s->Bound) + " " + std::to_string(s->MenuList->size()));
    };
    os.ClearCalls();
    orvo->Unbind();
    EXPECT_THAT(os.calls,
                ElementsAre("Menu.DeleteItem(0x101)",
                            "Control.Detach(" + std::to_string(orvo->MessageWindow) + ")"));
    EXPECT_THAT(seen, ElementsAre("0 0"));
    EXPECT_EQ(orvo->EventMask, 0xABCDu);
    EXPECT_EQ(orvo->HostWnd, static_cast<platform::Handle>(server.mainWindow));
    EXPECT_EQ(server.refCount, 1);
    EXPECT_EQ(orvo->FindMenu(0x102), nullptr);
    // A new binding hands the same mask over again.
    os.ClearCalls();
    orvo->Bind();
    EXPECT_EQ(os.CallsNamed("Control.SetEvent").back(),
              "Control.SetEvent(" + Win(orvo->MessageWindow) + ", 0xABCD)");
}

TEST_F(OrvoBind, DestructionUnbindsThenFreesWithoutFurtherPlayerCalls) {
    auto orvo = MakeBound();
    orvo->GetMenu(0x101)->Added = true;
    orvo->GetMenu(0x102)->Added = true;
    TORVOMenu* loose = orvo->RemoveMenu(orvo->GetMenu(0x103));  // owned, no longer listed
    loose->Added = true;
    const std::string window = Win(orvo->MessageWindow);
    const std::string number = std::to_string(orvo->MessageWindow);
    orvo.reset();
    EXPECT_THAT(os.calls, ElementsAre("Menu.DeleteItem(0x101)", "Control.Detach(" + number + ")",
                                      "CoUninitialize()", "DestroyWindow(" + window + ")"));
    EXPECT_EQ(server.refCount, 1);
}

TEST_F(OrvoBind, AutoLinkAndLoadedBindOnlyWhenThePlayerRuns) {
    auto orvo = Make();
    orvo->Loading = true;
    orvo->SetAutoLink(true);
    EXPECT_FALSE(orvo->Bound);  // being loaded
    orvo->Loaded();
    EXPECT_TRUE(orvo->Bound);
    orvo->Unbind();
    orvo->SetAutoLink(false);
    orvo->Loaded();
    EXPECT_FALSE(orvo->Bound);
    os.windowsByClass.clear();
    orvo->SetAutoLink(true);
    EXPECT_FALSE(orvo->Bound);
    EXPECT_TRUE(os.CallsNamed("CreateProcess").empty());
    os.windowsByClass["TOrvoForm"] = 0x6000;
    orvo->SetAutoLink(true);
    EXPECT_TRUE(orvo->Bound);
}

TEST_F(OrvoBind, VersionQueriesAndPluginTest) {
    auto orvo = Make();
    os.ClearCalls();
    EXPECT_EQ(orvo->GetVersion(), 0);
    EXPECT_FALSE(orvo->CheckVersion(4300));
    EXPECT_TRUE(os.calls.empty());
    EXPECT_FALSE(orvo->IsPlugin());
    os.commandLine = {"a.orv", "/plugin"};
    EXPECT_TRUE(orvo->IsPlugin());
    // Once the player has reported a mode, it decides, even after Unbind.
    server.attachMode = 0x101;  // lowest byte 1: not a plug-in
    orvo->Bind();
    orvo->Unbind();
    EXPECT_FALSE(orvo->IsPlugin());
}

TEST_F(OrvoBind, TextsCrossInTheAnsiOrTheGivenCodePage) {
    auto orvo = Make();
    const std::string katakana = "\x83\x5c";  // "ソ": trail byte 0x5C
    EXPECT_EQ(orvo->ToHost(katakana), u"\u30bd");
    EXPECT_EQ(orvo->FromHost(u"\u30bd"), katakana);
    EXPECT_EQ(orvo->ToHost("\xe3\x82\xbd", 65001), u"\u30bd");
}

}  // namespace
