// The plug-in's own items in the host's menus: the settings item, and a submenu with the choice
// of the SMF Knife configuration for the selected track, properties, help and exit.
#include "platform/Mbcs.h"
#include "plugin/Messages.h"
#include "plugin/Vellacord.h"
#include "plugin/main.h"

namespace {

const std::int32_t kSettingsMenuRoot = 0x4000;
const std::int32_t kPluginMenuRoot = 0x9000;
const char kPerFileSection[] = "SMFKnife";

bool IsConvertible(const std::string& path) {
    const std::string ext = mbcs::LowerCase(mbcs::ExtractFileExt(path));
    for (const char* e : {".rcp", ".r36", ".g36", ".mid", ".rmi"})
        if (ext == e) return true;
    return false;
}

}  // namespace

void TVellacord::BuildMenu() {
    TORVO* link = Link.get();
    using Handler = void (TVellacord::*)(TORVOMenu*);
    // Adds a child with a code-page-932 caption and binds its click handler at once.
    auto add = [this](TORVOMenu* parent, const char* caption, Handler handler) -> TORVOMenu* {
        if (!parent) return nullptr;
        TORVOMenu* item = parent->AddChild(caption, platform::kCodePage932);
        if (item && handler)
            item->OnClick = [this, handler](TORVOMenu* sender) { (this->*handler)(sender); };
        return item;
    };
    TORVOMenu* settingsRoot = link->GetMenu(kSettingsMenuRoot);
    TORVOMenu* pluginRoot = link->GetMenu(kPluginMenuRoot);

    RootItem = TMenuRef(add(settingsRoot, messages::kMenuPlugin, &TVellacord::ShowProperties));
    SeparatorItem = TMenuRef(add(pluginRoot, messages::kMenuSeparator, nullptr));
    TORVOMenu* pluginMenu = add(pluginRoot, messages::kMenuPlugin, nullptr);
    PluginMenu = TMenuRef(pluginMenu);
    TORVOMenu* smfKnifeMenu = add(pluginMenu, messages::kMenuSmfKnife, nullptr);
    SmfKnifeMenu = TMenuRef(smfKnifeMenu);
    add(smfKnifeMenu, messages::kMenuDefault, &TVellacord::UseDefaultConfig);
    ConfigFileItem =
        TMenuRef(add(smfKnifeMenu, messages::kMenuConfigFile, &TVellacord::UseShownConfig));
    add(smfKnifeMenu, messages::kMenuOther, &TVellacord::ChooseOtherConfig);
    add(pluginMenu, messages::kMenuProperties, &TVellacord::ShowProperties);
    add(pluginMenu, messages::kMenuHelp, &TVellacord::ShowHelp);
    add(pluginMenu, messages::kMenuSeparator, nullptr);
    add(pluginMenu, messages::kMenuExit, &TVellacord::ExitPlugin);
}

void TVellacord::RemoveMenuItems() {
    TORVO* link = Link.get();
    if (!link) return;
    // Items that the host link has already destroyed are simply not found any more.
    if (TORVOMenu* item = RootItem.Get(link)) link->GetMenu(kSettingsMenuRoot)->DeleteChild(item);
    if (TORVOMenu* item = PluginMenu.Get(link)) link->GetMenu(kPluginMenuRoot)->DeleteChild(item);
    if (TORVOMenu* item = SeparatorItem.Get(link))
        link->GetMenu(kPluginMenuRoot)->DeleteChild(item);
    RootItem = PluginMenu = SeparatorItem = SmfKnifeMenu = ConfigFileItem = TMenuRef();
}

std::string TVellacord::SelectedTrackPath() {
    const std::int32_t index = Link->PlayList->GetSelectedTrack();
    return Link->GetTrackInfo(index).FileName;
}

void TVellacord::DisplayMenu(TORVOMenu* Item) {
    if (!Item || Item != Link->GetMenu(kPluginMenuRoot)) return;
    const std::string path = SelectedTrackPath();
    std::string config;
    if (!path.empty())
        config = platform::Os().GetProfileString(SettingsFile(), kPerFileSection, path, "");
    if (config.empty()) config = DefaultConfig;
    if (TORVOMenu* item = ConfigFileItem.Get(Link.get())) item->SetCaption(config);
    if (TORVOMenu* item = SmfKnifeMenu.Get(Link.get())) item->SetEnabled(IsConvertible(path));
}

void TVellacord::UseDefaultConfig(TORVOMenu*) {
    const std::string path = SelectedTrackPath();
    if (path.empty()) return;
    platform::Os().WriteProfileString(SettingsFile(), kPerFileSection, path, std::nullopt);
    FlushPending = true;
}

void TVellacord::UseShownConfig(TORVOMenu* Item) {
    const std::string path = SelectedTrackPath();
    if (path.empty() || !Item) return;
    platform::Os().WriteProfileString(SettingsFile(), kPerFileSection, path, Item->GetCaption());
    FlushPending = true;
}

void TVellacord::ChooseOtherConfig(TORVOMenu*) {
    const std::string path = SelectedTrackPath();
    if (path.empty()) return;
    platform::OpenFileRequest request;
    request.owner = Link->GetORVOHandle();
    request.title = messages::kConfigDialogTitle;
    request.filter = messages::kConfigDialogFilter;
    request.textCodePage = platform::kCodePage932;
    request.filterIndex = 1;
    request.initialFile = GetConfigFor(path);
    request.flags =
        platform::kOfnHideReadOnly | platform::kOfnPathMustExist | platform::kOfnFileMustExist;
    const auto chosen = platform::Os().GetOpenFileName(request);
    if (!chosen) return;
    platform::Os().WriteProfileString(SettingsFile(), kPerFileSection, path, *chosen);
    FlushPending = true;
}

void TVellacord::ShowProperties(TORVOMenu*) {
    if (!SettingsDialog) {
        const SettingsDialogFactory& make = SettingsDialogMaker();
        if (!make) return;
        SettingsDialog = make(HostPlugin ? HostPlugin->PluginOwner() : Owner);
    }
    if (SettingsDialog) SettingsDialog->Show();
}

void TVellacord::ShowHelp(TORVOMenu*) {
    platform::Os().ShellExecute(Link->GetORVOHandle(), mbcs::ChangeFileExt(PluginPath, ".chm"),
                                platform::kSwShowNormal);
}

void TVellacord::ExitPlugin(TORVOMenu*) {
    Link->Abort();
}
