#include "standins/host/MenuPicture.h"

#include "standins/host/Files.h"

namespace host {
namespace {

constexpr UINT kTickMs = 200;
constexpr int kMaxTicks = 150;

// The menu loop is modal: the steps happen in a timer procedure that the loop dispatches.
struct Holding {
    HWND owner = nullptr;
    std::wstring readyFile, doneFile;
    int ticks = 0;
    bool ready = false;
    int menus = 0;
};
Holding holding;

HMENU Build(const HostMenu& menu, HostMenu::Long parent) {
    const HMENU popup = ::CreatePopupMenu();
    for (const HostMenu::Long id : menu.Children(parent)) {
        const HostMenu::Item* item = menu.Find(id);
        const UINT grayed = item->enabled ? 0 : MF_GRAYED;
        if (item->caption == L"-") {
            ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        } else if (!menu.Children(id).empty()) {
            ::AppendMenuW(popup, MF_POPUP | grayed, reinterpret_cast<UINT_PTR>(Build(menu, id)),
                          item->caption.c_str());
        } else {
            ::AppendMenuW(popup, MF_STRING | grayed, static_cast<UINT_PTR>(id),
                          item->caption.c_str());
        }
    }
    return popup;
}

BOOL CALLBACK AddMenuWindow(HWND window, LPARAM area) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (std::wstring(name) != L"#32768" || !::IsWindowVisible(window)) return TRUE;
    RECT rect;
    ::GetWindowRect(window, &rect);
    auto* covered = reinterpret_cast<RECT*>(area);
    ::UnionRect(covered, covered, &rect);
    ++holding.menus;
    return TRUE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++holding.ticks;
    // Keys as a person would press them: the first item, then into its submenu.
    if (holding.ticks == 1) ::PostMessageW(holding.owner, WM_KEYDOWN, VK_DOWN, 0);
    if (holding.ticks == 2) ::PostMessageW(holding.owner, WM_KEYDOWN, VK_RIGHT, 0);
    if (holding.ticks == 4) {
        RECT covered = {};
        holding.menus = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), AddMenuWindow,
                            reinterpret_cast<LPARAM>(&covered));
        holding.ready = holding.menus > 0 && WriteRectFile(holding.readyFile, covered);
    }
    if (holding.ticks > 4 &&
        (::GetFileAttributesW(holding.doneFile.c_str()) != INVALID_FILE_ATTRIBUTES ||
         holding.ticks > kMaxTicks || !holding.ready))
        ::EndMenu();
}

}  // namespace

bool ShowMenuPicture(const HostMenu& menu, HostMenu::Long item, HWND owner,
                     const std::wstring& readyFile, const std::wstring& doneFile,
                     Transcript& transcript) {
    if (!owner || menu.Children(item).empty()) return false;
    const HMENU popup = Build(menu, item);
    holding = Holding{owner, readyFile, doneFile};
    RECT frame;
    ::GetWindowRect(owner, &frame);
    ::SetForegroundWindow(owner);
    const UINT_PTR timer = ::SetTimer(nullptr, 0, kTickMs, Tick);
    ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN, frame.left + 16, frame.top + 40, owner,
                       nullptr);
    ::KillTimer(nullptr, timer);
    ::DestroyMenu(popup);
    transcript.Line("menu: picture " + std::string(holding.ready ? "ready" : "FAIL not ready") +
                    ", " + std::to_string(holding.menus) + " menus shown");
    return holding.ready;
}

}  // namespace host
