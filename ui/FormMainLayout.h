// The settings dialog's fixed layout: its controls, where they stand and what they say. Shared
// by the dialog's logic (which names the controls) and its window-system realization (which
// builds them); texts are code-page-932 bytes.
#pragma once

#include <cstddef>

namespace ui {

// The dialog's visible controls, in the order of the layout table (a parent always before its
// children). The window system's tab order is its creation order, so a realization creates
// them sorted by `tabOrder` within each parent.
enum class FormControl : int {
    LabelTitle,
    LabelVersion,
    LabelCache,
    CheckBoxSMFKnife,
    CheckBoxRCPCV,
    EditCache,
    GroupBoxSMFKnife,
    ButtonSMFKConfig,
    EditSMFKConfig,
    CheckBoxSMFKCh10,
    CheckBoxSMFKBank,
    CheckBoxSMFKMac,
    CheckBoxSMFKCC64,
    BtnOK,
    BtnCancel,
    BtnHelp,
};
constexpr std::size_t kFormControlCount = static_cast<std::size_t>(FormControl::BtnHelp) + 1;

enum class ControlKind { Label, CheckBox, Edit, GroupBox, Button };

// Where a control sits: the form itself, or inside the SMF Knife group box.
enum class ControlParent { Form, GroupBox };

struct ControlLayout {
    FormControl id;
    const char* name;  // the control's name, for diagnostics
    ControlKind kind;
    ControlParent parent;
    int left, top, width, height;  // relative to the parent's client area
    int tabOrder;                  // within the parent; -1: not a tab stop
    const char* caption;           // code page 932; null: none
    const char* tooltip;           // code page 932; null: none
};

extern const ControlLayout kFormMainLayout[kFormControlCount];
const ControlLayout& LayoutOf(FormControl id);

constexpr int kFormClientWidth = 422;
constexpr int kFormClientHeight = 203;
// The caption as laid out; the dialog replaces it with the caption carrying the version.
extern const char kFormLayoutCaption[];

// The form's font, and the title label's own.
extern const char kFormFontFace[];  // "ＭＳ Ｐゴシック", Shift_JIS
constexpr int kFormFontHeight = 12;
extern const char kTitleFontFace[];  // "Century", bold italic, ANSI
constexpr int kTitleFontHeight = 24;

// The one line of small print under the title.
extern const char kVersionNotice[];

}  // namespace ui
