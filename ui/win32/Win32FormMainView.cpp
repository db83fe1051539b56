// The settings dialog's Win32 window: a fixed top-level window built from the layout table,
// shown modeless on the host's message loop.
//
// Keyboard: the host's loop does not call IsDialogMessage for our window, so Tab, Esc and the
// arrow keys would reach the controls raw. A WH_GETMESSAGE hook on this thread hands every
// keyboard message meant for the dialog to IsDialogMessage before the host's loop dispatches
// it, and turns handled ones into WM_NULL. That gives the system's own dialog navigation
// (including the group box's children through WS_EX_CONTROLPARENT) without re-implementing it
// in subclassed controls, and leaves every other window's messages untouched. The hook lives
// only while a dialog exists. Button handlers never run inside the hook: clicks are posted to
// the form and handled when the host's loop dispatches them, since a handler may open a modal
// box.
#include "ui/win32/Win32FormMainView.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/Platform.h"
#include "ui/FormMainView.h"

#undef GetOpenFileName
#undef ShellExecute

namespace {

using ui::ControlKind;
using ui::ControlLayout;
using ui::ControlParent;
using ui::FormControl;

const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string From932(const char* text) {
    return text ? platform::Os().ToUtf16(text, platform::kCodePage932) : std::u16string();
}

HINSTANCE ThisInstance() {
    return reinterpret_cast<HINSTANCE>(platform::Os().ThisModule());
}

// The live dialogs of this thread, for the keyboard hook.
std::vector<HWND>& LiveForms() {
    static std::vector<HWND> forms;
    return forms;
}
HHOOK keyboardHook = nullptr;

LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
            for (HWND form : LiveForms()) {
                if ((msg->hwnd == form || IsChild(form, msg->hwnd)) &&
                    IsDialogMessageW(form, msg)) {
                    msg->message = WM_NULL;
                    msg->wParam = 0;
                    msg->lParam = 0;
                    break;
                }
            }
        }
    }
    return CallNextHookEx(keyboardHook, code, wParam, lParam);
}

class Win32FormMainView final : public ui::IFormMainView {
  public:
    Win32FormMainView(ui::IFormMainEvents& events, HWND owner);
    ~Win32FormMainView() override;
    Win32FormMainView(const Win32FormMainView&) = delete;
    Win32FormMainView& operator=(const Win32FormMainView&) = delete;

    void SetCaption(const std::string& text) override {
        SetWindowTextW(form_, W(platform::Os().ToUtf16(text, platform::kCodePage932)));
    }
    void SetText(FormControl control, const std::string& text) override {
        auto& os = platform::Os();
        SetWindowTextW(Item(control), W(os.ToUtf16(text, os.AnsiCodePage())));
    }
    std::string GetText(FormControl control) const override {
        HWND item = Item(control);
        std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, u'\0');
        const int n = GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()),
                                     static_cast<int>(text.size()));
        text.resize(static_cast<std::size_t>(std::max(n, 0)));
        auto& os = platform::Os();
        return os.FromUtf16(text, os.AnsiCodePage());
    }
    void SetChecked(FormControl control, bool checked) override {
        SendMessageW(Item(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    bool GetChecked(FormControl control) const override {
        return SendMessageW(Item(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void Show() override;
    void Hide() override { ShowWindow(form_, SW_HIDE); }
    bool Visible() const override { return IsWindowVisible(form_) != FALSE; }
    platform::Handle Window() const override { return reinterpret_cast<platform::Handle>(form_); }

  private:
    static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GroupBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Command(int id);
    void RunHandler(int id);
    static constexpr UINT kRunHandler = WM_APP + 1;
    void CreateControls();
    void CreateTooltips();
    HWND Item(FormControl control) const { return items_[static_cast<std::size_t>(control)]; }

    ui::IFormMainEvents& events_;
    HWND form_ = nullptr;
    HWND tooltip_ = nullptr;
    HFONT font_ = nullptr;
    HFONT titleFont_ = nullptr;
    HWND lastFocus_ = nullptr;
    WNDPROC groupBoxDefault_ = nullptr;
    std::array<HWND, ui::kFormControlCount> items_{};
};

int liveViews = 0;

Win32FormMainView::Win32FormMainView(ui::IFormMainEvents& events, HWND owner) : events_(events) {
    const HINSTANCE instance = ThisInstance();
    if (liveViews++ == 0) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &FormProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = ui::win32::kFormClassName;
        RegisterClassExW(&wc);
        keyboardHook =
            SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, GetCurrentThreadId());
    }

    // Single fixed border, system menu and minimize only; the client area is what is laid out.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_CONTROLPARENT;
    RECT frame{0, 0, ui::kFormClientWidth, ui::kFormClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    // Owned by the player's window: in front of it, and no task-bar button of its own.
    form_ = CreateWindowExW(exStyle, ui::win32::kFormClassName, W(From932(ui::kFormLayoutCaption)),
                            style, x, y, width, height, owner, nullptr, instance, this);
    // The frame may come out other than asked for (themes, a window manager): fix the client.
    RECT client;
    GetClientRect(form_, &client);
    if (client.right != ui::kFormClientWidth || client.bottom != ui::kFormClientHeight) {
        const int w = width + ui::kFormClientWidth - client.right;
        const int h = height + ui::kFormClientHeight - client.bottom;
        SetWindowPos(form_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    font_ = CreateFontW(-ui::kFormFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, W(From932(ui::kFormFontFace)));
    titleFont_ = CreateFontW(-ui::kTitleFontHeight, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE,
                             ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, W(From932(ui::kTitleFontFace)));
    SendMessageW(form_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    CreateControls();
    CreateTooltips();
    LiveForms().push_back(form_);
}

Win32FormMainView::~Win32FormMainView() {
    auto& forms = LiveForms();
    forms.erase(std::remove(forms.begin(), forms.end(), form_), forms.end());
    DestroyWindow(form_);  // takes the controls and the tooltip window along
    DeleteObject(font_);
    DeleteObject(titleFont_);
    if (--liveViews == 0) {
        if (keyboardHook) UnhookWindowsHookEx(keyboardHook);
        keyboardHook = nullptr;
        // A DLL's classes outlive it unless unregistered; the next load registers anew.
        UnregisterClassW(ui::win32::kFormClassName, ThisInstance());
    }
}

void Win32FormMainView::CreateControls() {
    // The window system's tab order is the creation order within each parent. The title is
    // created last so that the version line, which overlaps it, stays on top of it.
    std::vector<const ControlLayout*> order;
    for (const ControlLayout& c : ui::kFormMainLayout) order.push_back(&c);
    auto rank = [](const ControlLayout* c) {
        const int parent = c->parent == ControlParent::Form ? 0 : 1;
        const int within = c->id == FormControl::LabelTitle ? 1000
                           : c->tabOrder < 0                ? 500
                                                            : c->tabOrder;
        return parent * 10000 + within;
    };
    std::stable_sort(
        order.begin(), order.end(),
        [&](const ControlLayout* a, const ControlLayout* b) { return rank(a) < rank(b); });

    const HINSTANCE instance = ThisInstance();
    for (const ControlLayout* c : order) {
        const wchar_t* cls = L"Static";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (c->kind) {
            case ControlKind::Label:
                style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
                break;
            case ControlKind::CheckBox:
                cls = L"Button";
                style |= BS_AUTOCHECKBOX | WS_TABSTOP;
                break;
            case ControlKind::Edit:
                cls = L"Edit";
                style |= ES_AUTOHSCROLL | WS_TABSTOP;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case ControlKind::GroupBox:
                cls = L"Button";
                style |= BS_GROUPBOX;
                exStyle = WS_EX_CONTROLPARENT;  // Tab walks into its children
                break;
            case ControlKind::Button:
                cls = L"Button";
                style |= BS_PUSHBUTTON | WS_TABSTOP;  // never the default button
                break;
        }
        const HWND parent =
            c->parent == ControlParent::Form ? form_ : Item(FormControl::GroupBoxSMFKnife);
        int width = c->width;
        if (c->id == FormControl::LabelTitle) {  // docked across the top of the client area
            RECT client;
            GetClientRect(form_, &client);
            width = client.right;
        }
        const HWND item = CreateWindowExW(
            exStyle, cls, W(From932(c->caption)), style, c->left, c->top, width, c->height, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ui::win32::ControlId(c->id))), instance,
            nullptr);
        items_[static_cast<std::size_t>(c->id)] = item;
        SendMessageW(
            item, WM_SETFONT,
            reinterpret_cast<WPARAM>(c->id == FormControl::LabelTitle ? titleFont_ : font_), FALSE);
        if (c->kind == ControlKind::GroupBox) {
            // Its children's notifications and colour requests go to it: pass them on.
            SetWindowLongPtrW(item, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            groupBoxDefault_ = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(item, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GroupBoxProc)));
        }
    }
}

void Win32FormMainView::CreateTooltips() {
    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, form_, nullptr, ThisInstance(), nullptr);
    for (const ControlLayout& c : ui::kFormMainLayout) {
        if (!c.tooltip) continue;
        std::u16string text = From932(c.tooltip);
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the control
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = form_;
        info.uId = reinterpret_cast<UINT_PTR>(Item(c.id));
        info.lpszText = reinterpret_cast<wchar_t*>(text.data());
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void Win32FormMainView::Show() {
    ShowWindow(form_, IsIconic(form_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(form_);
    BringWindowToTop(form_);
    if (!lastFocus_ || !IsChild(form_, lastFocus_))
        lastFocus_ = GetNextDlgTabItem(form_, nullptr, FALSE);
    if (GetForegroundWindow() == form_ && lastFocus_) SetFocus(lastFocus_);
}

void Win32FormMainView::Command(int id) {
    using ui::win32::ControlId;
    if (id == IDOK) {
        // Enter outside a push button: nothing, the dialog has no default button. On a push
        // button Enter presses that button.
        const HWND focus = GetFocus();
        if (!focus || !IsChild(form_, focus) ||
            !(SendMessageW(focus, WM_GETDLGCODE, 0, 0) &
              (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)))
            return;
        id = GetDlgCtrlID(focus);
    }
    if (id == IDCANCEL) id = ControlId(FormControl::BtnCancel);  // the Esc key
    // Keys reach us inside the keyboard hook, that is inside the host's GetMessage; the handlers
    // may open modal boxes, so they run from a message of their own that the host's loop
    // dispatches.
    PostMessageW(form_, kRunHandler, static_cast<WPARAM>(id), 0);
}

void Win32FormMainView::RunHandler(int id) {
    using ui::win32::ControlId;
    if (id == ControlId(FormControl::BtnOK))
        events_.BtnOKClick();
    else if (id == ControlId(FormControl::BtnCancel))
        events_.BtnCancelClick();
    else if (id == ControlId(FormControl::ButtonSMFKConfig))
        events_.ButtonSMFKConfigClick();
    else if (id == ControlId(FormControl::BtnHelp))
        events_.BtnHelpClick();
}

LRESULT Win32FormMainView::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) Command(LOWORD(wParam));
            return 0;
        case kRunHandler:
            RunHandler(static_cast<int>(wParam));
            return 0;
        case WM_CLOSE:  // close box, system menu, Alt+F4: the logic hides, never destroys here
            events_.CloseRequest();
            return 0;
        case WM_ACTIVATE:
            // What a dialog does: keep the focused control across deactivation.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus && IsChild(form_, focus)) lastFocus_ = focus;
            } else if (lastFocus_ && IsChild(form_, lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        default:
            break;
    }
    return DefWindowProcW(form_, msg, wParam, lParam);
}

LRESULT CALLBACK Win32FormMainView::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Win32FormMainView*>(
            reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->form_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32FormMainView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || msg == WM_NCDESTROY) {
        if (self) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->Handle(msg, wParam, lParam);
}

LRESULT CALLBACK Win32FormMainView::GroupBoxProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                 LPARAM lParam) {
    auto* self = reinterpret_cast<Win32FormMainView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            return SendMessageW(self->form_, msg, wParam, lParam);
        case WM_ERASEBKGND: {  // the form does not paint under its child windows
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        default:
            return CallWindowProcW(self->groupBoxDefault_, hwnd, msg, wParam, lParam);
    }
}

}  // namespace

std::unique_ptr<ui::IFormMainView> ui::MakeFormMainView(ui::IFormMainEvents& events,
                                                        platform::Handle owner) {
    return std::make_unique<Win32FormMainView>(events, reinterpret_cast<HWND>(owner));
}
