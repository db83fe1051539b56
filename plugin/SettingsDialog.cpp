#include "plugin/SettingsDialog.h"

SettingsDialogFactory& SettingsDialogMaker() {
    static SettingsDialogFactory factory;
    return factory;
}
