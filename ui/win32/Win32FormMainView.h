// The settings dialog as a Win32 window: the control identifiers that its children carry, so
// that tests can find each control with GetDlgItem on the control's parent (the form, or the
// group box for the controls inside it).
#pragma once

#include "ui/FormMainLayout.h"

namespace ui::win32 {

constexpr int kFirstControlId = 100;
constexpr int ControlId(FormControl control) {
    return kFirstControlId + static_cast<int>(control);
}

// The window class of the form.
constexpr wchar_t kFormClassName[] = L"VellacordFormMain";

}  // namespace ui::win32
