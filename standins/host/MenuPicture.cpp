#include "standins/host/MenuPicture.h"

#include <vector>

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

BOOL CALLBACK AddMenuWindow(HWND window, LPARAM list) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32768" && ::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The open menus as drawn, copied from their own windows: a screen grab from outside sees the
// pop-up windows of some systems blank. Written as a 24-bit BMP over the area they cover.
bool SavePicture(const std::vector<HWND>& menus, const std::wstring& path) {
    RECT covered = {};
    for (const HWND menu : menus) {
        RECT rect;
        ::GetWindowRect(menu, &rect);
        ::UnionRect(&covered, &covered, &rect);
    }
    const int width = covered.right - covered.left, height = covered.bottom - covered.top;
    if (width <= 0 || height <= 0) return false;
    const HDC screen = ::GetDC(nullptr);
    const HDC canvas = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = ::SelectObject(canvas, bitmap);
    ::PatBlt(canvas, 0, 0, width, height, WHITENESS);
    for (const HWND menu : menus) {
        RECT rect;
        ::GetWindowRect(menu, &rect);
        const HDC source = ::GetWindowDC(menu);
        ::BitBlt(canvas, rect.left - covered.left, rect.top - covered.top, rect.right - rect.left,
                 rect.bottom - rect.top, source, 0, 0, SRCCOPY);
        ::ReleaseDC(menu, source);
    }
    ::SelectObject(canvas, previous);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(stride * static_cast<DWORD>(height));
    ::GetDIBits(canvas, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(canvas);
    ::ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(pixels.data(), pixels.size());
    return WriteFileWhole(path, bytes);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++holding.ticks;
    // Keys as a person would press them: the first item, then into its submenu.
    if (holding.ticks == 1) ::PostMessageW(holding.owner, WM_KEYDOWN, VK_DOWN, 0);
    if (holding.ticks == 2) ::PostMessageW(holding.owner, WM_KEYDOWN, VK_RIGHT, 0);
    if (holding.ticks == 4) {
        std::vector<HWND> menus;
        ::EnumThreadWindows(::GetCurrentThreadId(), AddMenuWindow,
                            reinterpret_cast<LPARAM>(&menus));
        holding.menus = static_cast<int>(menus.size());
        holding.ready = !menus.empty() && SavePicture(menus, holding.readyFile);
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
