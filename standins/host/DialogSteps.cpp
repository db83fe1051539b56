// Script steps that drive the plug-in's settings dialog as a person would: find its window by
// class, read its controls, click buttons by caption and type into edit fields.
#include <windows.h>

#include "standins/host/Files.h"
#include "standins/host/ScriptRunner.h"
#include "standins/host/StepWords.h"
#include "standins/host/Text.h"

namespace host {
namespace {

constexpr wchar_t kDialogClass[] = L"VellacordFormMain";

HWND VisibleDialog() {
    const HWND form = ::FindWindowW(kDialogClass, nullptr);
    return form && ::IsWindowVisible(form) ? form : nullptr;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// Every control of the dialog, the group box's children included, in creation order.
BOOL CALLBACK Collect(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> Controls(HWND form) {
    std::vector<HWND> controls;
    ::EnumChildWindows(form, Collect, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

bool IsCheckBox(HWND control) {
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return ClassOf(control) == L"Button" && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
}

}  // namespace

ScriptRunner::Outcome ScriptRunner::DialogStep(const std::vector<std::string>& words,
                                               const std::string& line) {
    if (words[0] != "dialog" || words.size() < 2) return Outcome::NotMine;
    const std::string& action = words[1];
    long long number = 0;

    if (action == "wait" || action == "show") {
        if (action == "wait") {
            long long timeout = 5000;
            if (words.size() >= 3) Number(words[2], timeout);
            const DWORD start = ::GetTickCount();
            while (!VisibleDialog() && ::GetTickCount() - start < static_cast<DWORD>(timeout))
                Pump(50);
            // The pointer goes to a corner, so no hover tooltip covers the dialog's picture.
            ::SetCursorPos(0, 0);
        }
        const HWND form = VisibleDialog();
        if (!form) {
            transcript_.Line("dialog: none shown");
            return action == "wait" ? Outcome::Failed : Outcome::Done;
        }
        const HWND owner = ::GetWindow(form, GW_OWNER);
        transcript_.Line("dialog: shown \"" + ToUtf8(TextOf(form)) +
                         "\" owner=" + (owner ? ToUtf8(ClassOf(owner)) : std::string("none")));
        for (const HWND control : Controls(form)) {
            const std::string state =
                IsCheckBox(control)
                    ? (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? " [x]" : " [ ]")
                    : "";
            transcript_.Line("dialog:   " + std::to_string(::GetDlgCtrlID(control)) + " " +
                             ToUtf8(ClassOf(control)) + state + " \"" +
                             Escape(ToUtf8(TextOf(control))) + "\"");
        }
    } else if (action == "click" && words.size() >= 3) {
        const HWND form = VisibleDialog();
        const std::wstring caption = FromUtf8(Rest(line, 2));
        for (const HWND control : form ? Controls(form) : std::vector<HWND>()) {
            if (ClassOf(control) != L"Button" || TextOf(control) != caption) continue;
            transcript_.Line("dialog: click \"" + Rest(line, 2) + "\"");
            ::SendMessageW(control, BM_CLICK, 0, 0);
            return Outcome::Done;
        }
        transcript_.Line("dialog: FAIL no button \"" + Rest(line, 2) + "\"");
        return Outcome::Failed;
    } else if (action == "rect" && words.size() == 3) {
        const HWND form = VisibleDialog();
        // The client area: without a window manager no frame is drawn on the screen.
        RECT rect;
        if (!form || !::GetClientRect(form, &rect) ||
            !::MapWindowPoints(form, nullptr, reinterpret_cast<POINT*>(&rect), 2) ||
            !WriteRectFile(ExpandedPath(words[2]), rect)) {
            transcript_.Line("dialog: FAIL no rectangle written");
            return Outcome::Failed;
        }
    } else if (action == "type" && words.size() >= 3 && Number(words[2], number)) {
        const HWND form = VisibleDialog();
        const std::wstring text = FromUtf8(words.size() >= 4 ? Rest(line, 3) : std::string());
        for (const HWND control : form ? Controls(form) : std::vector<HWND>()) {
            if (::GetDlgCtrlID(control) != number || ClassOf(control) != L"Edit") continue;
            ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            transcript_.Line("dialog: typed \"" + ToUtf8(text) + "\" into " + words[2]);
            return Outcome::Done;
        }
        transcript_.Line("dialog: FAIL no edit field " + words[2]);
        return Outcome::Failed;
    } else {
        return Outcome::NotMine;
    }
    return Outcome::Done;
}

}  // namespace host
