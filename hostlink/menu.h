// TORVOMenu: the plug-in-side object for one of the player's menu items.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TORVO;
class TORVOMenu;

using TMenuClickEvent = std::function<void(TORVOMenu* Sender)>;

class TORVOMenu {
  public:
    // Makes the item; no player call. Only the TORVO (its roots) and GetMenu create items.
    TORVOMenu(TORVO* Link, std::int32_t Id);
    ~TORVOMenu();
    TORVOMenu(const TORVOMenu&) = delete;
    TORVOMenu& operator=(const TORVOMenu&) = delete;

    TORVO* const Link;
    const std::int32_t Id;
    TMenuClickEvent OnClick;
    bool Added = false;

    std::string GetCaption();
    // `CodePage` 0: the text is in the process's ANSI code page.
    void SetCaption(const std::string& Text, unsigned CodePage = 0);
    void SetEnabled(bool Flag);
    TORVOMenu* AddChild(const std::string& Caption, unsigned CodePage = 0);
    void DeleteChild(TORVOMenu* Child);
};
