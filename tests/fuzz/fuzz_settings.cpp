// Fuzzes the settings reader: random contents of the plug-in's settings file (and of the
// player's INI file naming the work directory), then a start, a few plays and a stop of the
// plug-in. The cache size clamps must hold, the stop must leave no cache file behind, and the
// file written at the stop must hold all nine settings as the plug-in last held them.
#include <cstdint>
#include <string>

#include "plugin/Vellacord.h"
#include "plugin/main.h"
#include "tests/fake/FakeConverterLibs.h"
#include "tests/fake/FakePluginHost.h"
#include "tests/fuzz/FuzzWorld.h"

namespace {

using fuzz::Check;

const char kSettings[] = "C:\\ORVO\\Plugins\\Vellacord.ini";
const char kHostIni[] = "C:\\ORVO\\ORVO.ini";

// Quotes and surrounding blanks do not survive an INI round trip; anything else must.
bool SurvivesIni(const std::string& text) {
    return text.find('"') == std::string::npos && text.find_first_of(" \t\r") != 0 &&
           (text.empty() || std::string(" \t\r").find(text.back()) == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    fuzz::World world;
    auto& os = world.os;
    fake::FakePluginHost host(os.calls);
    host.pluginFileName = "C:\\ORVO\\Plugins\\Vellacord.dll";

    const std::uint8_t flags = data.ConsumeIntegral<std::uint8_t>();
    fake::ConverterLibs::Install(os, os.calls);
    if (flags & 1) os.libraries.erase("rcpcv.dll");
    if (flags & 2) os.libraries.erase("smfk32.dll");
    if (flags & 4) os.SetIniText(kHostIni, "[ORVO]\nWorkDir=" + data.ConsumeRandomLengthString(24));
    const int plays = (flags >> 3) & 7;
    os.SetIniText(kSettings, data.ConsumeRemainingBytesAsString());

    Check(pinRun(&host) != 0 && ThePlugin != nullptr, "the plug-in starts");
    TVellacord& plugin = *ThePlugin;
    Check(plugin.CacheSize >= 1, "cache size at least 1");
    if (plugin.Rcpcv->Enabled && plugin.SmfKnife->Enabled)
        Check(plugin.CacheSize >= 2, "cache size at least 2 with both converters");

    for (int i = 0; i < plays; ++i) {
        const std::string song =
            std::string("C:\\Songs\\") + char('a' + i % 3) + (i % 2 ? ".rcp" : ".mid");
        os.AddFile(song);
        Check(pinOpenPlayFile(song.c_str()) != nullptr, "a path for every song");
    }

    const std::int32_t cache = plugin.CacheSize;
    const bool rcpcv = plugin.Rcpcv->Enabled;
    const bool smfKnife = plugin.SmfKnife->Enabled;
    const std::string config = plugin.DefaultConfig;
    const std::int32_t options[4] = {plugin.SmfKnife->Options.Ch10, plugin.SmfKnife->Options.Bank,
                                     plugin.SmfKnife->Options.Mac, plugin.SmfKnife->Options.CC64};
    pinAbort();
    Check(ThePlugin == nullptr, "the plug-in is gone after the stop");

    for (const std::string& file : os.files)
        Check(file.find("VLCRD") == std::string::npos, "no cache file left after the stop");

    const auto read = [&](const char* key) {
        return os.GetProfileString(kSettings, "Vellacord", key, "<missing>");
    };
    Check(read("Version") == "6003", "Version written");
    Check(read("Cache") == std::to_string(cache), "Cache written");
    Check(read("RCPCV") == (rcpcv ? "1" : "0"), "RCPCV written");
    Check(read("SMFKnife") == (smfKnife ? "1" : "0"), "SMFKnife written");
    Check(read("SMFKConfig") != "<missing>", "SMFKConfig written");
    if (SurvivesIni(config)) Check(read("SMFKConfig") == config, "SMFKConfig as held");
    const char* keys[4] = {"SMFKCh10", "SMFKBank", "SMFKMac", "SMFKCC64"};
    for (int i = 0; i < 4; ++i)
        Check(read(keys[i]) == std::to_string(options[i]), "option word written as held");
    world.CheckBalanced();
    return 0;
}
