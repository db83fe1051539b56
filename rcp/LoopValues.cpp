#include "rcp/LoopValues.h"

namespace rcp {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
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

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> ParseLoopPasses(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return std::nullopt;
    const auto passes = WholeNumber(text, kMaxLoopPasses);
    if (!passes || *passes < 1) return std::nullopt;
    return passes;
}

// Read by hand rather than by the C library, whose decimal point follows the process's locale.
std::optional<double> ParseFadeSeconds(std::string_view text) {
    text = TrimBlanks(text);
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

}  // namespace rcp
