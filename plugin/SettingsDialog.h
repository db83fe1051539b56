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
};

using SettingsDialogFactory = std::function<std::unique_ptr<ISettingsDialog>(void* Owner)>;

// The factory in use; empty until the dialog's module installs one.
SettingsDialogFactory& SettingsDialogMaker();
