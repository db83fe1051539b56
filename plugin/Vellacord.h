// The single plug-in object: owns the host link, the converter bindings, the converted-file
// cache and the settings dialog, and holds the plug-in's menu items in the host.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "converters/rcpcv.h"
#include "converters/smfknife.h"
#include "hostlink/orvo.h"
#include "plugin/SettingsDialog.h"
#include "plugin/StringList.h"

// A reference to one of the plug-in's menu items, kept by the host's id. The host link destroys
// items on its own (Bind, Unbind, a delete notification), so the item is looked up again on
// every use and a destroyed one is never touched.
class TMenuRef {
  public:
    TMenuRef() = default;
    explicit TMenuRef(TORVOMenu* item) : Id_(item ? item->Id : 0) {}
    TORVOMenu* Get(const TORVO* link) const {
        return (Id_ && link) ? link->FindMenu(Id_) : nullptr;
    }
    std::int32_t Id() const { return Id_; }

  private:
    std::int32_t Id_ = 0;
};

class TVellacord {
  public:
    explicit TVellacord(void* Owner);
    ~TVellacord();
    TVellacord(const TVellacord&) = delete;
    TVellacord& operator=(const TVellacord&) = delete;

    // ---- fields, in declaration order ----
    std::unique_ptr<TORVO> Link;
    std::unique_ptr<TSMFKnife> SmfKnife;
    std::unique_ptr<TRCPCV> Rcpcv;
    TMenuRef RootItem;
    TMenuRef PluginMenu;
    TMenuRef SeparatorItem;
    TMenuRef SmfKnifeMenu;
    TMenuRef ConfigFileItem;
    std::unique_ptr<ISettingsDialog> SettingsDialog;
    std::string DefaultConfig;
    std::string WorkDir;
    std::string SourcePath;
    std::string TargetPath;
    std::int32_t FileCounter = 0;
    std::int32_t CacheSize = 0;
    bool FlushPending = false;
    bool ConfigWarned = false;
    // A conversion is under way; a play asked for from inside one of its boxes gets its own file.
    bool Converting = false;
    TStringList SourceList;
    TStringList CacheList;

    // ---- settings ----
    void LoadSettings();
    void SaveSettings();
    void SetDefaultConfig(const std::string& Path);
    std::string GetConfigFor(const std::string& Source);
    std::string SettingsFile() const;
    void ClampCacheSize();
    void ReadWorkDir();

    // ---- play-file conversion and cache ----
    const char* OpenPlayFile(const char* Path);
    // The entry's path in the cache list: valid until the list next changes. Copied by the
    // caller into a text of its own, so that a hit allocates nothing.
    const std::string& LookupCache(const std::string& Source, bool& Hit);
    void FlushCache();

    // ---- the plug-in's menu in the host ----
    void BuildMenu();
    void RemoveMenuItems();
    void DisplayMenu(TORVOMenu* Item);
    void ShowProperties(TORVOMenu* Item);
    void ShowHelp(TORVOMenu* Item);
    void ExitPlugin(TORVOMenu* Item);
    void UseDefaultConfig(TORVOMenu* Item);
    void UseShownConfig(TORVOMenu* Item);
    void ChooseOtherConfig(TORVOMenu* Item);
    std::string SelectedTrackPath();

    // ---- event handlers ----
    void UserNotify(TORVO* Sender, std::uint32_t Event, std::int32_t Param);
    void ConverterProgress(std::int32_t Progress, bool& Stop);

    void RegisterExtensions();
    // The owner of the plug-in's boxes and file dialogs: the host's main window, so that the
    // player is disabled beneath them.
    platform::Handle BoxOwner();

    void* const Owner;

  private:
    // The conversion behind OpenPlayFile.
    const char* Convert(const char* Path);
    // Drops the cache entry at `index` and deletes its file; used when a conversion failed, so
    // that a partly written file is never taken for a hit later.
    void DropEntry(int index);
};
