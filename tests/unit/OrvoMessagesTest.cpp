// TORVO: "WM_ORVO" notifications into events, subscription, and messages to the player.
#include "tests/unit/OrvoFixture.h"

namespace {

using ::testing::ElementsAre;

std::string Id(const TORVOMenu* item) {
    return item ? fake::Hex(static_cast<std::uint32_t>(item->Id)) : "none";
}

// Records every event of `o` into `log` as "Name(arguments)".
void RecordAll(TORVO& o, std::vector<std::string>& log) {
    auto n = [&log](const char* name) { return [&log, name](TORVO*) { log.push_back(name); }; };
    auto p = [&log](const char* name) {
        return [&log, name](TORVO*, std::int32_t v) {
            log.push_back(std::string(name) + "(" + std::to_string(v) + ")");
        };
    };
    auto ep = [&log](const char* name) {
        return [&log, name](TORVO*, std::uint32_t e, std::int32_t v) {
            log.push_back(std::string(name) + "(" + std::to_string(e) + "," + std::to_string(v) +
                          ")");
        };
    };
    auto lr = [&log](const char* name) {
        return [&log, name](TORVO*, std::int32_t l, std::int32_t r) {
            log.push_back(std::string(name) + "(" + std::to_string(l) + "," + std::to_string(r) +
                          ")");
        };
    };
    auto f = [&log](const char* name) {
        return [&log, name](TORVO*, bool v) {
            log.push_back(std::string(name) + "(" + (v ? "1" : "0") + ")");
        };
    };
    o.OnORVO = ep("ORVO");
    o.OnOpen = n("Open");
    o.OnClose = n("Close");
    o.OnRun = n("Run");
    o.OnAbort = [&log](TORVO* s) { log.push_back(s->Bound ? "Abort(bound)" : "Abort"); };
    o.OnPlayStatus = p("PlayStatus");
    o.OnVolume = lr("Volume");
    o.OnSpeana = [&log](TORVO*, const std::int32_t* level) {
        std::string s = "Speana(";
        for (int i = 0; i < 10; ++i) s += std::to_string(level[i]) + (i < 9 ? "," : ")");
        log.push_back(s);
    };
    o.OnLyrics = p("Lyrics");
    o.OnCounter = p("Counter");
    o.OnPosition = p("Position");
    o.OnIntTimer = p("IntTimer");
    o.OnButton = ep("Button");
    o.OnMenu = [&log](TORVOMenu* m) { log.push_back("Menu(" + Id(m) + ")"); };
    o.OnBind = n("Bind");
    o.OnUnbind = n("Unbind");
    o.OnMove = lr("Move");
    o.OnMoved = lr("Moved");
    o.OnStatus = ep("Status");
    o.OnVisible = f("Visible");
    o.OnActive = f("Active");
    o.OnMinimize = f("Minimize");
    o.OnStayOnTop = f("StayOnTop");
    o.OnRepeat = f("Repeat");
    o.OnRandom = f("Random");
    o.OnDisplayTime = f("DisplayTime");
    o.OnChangeVolume = p("ChangeVolume");
    o.OnDisplayTrack = p("DisplayTrack");
    o.OnDisplayTitle = p("DisplayTitle");
    o.OnDisplayDevice = p("DisplayDevice");
    o.OnDisplayCaption = n("DisplayCaption");
    o.OnDisplayTimer = p("DisplayTimer");
    o.OnOpenTrack = p("OpenTrack");
    o.OnCloseTrack = p("CloseTrack");
    o.OnSaveORVOini = n("SaveORVOini");
    o.OnDesign = n("Design");
    o.OnClick = p("Click");
    o.OnDblClick = p("DblClick");
    o.OnDisplayMenu = [&log](TORVOMenu* m) { log.push_back("DisplayMenu(" + Id(m) + ")"); };
    o.OnUser = ep("User");
    o.OnLoadLyrics = n("LoadLyrics");
    o.OnChangePlayList = p("ChangePlayList");
    o.OnChangeDisplayMode = p("ChangeDisplayMode");
}

class OrvoMessages : public OrvoFixture {
  protected:
    std::vector<std::string> events;  // outlives the component
};

TEST_F(OrvoMessages, EveryNotificationReachesItsEventThenOnORVO) {
    struct Case {
        bool bound;
        std::uint32_t wParam;
        std::uint32_t lParam;
        std::vector<std::string> fired;  // before the final ORVO(wParam,lParam)
    } cases[] = {
        {true, 0x4, 99, {"Run"}},
        {false, 0x4, 99, {"Run"}},
        {false, 0x80000002, 0, {"User(2,0)"}},
        {true, 0x8000FFFF, 7, {"User(65535,7)"}},
        {true, 0x8001FFFF, 7, {}},  // the code keeps the high bits: no User
        {true, 0x00010001, 5, {}},  // a sub-value makes it no Open
        {true, 0x401, 0x100, {}},   // another client's announcement
        {true, 0x10, 7, {"PlayStatus(7)"}},
        {true, 0x20, 8, {"IntTimer(8)"}},
        {true, 0x40, 9, {"Counter(9)"}},
        {true, 0x80, 10, {"Position(10)"}},
        {true, 0x100, 0xFFFF0001, {"Volume(1,65535)"}},
        {true, 0x200, 3, {"Lyrics(3)"}},
        {true, 0x400, 0xFFFF0001, {"Move(1,-1)"}},
        {true, 0x800, 0, {"Menu(none)"}},
        {true, 0x800, 0x9000, {"Menu(0x9000)"}},
        {true, 0x100000A9, 0x87654321, {"Speana(1,2,3,4,5,6,7,8,9,10)"}},
        {true, 0x20000005, 0xFFFFFFFF, {"Button(5,-1)"}},
        {false, 0x10, 7, {}},
        {false, 0x100, 1, {}},
        {false, 0x800, 0x123, {}},
        {false, 0x10000000, 1, {}},
        {false, 0x20000001, 1, {}},
        {false, 0x40000001, 1, {}},
        {true, 0x1000, 1, {}},  // no such notification
        // Status kinds: OnStatus first, then the kind's own event.
        {true, 0x40000001, 2, {"Status(1,2)", "Visible(1)"}},
        {true, 0x40000002, 0, {"Status(2,0)", "Active(0)"}},
        {true, 0x40000003, 1, {"Status(3,1)", "Minimize(1)"}},
        {true, 0x40000004, 1, {"Status(4,1)", "StayOnTop(1)"}},
        {true, 0x40000005, 1, {"Status(5,1)", "Repeat(1)"}},
        {true, 0x40000006, 1, {"Status(6,1)", "Random(1)"}},
        {true, 0x40000007, 0xFFFFFFFF, {"Status(7,-1)", "DisplayTime(1)"}},
        {true, 0x40000008, 4, {"Status(8,4)", "DisplayTrack(4)"}},
        {true, 0x40000009, 5, {"Status(9,5)", "DisplayTitle(5)"}},
        {true, 0x4000000A, 6, {"Status(10,6)", "DisplayDevice(6)"}},
        {true, 0x4000000B, 7, {"Status(11,7)", "DisplayTimer(7)"}},
        {true, 0x4000000C, 8, {"Status(12,8)", "DisplayCaption"}},
        {true, 0x4000000D, 9, {"Status(13,9)", "ChangeVolume(9)"}},
        {true, 0x4000000E, 10, {"Status(14,10)", "OpenTrack(10)"}},
        {true, 0x4000000F, 11, {"Status(15,11)", "CloseTrack(11)"}},
        {true, 0x40000010, 0, {"Status(16,0)", "LoadLyrics"}},
        {true, 0x40000011, 0, {"Status(17,0)", "SaveORVOini"}},
        {true, 0x40000012, 0, {"Status(18,0)", "Design"}},
        {true, 0x40000015, 3, {"Status(21,3)", "ChangePlayList(3)"}},
        {true, 0x40000016, 0x9000, {"Status(22,36864)", "DisplayMenu(0x9000)"}},
        {true, 0x40000016, 0, {"Status(22,0)"}},
        {true, 0x40000019, 12, {"Status(25,12)", "Click(12)"}},
        {true, 0x4000001A, 13, {"Status(26,13)", "DblClick(13)"}},
        {true, 0x4000001B, 0x999, {"Status(27,2457)"}},
        {true, 0x4000001C, 2, {"Status(28,2)", "ChangeDisplayMode(2)"}},
        {true, 0x4000001E, 0xFFFF0001, {"Status(30,-65535)", "Moved(1,-1)"}},
        {true, 0x40000000, 1, {"Status(0,1)"}},
        {true, 0x40000013, 1, {"Status(19,1)"}},
        {true, 0x40000014, 1, {"Status(20,1)"}},
        {true, 0x40000017, 1, {"Status(23,1)"}},
        {true, 0x40000018, 1, {"Status(24,1)"}},
        {true, 0x4000001D, 1, {"Status(29,1)"}},
        {true, 0x4000001F, 1, {"Status(31,1)"}},
    };
    auto bound = MakeBound();
    auto unbound = Make();
    RecordAll(*bound, events);
    RecordAll(*unbound, events);
    for (const auto& c : cases) {
        events.clear();
        TORVO& o = c.bound ? *bound : *unbound;
        EXPECT_EQ(Deliver(o, c.wParam, c.lParam), 1);
        auto expected = c.fired;
        expected.push_back("ORVO(" + std::to_string(c.wParam) + "," +
                           std::to_string(static_cast<std::int32_t>(c.lParam)) + ")");
        EXPECT_EQ(events, expected) << std::hex << "wParam 0x" << c.wParam << " lParam 0x"
                                    << c.lParam << (c.bound ? " bound" : " unbound");
    }
    EXPECT_TRUE(bound->MenuList->empty());  // status 22 with id 0 and roots create nothing
    bound->OnORVO = nullptr;
    bound->OnUnbind = nullptr;
    unbound->OnUnbind = nullptr;
}

TEST_F(OrvoMessages, OpenCloseAndAbortMoveBetweenTheStates) {
    auto o = Make();
    RecordAll(*o, events);
    Deliver(*o, 0x1, 0x7777);
    EXPECT_THAT(events, ElementsAre("Bind", "Open", "ORVO(1,30583)"));
    EXPECT_TRUE(o->Bound);
    events.clear();
    Deliver(*o, 0x8, 0);
    EXPECT_THAT(events, ElementsAre("Abort(bound)", "Unbind", "ORVO(8,0)"));
    EXPECT_EQ(o->HostWnd, 0u);
    events.clear();
    o->HostWnd = 0x1234;
    Deliver(*o, 0x2, 0);  // unbound: still forgets the window and fires
    EXPECT_THAT(events, ElementsAre("Close", "ORVO(2,0)"));
    EXPECT_EQ(o->HostWnd, 0u);
    o->AutoLink = false;
    events.clear();
    Deliver(*o, 0x1, 0x7777);
    EXPECT_THAT(events, ElementsAre("Open", "ORVO(1,30583)"));
    EXPECT_EQ(o->HostWnd, 0x7777u);
    o->OnUnbind = nullptr;
}

TEST_F(OrvoMessages, OtherMessagesGoToTheDefaultProcedure) {
    auto o = Make();
    os.ClearCalls();
    EXPECT_EQ(o->WndProc(0x0010, 0, 0), 0);
    EXPECT_THAT(os.calls, ElementsAre("DefWindowProc(" + Win(o->MessageWindow) + ", 0x10)"));
}

TEST_F(OrvoMessages, HandlerFailuresNeverLeaveTheWindowProcedure) {
    auto o = MakeBound();
    o->OnUser = [](TORVO*, std::uint32_t, std::int32_t) { throw EOleError("stopped"); };
    EXPECT_EQ(Deliver(*o, 0x80000001, 0), 1);
    EXPECT_THAT(Only({"MessageBeep", "MessageBox"}),
                ElementsAre("MessageBeep(0x30)", "MessageBox(0x10, \"stopped\")"));
    // Through the system's dispatch as well.
    o->OnUser = [](TORVO*, std::uint32_t, std::int32_t) { throw 42; };
    o->NotifyEvent(o->MessageWindow, 0x80000001, 0);
    EXPECT_EQ(os.PumpMessages(), 1);
}

TEST_F(OrvoMessages, SpeanaIsDecodedOnlyForAHandler) {
    auto o = MakeBound();
    Deliver(*o, 0x100000A9, 0x87654321);  // no handler: nothing to decode, nothing breaks
    o->OnSpeana = [&](TORVO*, const std::int32_t* level) {
        events.push_back(std::to_string(level[0]) + "," + std::to_string(level[9]));
    };
    Deliver(*o, 0x100000F0, 0x0000000F);
    EXPECT_THAT(events, ElementsAre("15,15"));
}

TEST_F(OrvoMessages, MenuClickReachesTheItemThenTheComponent) {
    auto o = MakeBound();
    TORVOMenu* item = o->GetMenu(0x300);
    item->OnClick = [&](TORVOMenu* s) { events.push_back("Click(" + Id(s) + ")"); };
    o->OnMenu = [&](TORVOMenu* s) { events.push_back("Menu(" + Id(s) + ")"); };
    Deliver(*o, 0x800, 0x300);
    Deliver(*o, 0x800, 0x301);  // never met: a plain item is made and kept
    EXPECT_THAT(events, ElementsAre("Click(0x300)", "Menu(0x300)", "Menu(0x301)"));
    EXPECT_EQ(o->MenuList->size(), 2u);
}

TEST_F(OrvoMessages, ClickHandlerThatDestroysItsItemLeavesNoDanglingSender) {
    auto o = MakeBound();
    TORVOMenu* item = o->GetMenu(0x300);
    item->Added = true;
    item->OnClick = [&](TORVOMenu* s) { s->Link->DeleteMenu(s); };
    o->OnMenu = [&](TORVOMenu* s) { events.push_back("Menu(" + Id(s) + ")"); };
    os.ClearCalls();
    Deliver(*o, 0x800, 0x300);
    EXPECT_THAT(events, ElementsAre("Menu(none)"));
    EXPECT_THAT(os.CallsNamed("Menu.DeleteItem"), ElementsAre("Menu.DeleteItem(0x300)"));
}

TEST_F(OrvoMessages, DeleteMenuNotificationDestroysEveryListedItemOfThatId) {
    auto o = MakeBound();
    o->GetMenu(0x300)->Added = true;
    o->GetMenu(0x301);
    os.ClearCalls();
    Deliver(*o, 0x4000001B, 0x300);
    Deliver(*o, 0x4000001B, 0x9000);  // roots stay
    EXPECT_EQ(o->FindMenu(0x300), nullptr);
    EXPECT_NE(o->FindMenu(0x301), nullptr);
    EXPECT_NE(o->FindMenu(0x9000), nullptr);
    EXPECT_THAT(os.CallsNamed("Menu.DeleteItem"), ElementsAre("Menu.DeleteItem(0x300)"));
}

TEST_F(OrvoMessages, HandlersMayCallBackIntoTheComponent) {
    auto o = MakeBound();
    // Unbind from OnAbort: the notification's own Unbind then finds nothing to do.
    o->OnAbort = [](TORVO* s) { s->Unbind(); };
    o->OnUnbind = [&](TORVO*) { events.push_back("Unbind"); };
    Deliver(*o, 0x8, 0);
    EXPECT_THAT(events, ElementsAre("Unbind"));
    EXPECT_EQ(server.refCount, 1);

    // NotifyEvent from OnUser: delivered later by the loop, not inside the handler.
    events.clear();
    o->OnUser = [&](TORVO* s, std::uint32_t e, std::int32_t) {
        events.push_back("User(" + std::to_string(e) + ")");
        if (e == 1) s->NotifyEvent(s->MessageWindow, 0x80000002, 0);
    };
    o->NotifyEvent(o->MessageWindow, 0x80000001, 0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(os.PumpMessages(), 2);
    EXPECT_THAT(events, ElementsAre("User(1)", "User(2)"));

    // GetMenu from OnDisplayMenu, growing the list while the shown item stays valid.
    o->Bind();
    events.clear();
    o->OnDisplayMenu = [&](TORVOMenu* shown) {
        for (int id = 0x500; id < 0x540; ++id) shown->Link->GetMenu(id);
        events.push_back("Shown(" + Id(shown) + ")");
    };
    Deliver(*o, 0x40000016, 0x400);
    EXPECT_THAT(events, ElementsAre("Shown(0x400)"));
    EXPECT_EQ(o->MenuList->size(), 0x41u);
    o->OnUnbind = nullptr;
}

TEST_F(OrvoMessages, HandlerMayClearItsOwnSlot) {
    auto o = MakeBound();
    std::string captured = "kept alive by the slot";
    o->OnRun = [&o, captured, this](TORVO*) {
        o->OnRun = nullptr;
        events.push_back(captured);
    };
    Deliver(*o, 0x4, 0);
    Deliver(*o, 0x4, 0);
    EXPECT_THAT(events, ElementsAre("kept alive by the slot"));
}

TEST_F(OrvoMessages, PostFindsTheWindowAgainWhenTheOldOneIsGone) {
    auto o = Make();
    o->HostWnd = 0x9999;  // stale
    os.ClearCalls();
    EXPECT_TRUE(o->Post(0xC000, 0x403, 0));
    EXPECT_THAT(Only({"PostMessage", "FindWindow"}),
                ElementsAre("PostMessage(0x9999, 0xC000, 0x403, 0x0)", "FindWindow(\"TFormORVO\")",
                            "PostMessage(0x5150, 0xC000, 0x403, 0x0)"));
    os.windowsByClass.clear();
    o->HostWnd = 0;
    EXPECT_FALSE(o->Post(0xC000, 0x403, 0));
}

TEST_F(OrvoMessages, RequestIsBoundedAndSearchesEveryTime) {
    auto o = Make();
    os.ClearCalls();
    EXPECT_EQ(o->Request(0x500, 1, 2), 0);  // no answer: 0
    os.sendAnswer = [](const fake::PostedMessage& m) -> std::optional<std::intptr_t> {
        return m.wParam + m.lParam;
    };
    EXPECT_EQ(o->Request(0x500, 1, 2), 3);
    EXPECT_EQ(os.CallsNamed("FindWindow").size(), 2u);
    EXPECT_EQ(os.CallsNamed("SendMessageTimeout").back(),
              "SendMessageTimeout(0x5150, 0x500, 0x1, 0x2, 0x3, 3000)");
    os.windowsByClass.clear();
    EXPECT_EQ(o->Request(0x500, 1, 2), 0);
}

TEST_F(OrvoMessages, CommandsReachThePlayerOnlyWhileBound) {
    auto o = Make();
    os.ClearCalls();
    o->Close();
    o->Abort();
    o->ShutDown();
    EXPECT_TRUE(os.calls.empty());
    o->Bind();
    os.ClearCalls();
    o->Close();
    o->Abort();
    o->ShutDown();
    EXPECT_THAT(os.calls, ElementsAre("Control.Close()",
                                      "Control.Abort(" + std::to_string(o->MessageWindow) + ")",
                                      "Control.ShutDown()"));
}

// ---- subscription ----

TEST_F(OrvoMessages, EventSetAndMaskTranslateBothWays) {
    auto o = Make();
    EXPECT_EQ(o->GetEvents(), 0);
    struct Case {
        TORVOEventSet set;
        std::uint32_t mask;
    } cases[] = {{0, 0xEFFFF81F},
                 {(1 << evTimer) | (1 << evMove), 0xEFFFFC3F},
                 {0x7F, 0xFFFFFFFF},
                 {1 << evSpeana, 0xFFFFF81F},
                 {1 << evVolume, 0xEFFFF91F}};
    for (const auto& c : cases) {
        o->SetEvents(c.set);
        EXPECT_EQ(o->EventMask, c.mask);
        EXPECT_EQ(o->GetEvents(), c.set);
    }
    o->SetEvent(0);
    EXPECT_EQ(o->GetEvents(), 0);
    o->SetEvents(0);
    EXPECT_EQ(o->EventMask, 0xEFFFF81Fu);
}

TEST_F(OrvoMessages, BoundSubscriptionIsThePlayersMask) {
    auto o = MakeBound();
    const std::string window = Win(o->MessageWindow);
    o->SetEvents(1 << evCounter);
    server.eventMask = 0x100;  // the player's own idea
    EXPECT_EQ(o->GetEvents(), 1 << evVolume);
    EXPECT_THAT(os.calls, ElementsAre("Control.SetEvent(" + window + ", 0xEFFFF85F)",
                                      "Control.GetEvent(" + window + ")"));
    EXPECT_EQ(o->EventMask, 0xEFFFF85Fu);
}

TEST_F(OrvoMessages, NotifyEventTakesItsFourRoutes) {
    auto o = Make();
    const platform::Handle own = o->MessageWindow;
    const std::string post = "PostMessage(" + Win(own) + ", " + fake::Hex(o->MessageId);
    os.ClearCalls();
    o->NotifyEvent(own, 0x80000002, 0);     // own window, unbound
    o->NotifyEvent(0, 0x80000003, 1);       // nobody, unbound: to ourselves
    o->NotifyEvent(0x4444, 0x80000004, 2);  // another client, unbound: dropped
    o->Bind();
    os.ClearCalls();
    o->NotifyEvent(own, 0x80000005, 3);  // own window, bound: still posted directly
    o->NotifyEvent(0x4444, 0x80000006, 4);
    o->NotifyEvent(0, 0x80000007, 5);  // bound: the player decides
    EXPECT_THAT(
        Only({"PostMessage", "Control.NotifyEvent"}),
        ElementsAre(post + ", 0x80000005, 0x3)", "Control.NotifyEvent(17476, -2147483642, 4)",
                    "Control.NotifyEvent(0, -2147483641, 5)"));
    RecordAll(*o, events);
    os.PumpMessages();
    EXPECT_THAT(events, ElementsAre("User(2,0)", "ORVO(2147483650,0)", "User(3,1)",
                                    "ORVO(2147483651,1)", "User(5,3)", "ORVO(2147483653,3)"));
    o->OnUnbind = nullptr;
}

}  // namespace
