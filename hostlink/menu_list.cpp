// TORVOMenu's lifetime, the component's list of known menu items and its component ownership.
#include <algorithm>

#include "hostlink/menu.h"
#include "hostlink/orvo.h"

TORVOMenu::TORVOMenu(TORVO* Link, std::int32_t Id) : Link(Link), Id(Id) {
    Link->InsertComponent(this);
}

TORVOMenu::~TORVOMenu() {
    if (Added) {
        Link->RemoveMenu(this);
        if (Link->Bound && Link->MenuIntf) Link->MenuIntf->DeleteItem(Id);
    }
    Link->RemoveComponent(this);
}

TORVOMenu* TORVO::GetMenu(std::int32_t Id) {
    if (Id == 0) return nullptr;
    for (int i = 0; i < 4; ++i)
        if (kRootMenuIds[i] == Id) return RootMenus[i];
    if (!MenuList) return nullptr;
    for (TORVOMenu* item : *MenuList)
        if (item->Id == Id) return item;
    auto* item = new TORVOMenu(this, Id);  // owned by this component
    MenuList->push_back(item);
    return item;
}

TORVOMenu* TORVO::RemoveMenu(TORVOMenu* Menu) {
    if (!MenuList || MenuList->empty()) return nullptr;
    const auto at = Menu ? std::find(MenuList->begin(), MenuList->end(), Menu) : MenuList->begin();
    if (at == MenuList->end()) return nullptr;
    TORVOMenu* const removed = *at;
    MenuList->erase(at);
    if (!Menu) {
        delete removed;
        return nullptr;
    }
    return removed;
}

void TORVO::DeleteMenu(TORVOMenu* Menu) {
    if (RemoveMenu(Menu) && Menu) delete Menu;
}

void TORVO::ClearMenuList() {
    if (!MenuList) return;
    // One at a time: an item's destructor may look at the list again.
    while (!MenuList->empty()) {
        TORVOMenu* const item = MenuList->front();
        MenuList->erase(MenuList->begin());
        delete item;
    }
}

TORVOMenu* TORVO::FindMenu(std::int32_t Id) const {
    if (Id == 0) return nullptr;
    for (int i = 0; i < 4; ++i)
        if (kRootMenuIds[i] == Id) return RootMenus[i];
    if (!MenuList) return nullptr;
    for (TORVOMenu* item : *MenuList)
        if (item->Id == Id) return item;
    return nullptr;
}

void TORVO::InsertComponent(TORVOMenu* Item) {
    components_.push_back(Item);
}

void TORVO::RemoveComponent(TORVOMenu* Item) {
    const auto at = std::find(components_.begin(), components_.end(), Item);
    if (at != components_.end()) components_.erase(at);
}
