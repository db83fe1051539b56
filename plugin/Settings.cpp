// The plug-in's settings: its own INI file beside the library, and the cache folder from the
// host's INI file.
#include <string>

#include "platform/Mbcs.h"
#include "plugin/Decimal.h"
#include "plugin/Vellacord.h"
#include "plugin/main.h"

namespace {

const char kSection[] = "Vellacord";
const char kPerFileSection[] = "SMFKnife";

// A decimal integer as the profile functions' callers read it; anything else gives `def`.
std::int32_t ReadInt(const std::string& file, const std::string& key, std::int32_t def) {
    return ParseDecimal(platform::Os().GetProfileString(file, kSection, key, "")).value_or(def);
}

void WriteInt(const std::string& file, const std::string& key, std::int32_t value) {
    platform::Os().WriteProfileString(file, kSection, key, std::to_string(value));
}

}  // namespace

std::string TVellacord::SettingsFile() const {
    return mbcs::ChangeFileExt(PluginPath, ".ini");
}

void TVellacord::LoadSettings() {
    const std::string file = SettingsFile();
    CacheSize = ReadInt(file, "Cache", 2);
    Rcpcv->SetEnabled(ReadInt(file, "RCPCV", 0) != 0);
    SmfKnife->SetEnabled(ReadInt(file, "SMFKnife", 0) != 0);
    SetDefaultConfig(platform::Os().GetProfileString(file, kSection, "SMFKConfig", ""));
    SmfKnife->Options.Ch10 = ReadInt(file, "SMFKCh10", -1);
    SmfKnife->Options.Bank = ReadInt(file, "SMFKBank", -1);
    SmfKnife->Options.Mac = ReadInt(file, "SMFKMac", -1);
    SmfKnife->Options.CC64 = ReadInt(file, "SMFKCC64", -1);
}

void TVellacord::ClampCacheSize() {
    if (CacheSize < 1) CacheSize = 1;
    // A song converted by both converters occupies two entries.
    if (SmfKnife->Enabled && Rcpcv->Enabled && CacheSize < 2) CacheSize = 2;
}

void TVellacord::SaveSettings() {
    const std::string file = SettingsFile();
    WriteInt(file, "Version", kPluginVersion);
    WriteInt(file, "Cache", CacheSize);
    WriteInt(file, "RCPCV", Rcpcv->Enabled ? 1 : 0);
    WriteInt(file, "SMFKnife", SmfKnife->Enabled ? 1 : 0);
    platform::Os().WriteProfileString(file, kSection, "SMFKConfig", DefaultConfig);
    WriteInt(file, "SMFKCh10", SmfKnife->Options.Ch10);
    WriteInt(file, "SMFKBank", SmfKnife->Options.Bank);
    WriteInt(file, "SMFKMac", SmfKnife->Options.Mac);
    WriteInt(file, "SMFKCC64", SmfKnife->Options.CC64);
}

void TVellacord::SetDefaultConfig(const std::string& Path) {
    DefaultConfig = Path;
    ConfigWarned = false;
    FlushPending = true;
}

std::string TVellacord::GetConfigFor(const std::string& Source) {
    const std::string own =
        platform::Os().GetProfileString(SettingsFile(), kPerFileSection, Source, "");
    return own.empty() ? DefaultConfig : own;
}

void TVellacord::ReadWorkDir() {
    WorkDir = mbcs::ExtractFileDir(PluginPath);
    if (Link->ExePath.empty()) return;  // no host INI file to read
    const std::string hostIni = mbcs::ChangeFileExt(Link->ExePath, ".ini");
    // An empty value reads as a missing one: it would put the cache files into the root of
    // whatever drive is current.
    const std::string own = platform::Os().GetProfileString(hostIni, "ORVO", "WorkDir", "");
    if (!own.empty()) WorkDir = own;
}
