// The settings dialog's window under Wine: builds the Win32 view with a recording presenter
// (no host needed), checks every control through the Win32 API against the expected layout,
// drives the buttons and the keyboard through a plain message loop like the host's, and keeps
// the window up for a screenshot. Prints one "ok"/"FAIL" line per check and a summary.
//
// Usage: dialog_test.exe [ready-file shot-file]  (hold the window until shot-file exists)
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ui/FormMainView.h"
#include "ui/win32/Win32FormMainView.h"

using ui::FormControl;

namespace {

int passed = 0, failed = 0;

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    (ok ? passed : failed)++;
}

std::string Narrow(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring TextOf(HWND h) {
    std::wstring t(GetWindowTextLengthW(h) + 1, L'\0');
    t.resize(GetWindowTextW(h, t.data(), static_cast<int>(t.size())));
    return t;
}

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

struct Presenter : ui::IFormMainEvents {
    std::vector<std::string> events;
    ui::IFormMainView* view = nullptr;
    void BtnOKClick() override { events.push_back("BtnOKClick"); }
    void BtnCancelClick() override { events.push_back("BtnCancelClick"); }
    void ButtonSMFKConfigClick() override { events.push_back("ButtonSMFKConfigClick"); }
    void BtnHelpClick() override { events.push_back("BtnHelpClick"); }
    void CloseRequest() override {
        events.push_back("CloseRequest");
        view->Hide();
    }
    std::string Take() {
        std::string all;
        for (const auto& e : events) all += (all.empty() ? "" : ",") + e;
        events.clear();
        return all;
    }
};

// The host's loop: no IsDialogMessage, just translate and dispatch.
void Pump(DWORD ms = 50) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

void Key(HWND target, UINT vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    Pump();
}

struct Expected {
    FormControl id;
    bool inGroup;
    const wchar_t* cls;
    int left, top, width, height;
    const wchar_t* text;
};

// Independent of the layout table on purpose: a wrong entry there must fail here.
const Expected kExpected[] = {
    {FormControl::LabelTitle, false, L"Static", 0, 0, 422, 28, L"  Vellacord"},
    {FormControl::LabelVersion, false, L"Static", 235, 15, 180, 12, L"(C) Vellacord developers"},
    {FormControl::CheckBoxSMFKnife, false, L"Button", 15, 35, 97, 20, L"SMFナイフ"},
    {FormControl::CheckBoxRCPCV, false, L"Button", 125, 35, 86, 20, L"RCPCV"},
    {FormControl::LabelCache, false, L"Static", 235, 38, 105, 12, L"キャッシュファイル数"},
    {FormControl::EditCache, false, L"Edit", 350, 34, 61, 20, L""},
    {FormControl::GroupBoxSMFKnife, false, L"Button", 5, 60, 411, 96, L"SMFナイフ"},
    {FormControl::ButtonSMFKConfig, true, L"Button", 10, 20, 111, 20, L"コンフィグファイル..."},
    {FormControl::EditSMFKConfig, true, L"Edit", 125, 20, 266, 20, L""},
    {FormControl::CheckBoxSMFKCh10, true, L"Button", 10, 45, 191, 17,
     L"リズムパートをCh.10に統合する"},
    {FormControl::CheckBoxSMFKBank, true, L"Button", 205, 45, 191, 17,
     L"バンクセレクト例外処理をする"},
    {FormControl::CheckBoxSMFKMac, true, L"Button", 10, 70, 191, 17, L"MAC BINARY を カットする"},
    {FormControl::CheckBoxSMFKCC64, true, L"Button", 205, 70, 201, 17,
     L"CC#64をノートイベントで置換する"},
    {FormControl::BtnOK, false, L"Button", 85, 170, 75, 25, L"OK"},
    {FormControl::BtnCancel, false, L"Button", 175, 170, 75, 25, L"キャンセル"},
    {FormControl::BtnHelp, false, L"Button", 265, 170, 75, 25, L"ヘルプ"},
};

const char* Name(FormControl c) {
    return ui::LayoutOf(c).name;
}

// Children of `parent` in window order (the tab order), as control ids.
std::vector<int> ChildOrder(HWND parent, bool tabStopsOnly) {
    std::vector<int> ids;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (!tabStopsOnly || (GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) ||
            (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT))
            ids.push_back(GetDlgCtrlID(h));
    return ids;
}

LOGFONTW FontOf(HWND h) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

struct TooltipSearch {
    HWND form, found;
};

BOOL CALLBACK FindTooltipProc(HWND h, LPARAM p) {
    auto* s = reinterpret_cast<TooltipSearch*>(p);
    if (GetWindow(h, GW_OWNER) == s->form && ClassOf(h) == TOOLTIPS_CLASSW) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND FindTooltip(HWND form) {
    TooltipSearch s{form, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindTooltipProc, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool FileThere(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
    using ui::win32::ControlId;
    Presenter presenter;
    std::unique_ptr<ui::IFormMainView> view = ui::MakeFormMainView(presenter, 0);
    presenter.view = view.get();
    const HWND form = reinterpret_cast<HWND>(view->Window());
    Check(IsWindow(form) && !IsWindowVisible(form), "the window is built hidden");
    view->SetCaption("Vellacord  Ver.6.003");
    view->Show();
    Pump(300);

    // ---- the form ----
    RECT client;
    GetClientRect(form, &client);
    Check(client.right == 422 && client.bottom == 203, "client area 422x203 (is " +
                                                           std::to_string(client.right) + "x" +
                                                           std::to_string(client.bottom) + ")");
    const LONG style = GetWindowLongW(form, GWL_STYLE);
    Check((style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) && (style & WS_CAPTION),
          "system menu, minimize box and caption");
    Check(!(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME), "not resizable, no maximize");
    Check(GetParent(form) == nullptr && !(style & WS_CHILD), "top-level window");
    RECT wr;
    GetWindowRect(form, &wr);
    const int dx = (wr.left + wr.right) - GetSystemMetrics(SM_CXSCREEN);
    const int dy = (wr.top + wr.bottom) - GetSystemMetrics(SM_CYSCREEN);
    Check(dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2, "centred on the screen");
    Check(GetClassLongPtrW(form, GCLP_HBRBACKGROUND) == COLOR_BTNFACE + 1,
          "button-face background");
    Check(TextOf(form) == L"Vellacord  Ver.6.003", "caption " + Narrow(TextOf(form)));
    Check(IsWindowVisible(form), "Show shows it");

    // ---- every control ----
    const HWND group = GetDlgItem(form, ControlId(FormControl::GroupBoxSMFKnife));
    for (const Expected& e : kExpected) {
        const std::string name = Name(e.id);
        const HWND parent = e.inGroup ? group : form;
        const HWND h = GetDlgItem(parent, ControlId(e.id));
        Check(h != nullptr, name + " exists in its parent");
        if (!h) continue;
        Check(_wcsicmp(ClassOf(h).c_str(), e.cls) == 0, name + " class " + Narrow(ClassOf(h)));
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        Check(r.left == e.left && r.top == e.top && r.right - r.left == e.width &&
                  r.bottom - r.top == e.height,
              name + " at " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                  std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
        Check(TextOf(h) == e.text, name + " text \"" + Narrow(TextOf(h)) + "\"");
        const LONG s = GetWindowLongW(h, GWL_STYLE);
        if (ui::LayoutOf(e.id).kind == ui::ControlKind::CheckBox)
            Check((s & BS_TYPEMASK) == BS_AUTOCHECKBOX, name + " is a check box");
        if (ui::LayoutOf(e.id).kind == ui::ControlKind::Button)
            Check((s & BS_TYPEMASK) == BS_PUSHBUTTON, name + " is a plain (not default) button");
        const LOGFONTW lf = FontOf(h);
        if (e.id == FormControl::LabelTitle)
            Check(std::wstring(lf.lfFaceName) == L"Century" && lf.lfHeight == -24 &&
                      lf.lfWeight == FW_BOLD && lf.lfItalic && lf.lfCharSet == ANSI_CHARSET,
                  name + " font Century 24 bold italic");
        else
            Check(std::wstring(lf.lfFaceName) == L"ＭＳ Ｐゴシック" && lf.lfHeight == -12 &&
                      lf.lfCharSet == SHIFTJIS_CHARSET,
                  name + " font MS P Gothic 12 Shift_JIS (" + Narrow(lf.lfFaceName) + ")");
    }

    // ---- tab order per parent ----
    Check(ChildOrder(form, true) ==
              std::vector<int>{
                  ControlId(FormControl::BtnOK), ControlId(FormControl::BtnCancel),
                  ControlId(FormControl::BtnHelp), ControlId(FormControl::CheckBoxSMFKnife),
                  ControlId(FormControl::CheckBoxRCPCV), ControlId(FormControl::EditCache),
                  ControlId(FormControl::GroupBoxSMFKnife)},
          "tab order on the form");
    Check(ChildOrder(group, true) == std::vector<int>{ControlId(FormControl::ButtonSMFKConfig),
                                                      ControlId(FormControl::EditSMFKConfig),
                                                      ControlId(FormControl::CheckBoxSMFKCh10),
                                                      ControlId(FormControl::CheckBoxSMFKBank),
                                                      ControlId(FormControl::CheckBoxSMFKMac),
                                                      ControlId(FormControl::CheckBoxSMFKCC64)},
          "tab order in the group box");

    // ---- tooltips ----
    const HWND tip = FindTooltip(form);
    Check(tip != nullptr, "a tooltip window");
    if (tip) {
        Check(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 2, "two tools");
        std::vector<HWND> tools;
        for (int i = 0; i < 2; ++i) {
            wchar_t text[80] = {};
            TTTOOLINFOW info{};
            info.cbSize = TTTOOLINFOW_V2_SIZE;
            info.lpszText = text;
            SendMessageW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info));
            tools.push_back(reinterpret_cast<HWND>(info.uId));
            Check(std::wstring(text) == L"デフォルトコンフィグファイル",
                  "tooltip " + std::to_string(i) + " \"" + Narrow(text) + "\"");
        }
        Check(
            tools == std::vector<HWND>{GetDlgItem(group, ControlId(FormControl::ButtonSMFKConfig)),
                                       GetDlgItem(group, ControlId(FormControl::EditSMFKConfig))},
            "tooltips on the configuration button and field");
    }

    // ---- the view's texts and ticks ----
    view->SetText(FormControl::EditCache, "12");
    view->SetText(FormControl::EditSMFKConfig, "C:\\cfg\\gs.cfg");
    Check(view->GetText(FormControl::EditCache) == "12" &&
              view->GetText(FormControl::EditSMFKConfig) == "C:\\cfg\\gs.cfg",
          "edit texts round-trip");
    view->SetChecked(FormControl::CheckBoxSMFKMac, true);
    view->SetChecked(FormControl::CheckBoxSMFKCh10, false);
    Check(view->GetChecked(FormControl::CheckBoxSMFKMac) &&
              !view->GetChecked(FormControl::CheckBoxSMFKCh10),
          "ticks round-trip");

    // ---- buttons ----
    const struct {
        FormControl id;
        bool inGroup;
        const char* event;
    } clicks[] = {{FormControl::BtnOK, false, "BtnOKClick"},
                  {FormControl::BtnCancel, false, "BtnCancelClick"},
                  {FormControl::BtnHelp, false, "BtnHelpClick"},
                  {FormControl::ButtonSMFKConfig, true, "ButtonSMFKConfigClick"}};
    for (const auto& c : clicks) {
        SendMessageW(GetDlgItem(c.inGroup ? group : form, ControlId(c.id)), BM_CLICK, 0, 0);
        Pump();
        const std::string got = presenter.Take();
        Check(got == c.event, std::string("clicking ") + Name(c.id) + " runs " + got);
    }

    // ---- keyboard through a loop without IsDialogMessage ----
    SetForegroundWindow(form);
    SetFocus(GetDlgItem(form, ControlId(FormControl::BtnOK)));
    Key(GetFocus(), VK_TAB);
    Check(GetFocus() == GetDlgItem(form, ControlId(FormControl::BtnCancel)),
          "Tab moves from OK to Cancel");
    SetFocus(GetDlgItem(form, ControlId(FormControl::EditCache)));
    Key(GetFocus(), VK_TAB);
    Check(GetFocus() == GetDlgItem(group, ControlId(FormControl::ButtonSMFKConfig)),
          "Tab walks from EditCache into the group box");
    presenter.Take();
    Key(GetFocus(), VK_RETURN);
    Check(presenter.Take() == "ButtonSMFKConfigClick", "Enter presses the focused button");
    SetFocus(GetDlgItem(form, ControlId(FormControl::EditCache)));
    Key(GetFocus(), VK_RETURN);
    Check(presenter.Take().empty(), "Enter in a field presses nothing (no default button)");
    Key(GetFocus(), VK_ESCAPE);
    Check(presenter.Take() == "BtnCancelClick", "Esc presses Cancel");

    // ---- closing by the close box hides through the presenter, never destroys ----
    SendMessageW(form, WM_CLOSE, 0, 0);
    Pump();
    Check(presenter.Take() == "CloseRequest" && IsWindow(form) && !IsWindowVisible(form),
          "WM_CLOSE asks the presenter and the window survives");

    // ---- screenshot ----
    if (argc >= 3) {
        view->SetCaption("Vellacord  Ver.6.003");
        view->SetText(FormControl::EditCache, "2");
        view->SetText(FormControl::EditSMFKConfig, "C:\\cfg\\gs.cfg");
        view->SetChecked(FormControl::CheckBoxSMFKnife, true);
        view->SetChecked(FormControl::CheckBoxSMFKMac, true);
        view->Show();
        Pump(500);
        if (HANDLE f = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            f != INVALID_HANDLE_VALUE)
            CloseHandle(f);
        const DWORD end = GetTickCount() + 20000;
        while (!FileThere(argv[2]) && GetTickCount() < end) Pump(100);
    }

    view.reset();
    Check(!IsWindow(form), "destroying the view destroys the window");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
