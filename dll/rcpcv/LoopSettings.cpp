#include "dll/rcpcv/LoopSettings.h"

namespace rcpcvdll {
namespace {

constexpr int kMaxPasses = 99;
constexpr int kMaxFadeSeconds = 60;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The whole number the digits spell, or nothing when it passes `limit` (so that a long run of
// digits cannot overflow).
std::optional<int> WholeNumber(std::string_view digits, int limit) {
    int value = 0;
    for (const char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<int> ParseLoopPasses(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    const auto passes = WholeNumber(text, kMaxPasses);
    if (!passes || *passes < 1) return std::nullopt;
    return passes;
}

// Read by hand rather than by the C library, whose decimal point follows the process's locale.
std::optional<double> ParseFadeSeconds(std::string_view text) {
    text = Trim(text);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    const auto seconds = WholeNumber(whole, kMaxFadeSeconds);
    if (!seconds) return std::nullopt;
    double value = *seconds, scale = 1;
    for (const char c : fraction) {
        if (!IsDigit(c)) return std::nullopt;
        scale /= 10;
        value += (c - '0') * scale;
    }
    // Exact for the limit itself: any nonzero digit after "60." is past it.
    if (*seconds == kMaxFadeSeconds && fraction.find_first_not_of('0') != std::string_view::npos)
        return std::nullopt;
    return value;
}

LoopSettings ReadLoopSettings(std::string_view ini, const LoopSettings& defaults) {
    // Editors on Windows may start a UTF-8 file with a byte order mark.
    if (ini.substr(0, 3) == "\xEF\xBB\xBF") ini.remove_prefix(3);
    LoopSettings settings = defaults;
    bool inSection = false, passesSeen = false, fadeSeen = false;
    while (!ini.empty()) {
        const std::size_t end = ini.find('\n');
        std::string_view line = ini.substr(0, end);
        ini.remove_prefix(end == std::string_view::npos ? ini.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        line = Trim(line);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        SameName(Trim(line.substr(1, close - 1)), "rcpcv");
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals)), value = line.substr(equals + 1);
        // The first line of a key counts, as with the system's own profile functions.
        if (SameName(key, "LoopPasses") && !passesSeen) {
            passesSeen = true;
            settings.passes = ParseLoopPasses(value).value_or(defaults.passes);
        } else if (SameName(key, "FadeSeconds") && !fadeSeen) {
            fadeSeen = true;
            settings.fadeSeconds = ParseFadeSeconds(value).value_or(defaults.fadeSeconds);
        }
    }
    return settings;
}

}  // namespace rcpcvdll
