// TORVO's list of known menu items and its ownership of them.
#include "tests/unit/OrvoFixture.h"

namespace {

using ::testing::ElementsAre;

class OrvoMenuList : public OrvoFixture {};

std::vector<std::int32_t> Ids(const TORVO& o) {
    std::vector<std::int32_t> ids;
    for (const TORVOMenu* item : *o.MenuList) ids.push_back(item->Id);
    return ids;
}

TEST_F(OrvoMenuList, GetMenuFindsRootsAndMakesEachOtherIdOnce) {
    auto o = Make();
    EXPECT_EQ(o->GetMenu(0), nullptr);
    EXPECT_EQ(o->GetMenu(0x9000), o->RootMenus[2]);
    EXPECT_TRUE(o->MenuList->empty());
    TORVOMenu* a = o->GetMenu(0x123);
    EXPECT_EQ(o->GetMenu(0x123), a);
    EXPECT_EQ(a->Link, o.get());
    EXPECT_FALSE(a->Added);
    EXPECT_THAT(Ids(*o), ElementsAre(0x123));
    EXPECT_EQ(o->FindMenu(0x124), nullptr);
    EXPECT_TRUE(o->MenuList->size() == 1);
}

TEST_F(OrvoMenuList, RemoveMenuWithoutItemDestroysTheFirst) {
    auto o = Make();
    EXPECT_EQ(o->RemoveMenu(nullptr), nullptr);  // empty list
    o->GetMenu(1);
    TORVOMenu* second = o->GetMenu(2);
    o->GetMenu(3);
    EXPECT_EQ(o->RemoveMenu(nullptr), nullptr);
    EXPECT_THAT(Ids(*o), ElementsAre(2, 3));
    // With an item: taken out, not destroyed, still owned.
    EXPECT_EQ(o->RemoveMenu(second), second);
    EXPECT_EQ(second->Id, 2);
    EXPECT_EQ(o->RemoveMenu(second), nullptr);  // no longer listed
    EXPECT_THAT(Ids(*o), ElementsAre(3));
}

TEST_F(OrvoMenuList, DeleteAndClearMakeNoPlayerCallUnlessAddedAndBound) {
    auto o = MakeBound();
    TORVOMenu* plain = o->GetMenu(0x10);
    TORVOMenu* added = o->GetMenu(0x11);
    added->Added = true;
    o->DeleteMenu(plain);
    o->DeleteMenu(added);
    o->DeleteMenu(o->RootMenus[0]);  // not listed: left alone
    EXPECT_THAT(os.calls, ElementsAre("Menu.DeleteItem(0x11)"));
    EXPECT_EQ(o->FindMenu(0x4000), o->RootMenus[0]);
    for (int id = 0x20; id < 0x23; ++id) o->GetMenu(id)->Added = true;
    os.ClearCalls();
    o->ClearMenuList();
    EXPECT_TRUE(o->MenuList->empty());
    EXPECT_EQ(os.CallsNamed("Menu.DeleteItem").size(), 3u);
}

TEST_F(OrvoMenuList, ItemsOutliveBindingOnlyAsRoots) {
    auto o = MakeBound();
    o->GetMenu(0x10);
    o->GetMenu(0x11);
    o->Unbind();
    EXPECT_TRUE(o->MenuList->empty());
    EXPECT_EQ(o->FindMenu(0x10), nullptr);
    EXPECT_NE(o->FindMenu(0x8000), nullptr);
    o->GetMenu(0x12);
    o->Bind();
    EXPECT_TRUE(o->MenuList->empty());
}

}  // namespace
