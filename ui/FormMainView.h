// The settings dialog's window, seen from its logic: texts and ticks of the controls, showing
// and hiding. The logic never touches the window system; each binary links exactly one
// realization of `MakeFormMainView` (the Win32 window in the DLL, a fake in the unit tests).
#pragma once

#include <memory>
#include <string>

#include "platform/Abi.h"
#include "ui/FormMainLayout.h"

namespace ui {

// What the window reports back to the logic. Every handler runs from the message loop; none may
// destroy the window it came from.
class IFormMainEvents {
  public:
    virtual ~IFormMainEvents() = default;
    virtual void BtnOKClick() = 0;
    virtual void BtnCancelClick() = 0;  // also the Esc key
    virtual void ButtonSMFKConfigClick() = 0;
    virtual void BtnHelpClick() = 0;
    // The user closes the window (close box, system menu, Alt+F4). The window stays alive;
    // the logic decides to hide it.
    virtual void CloseRequest() = 0;
};

class IFormMainView {
  public:
    virtual ~IFormMainView() = default;
    // The title bar's text, code page 932.
    virtual void SetCaption(const std::string& text) = 0;
    // Edit texts: bytes in the process's ANSI code page, as paths and numbers are everywhere
    // else in the plug-in.
    virtual void SetText(FormControl control, const std::string& text) = 0;
    virtual std::string GetText(FormControl control) const = 0;
    virtual void SetChecked(FormControl control, bool checked) = 0;
    virtual bool GetChecked(FormControl control) const = 0;
    // Shows the window without waiting for it and brings it to the front.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    // The window, as parent of the boxes and dialogs the logic opens.
    virtual platform::Handle Window() const = 0;
};

// Builds the dialog's window, hidden, with the layout's controls and captions, owned by the
// window `owner` (0: none): it stays in front of its owner and has no task-bar button.
std::unique_ptr<IFormMainView> MakeFormMainView(IFormMainEvents& events, platform::Handle owner);

}  // namespace ui
