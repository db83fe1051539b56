#include "standins/host/BoxAnswerer.h"

#include <string>

#include "standins/host/Text.h"

namespace host {
namespace {

// One answerer per thread: the hook procedure has no context argument.
thread_local BoxAnswerer* current = nullptr;

// The static control that holds a message box's text, on every system.
constexpr int kBoxTextId = 0xFFFF;
const wchar_t kAnsweredProp[] = L"OrvoStandinAnswered";

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
    const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    if (ClassName(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HICON*>(found) =
            reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        return FALSE;
    }
    return TRUE;
}

// The system icon a box shows, by comparing with the shared system icons it loads.
const char* IconName(HWND box) {
    HICON icon = nullptr;
    ::EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
    if (!icon) return "none";
    if (icon == ::LoadIconW(nullptr, IDI_EXCLAMATION)) return "warning";
    if (icon == ::LoadIconW(nullptr, IDI_HAND)) return "error";
    if (icon == ::LoadIconW(nullptr, IDI_ASTERISK)) return "information";
    if (icon == ::LoadIconW(nullptr, IDI_QUESTION)) return "question";
    return "other";
}

}  // namespace

BoxAnswerer::BoxAnswerer(Transcript& transcript) : transcript_(transcript) {
    current = this;
    hook_ = ::SetWindowsHookExW(WH_CBT, CbtProc, nullptr, ::GetCurrentThreadId());
    if (!hook_) transcript_.Line("host: FAIL cannot hook message boxes");
}

BoxAnswerer::~BoxAnswerer() {
    if (hook_) ::UnhookWindowsHookEx(hook_);
    current = nullptr;
}

LRESULT CALLBACK BoxAnswerer::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current) current->Answer(reinterpret_cast<HWND>(wParam));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void BoxAnswerer::Answer(HWND box) {
    if (ClassName(box) != L"#32770") return;
    const HWND textControl = ::GetDlgItem(box, kBoxTextId);
    if (!textControl || ::GetPropW(box, kAnsweredProp)) return;  // not a message box, or done
    ::SetPropW(box, kAnsweredProp, reinterpret_cast<HANDLE>(1));

    const std::wstring text = WindowText(textControl);
    transcript_.Line("box: icon=" + std::string(IconName(box)) + " caption=\"" +
                     Escape(ToUtf8(WindowText(box))) + "\" text=\"" + Escape(ToUtf8(text)) + "\"");
    transcript_.Line("box-utf16: " + Utf16Hex(text));
    const HWND owner = ::GetWindow(box, GW_OWNER);
    transcript_.Line("box: owner=" + (owner ? ToUtf8(ClassName(owner)) : std::string("none")));
    if (inside_) {
        const std::function<void()> action = std::move(inside_);
        inside_ = nullptr;
        action();
    }

    int button = answer_;
    if (!::GetDlgItem(box, button)) button = LOWORD(::SendMessageW(box, DM_GETDEFID, 0, 0));
    transcript_.Line("box: answered " + std::to_string(button));
    // Posted, so the box's own modal loop picks it up once it runs.
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
}

}  // namespace host
