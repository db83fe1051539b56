#include "dll/rcpcv/LoopSettings.h"

#include "dll/common/FileNames.h"
#include "rcp/LoopValues.h"

namespace rcpcvdll {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (filenames::FoldAscii(a[i]) != filenames::FoldAscii(b[i])) return false;
    return true;
}

}  // namespace

LoopSettings ReadLoopSettings(std::string_view ini, const LoopSettings& defaults) {
    // Editors on Windows may start a UTF-8 file with a byte order mark.
    if (ini.substr(0, 3) == "\xEF\xBB\xBF") ini.remove_prefix(3);
    LoopSettings settings = defaults;
    bool inSection = false, passesSeen = false, fadeSeen = false, targetSeen = false;
    while (!ini.empty()) {
        const std::size_t end = ini.find('\n');
        std::string_view line = ini.substr(0, end);
        ini.remove_prefix(end == std::string_view::npos ? ini.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = rcp::TrimBlanks(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        SameName(rcp::TrimBlanks(line.substr(1, close - 1)), "rcpcv");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        const std::string_view key = rcp::TrimBlanks(line.substr(0, equals)),
                               value = line.substr(equals + 1);
        // The first line of a key counts, as with the system's own profile functions.
        if (SameName(key, "LoopPasses") && !passesSeen) {
            passesSeen = true;
            settings.passes = rcp::ParseLoopPasses(value).value_or(defaults.passes);
        } else if (SameName(key, "FadeSeconds") && !fadeSeen) {
            fadeSeen = true;
            settings.fadeSeconds = rcp::ParseFadeSeconds(value).value_or(defaults.fadeSeconds);
        } else if (SameName(key, "Target") && !targetSeen) {
            targetSeen = true;
            settings.target = mt32::ParseTarget(value).value_or(defaults.target);
        }
    }
    return settings;
}

}  // namespace rcpcvdll
