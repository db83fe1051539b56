// A menu item's own player operations: caption, enabled state, adding and deleting children.
#include "tests/unit/CompanionFixture.h"

namespace {

// "設定" in code page 932, and as UTF-16.
const std::string kSettings932 = "\x90\xdd\x92\xe8";
const std::u16string kSettings16 = u"\u8A2D\u5B9A";

class MenuItem : public CompanionFixture {
  protected:
    TORVOMenu* Root() { return orvo->GetMenu(0x9000); }
};

TEST_F(MenuItem, UnboundItemsMakeNoCallAndDeleteNothing) {
    TORVOMenu* const item = orvo->GetMenu(0x123);
    EXPECT_EQ(Root()->AddChild("x"), nullptr);
    EXPECT_EQ(item->GetCaption(), "");
    item->SetCaption("y");
    item->SetEnabled(false);
    Root()->DeleteChild(item);
    EXPECT_EQ(orvo->FindMenu(0x123), item) << "an unbound DeleteChild destroyed the child";
    EXPECT_EQ(orvo->MenuList->size(), 1u);
    EXPECT_TRUE(os.calls.empty()) << os.calls.front();
}

TEST_F(MenuItem, AddChildCreatesTheItemUnderItsParent) {
    AttachServer();
    TORVOMenu* const child = Root()->AddChild("Vellacord");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(os.calls, std::vector<std::string>{"Menu.AddItem(" + fake::Hex(orvo->MessageWindow) +
                                                 ", 0x9000, \"Vellacord\")"});
    EXPECT_EQ(child->Id, 0x100);
    EXPECT_TRUE(child->Added);
    EXPECT_EQ(orvo->GetMenu(0x100), child);
    EXPECT_EQ(server.menuItems.at(0x100).parent, 0x9000);

    TORVOMenu* const grandChild = child->AddChild("Help");
    ASSERT_NE(grandChild, nullptr);
    EXPECT_EQ(server.menuItems.at(grandChild->Id).parent, 0x100);
}

TEST_F(MenuItem, AddChildReturnsAndMarksAnItemMetBefore) {
    AttachServer();
    TORVOMenu* const known = orvo->GetMenu(0x100);  // a notification named it first
    EXPECT_FALSE(known->Added);
    EXPECT_EQ(Root()->AddChild("again"), known);
    EXPECT_TRUE(known->Added);
    EXPECT_EQ(orvo->MenuList->size(), 1u);
}

TEST_F(MenuItem, AddChildWithoutAnIdGivesNone) {
    AttachServer();
    server.addItemGivesNoId = true;
    EXPECT_EQ(Root()->AddChild("lost"), nullptr);
    EXPECT_TRUE(orvo->MenuList->empty());
}

TEST_F(MenuItem, EnabledStateIsOneOrZero) {
    AttachServer();
    TORVOMenu* const child = Root()->AddChild("c");
    child->SetEnabled(false);
    child->SetEnabled(true);
    EXPECT_EQ(os.CallsNamed("Menu.SetItemEnabled"),
              (std::vector<std::string>{"Menu.SetItemEnabled(0x100, 0)",
                                        "Menu.SetItemEnabled(0x100, 1)"}));
}

TEST_F(MenuItem, DeleteChildDeletesInThePlayerAndDestroysTheItem) {
    AttachServer();
    TORVOMenu* const child = Root()->AddChild("c");
    os.ClearCalls();
    Root()->DeleteChild(child);
    EXPECT_EQ(orvo->FindMenu(0x100), nullptr);
    EXPECT_TRUE(orvo->MenuList->empty());
    EXPECT_EQ(server.menuItems.count(0x100), 0u);
    // Once by DeleteChild, once by the destroyed item that this component had added.
    EXPECT_EQ(os.calls,
              (std::vector<std::string>{"Menu.DeleteItem(0x100)", "Menu.DeleteItem(0x100)"}));
}

// The plug-in's captions are code-page-932 bytes whatever the process's code page is.
TEST_F(MenuItem, CaptionsInCodePage932ReachThePlayerAsTheRightText) {
    for (const unsigned ansi : {932u, 1252u}) {
        os.ansiCodePage = ansi;
        AttachServer();
        TORVOMenu* const child = Root()->AddChild(kSettings932, platform::kCodePage932);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(server.menuItems.at(child->Id).caption, kSettings16) << ansi;
        child->SetCaption("\x83\x5c", platform::kCodePage932);  // ソ
        EXPECT_EQ(server.menuItems.at(child->Id).caption, u"\u30BD") << ansi;
        Root()->DeleteChild(child);
    }
}

TEST_F(MenuItem, CaptionsInTheProcessCodePageConvertBothWays) {
    AttachServer();
    TORVOMenu* const child = Root()->AddChild("x");
    server.menuItems.at(child->Id).caption = kSettings16;
    EXPECT_EQ(child->GetCaption(), kSettings932);
    child->SetCaption(kSettings932);
    EXPECT_EQ(server.menuItems.at(child->Id).caption, kSettings16);

    os.ansiCodePage = 1252;
    child->SetCaption("caf\xe9");
    EXPECT_EQ(server.menuItems.at(child->Id).caption, u"caf\u00E9");
    EXPECT_EQ(child->GetCaption(), "caf\xe9");
}

}  // namespace
