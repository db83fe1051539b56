// The player-side operations of a menu item: caption, enabled state, children.
#include "hostlink/menu.h"

#include "hostlink/bstr.h"
#include "hostlink/orvo.h"

using hostlink::OwnedBstr;

std::string TORVOMenu::GetCaption() {
    if (!Link->Bound) return std::string();
    OwnedBstr caption;
    Link->MenuIntf->GetItemCaption(Id, caption.Out());
    return Link->FromHost(caption.Text());
}

void TORVOMenu::SetCaption(const std::string& Text, unsigned CodePage) {
    if (!Link->Bound) return;
    const OwnedBstr caption(Link->ToHost(Text, CodePage));
    Link->MenuIntf->SetItemCaption(Id, caption.In());
}

// The player takes 1 or 0 here, not the automation boolean.
void TORVOMenu::SetEnabled(bool Flag) {
    if (Link->Bound) Link->MenuIntf->SetItemEnabled(Id, Flag ? 1 : 0);
}

TORVOMenu* TORVOMenu::AddChild(const std::string& Caption, unsigned CodePage) {
    if (!Link->Bound) return nullptr;
    const OwnedBstr caption(Link->ToHost(Caption, CodePage));
    Orvo_tlb::Long newId = 0;  // stays 0 when the player gives no id
    Link->MenuIntf->AddItem(static_cast<Orvo_tlb::Long>(Link->MessageWindow), Id, caption.In(),
                            &newId);
    // An item a notification already brought in is the same object, now ours to delete.
    TORVOMenu* const item = Link->GetMenu(newId);
    if (item) item->Added = true;
    return item;
}

void TORVOMenu::DeleteChild(TORVOMenu* Child) {
    if (!Link->Bound || !Child) return;
    Link->MenuIntf->DeleteItem(Child->Id);
    Link->DeleteMenu(Child);
}
