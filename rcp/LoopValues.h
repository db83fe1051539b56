// The values a user may give for how an endless loop plays, read the same way wherever they are
// typed: on the command line and in the converter library's settings file.
#pragma once

#include <optional>
#include <string_view>

namespace rcp {

constexpr int kMaxLoopPasses = 99;
constexpr int kMaxFadeSeconds = 60;

// Blanks and tabs removed from both ends.
std::string_view TrimBlanks(std::string_view text);

// One value as typed, blanks around it allowed; nothing when it is not a whole number from 1 to
// kMaxLoopPasses / a plain decimal number (digits and at most one '.') from 0 to kMaxFadeSeconds.
std::optional<int> ParseLoopPasses(std::string_view text);
std::optional<double> ParseFadeSeconds(std::string_view text);

}  // namespace rcp
