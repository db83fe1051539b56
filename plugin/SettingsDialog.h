// The seam between the plug-in object and its settings dialog: the plug-in creates the dialog
// through a factory that the dialog's module installs, so the plug-in's logic does not depend on
// the window system.
#pragma once

#include <functional>
#include <memory>

class ISettingsDialog {
  public:
    virtual ~ISettingsDialog() = default;
    // Shows the dialog modeless (returns at once) and brings it to the front.
    virtual void Show() = 0;
    // Whether the dialog is on screen (shown and not closed since).
    virtual bool Visible() const = 0;
};

using SettingsDialogFactory = std::function<std::unique_ptr<ISettingsDialog>(void* Owner)>;

// The factory in use; empty until the dialog's module installs one.
SettingsDialogFactory& SettingsDialogMaker();

// Installs the settings dialog's factory into `SettingsDialogMaker`; defined by the dialog's
// module and called once at the plug-in's start, so that it works the same in a DLL (where
// no static initializer of the dialog's module can be relied upon to be linked in).
void InstallSettingsDialog();
