// The plug-in's menu as the player's screen would show it: the items a client added below one
// menu item, shown as a real pop-up menu with its first submenu open, and pictured.
#pragma once

#include <windows.h>

#include <string>

#include "standins/host/HostMenu.h"
#include "standins/host/Transcript.h"

namespace host {

// Shows the items below `item` at the owner window, opens the first submenu, then writes a
// picture of the open menus into `readyFile` (a BMP) and keeps them open until `doneFile`
// exists (30 s at most). False when the item has nothing below it or no picture was written.
bool ShowMenuPicture(const HostMenu& menu, HostMenu::Long item, HWND owner,
                     const std::wstring& readyFile, const std::wstring& doneFile,
                     Transcript& transcript);

}  // namespace host
