#include "plugin/Vellacord.h"

#include "platform/Mbcs.h"
#include "plugin/PluginLink.h"
#include "plugin/main.h"

TVellacord::TVellacord(void* Owner) : Owner(Owner) {
    Link = std::make_unique<TPluginLink>(Owner);
    Link->Bind();
    Link->OnUser = [this](TORVO* sender, std::uint32_t event, std::int32_t param) {
        UserNotify(sender, event, param);
    };
    Link->OnDisplayMenu = [this](TORVOMenu* item) { DisplayMenu(item); };
    // The host link destroys every menu item when it unbinds; after the host comes back the
    // plug-in's menu is built anew.
    Link->OnBind = [this](TORVO*) { BuildMenu(); };

    SmfKnife = std::make_unique<TSMFKnife>(Link->GetORVOHandle());
    Rcpcv = std::make_unique<TRCPCV>();
    SmfKnife->OnProgress = [this](TSMFKnife*, std::int32_t progress, bool& stop) {
        ConverterProgress(progress, stop);
    };
    Rcpcv->OnProgress = [this](TRCPCV*, std::int32_t progress, bool& stop) {
        ConverterProgress(progress, stop);
    };
    SmfKnife->BoxOwner = Rcpcv->BoxOwner = [this] { return BoxOwner(); };

    FileCounter = 0;
    SourceList.Clear();
    CacheList.Clear();
    RegisterExtensions();
    LoadSettings();
    ClampCacheSize();
    BuildMenu();
    ReadWorkDir();
}

TVellacord::~TVellacord() {
    SaveSettings();
    SettingsDialog.reset();
    RemoveMenuItems();
    Link.reset();
    SmfKnife.reset();
    Rcpcv.reset();
    FlushCache();
}

void TVellacord::UserNotify(TORVO*, std::uint32_t Event, std::int32_t) {
    // The dialog posts code 2 when it closes. Shown again before the notice arrived, it stays:
    // the user is looking at it, and its next close posts another notice.
    if (Event == 2 && SettingsDialog && !SettingsDialog->Visible()) SettingsDialog.reset();
}

platform::Handle TVellacord::BoxOwner() {
    return Link ? Link->GetORVOHandle() : 0;
}

void TVellacord::ConverterProgress(std::int32_t Progress, bool&) {
    if (Link) Link->SetCounter(Progress);
}

void TVellacord::RegisterExtensions() {
    auto& os = platform::Os();
    const std::string file = "WIN.INI";
    const std::string section = "mci extensions";
    std::string device = os.GetProfileString(file, section, "rcp", "");
    if (device.empty()) {
        device = "Sequencer";
        os.WriteProfileString(file, section, "rcp", device);
    }
    for (const char* key : {"r36", "g36"})
        if (os.GetProfileString(file, section, key, "").empty())
            os.WriteProfileString(file, section, key, device);
}
