// Which synthesizer a song written for the MT-32 family is rendered for.
#pragma once

#include <optional>
#include <string_view>

namespace mt32 {

enum class Target { None, GS, GM };

// "none", "gs" or "gm" in any letter case, blanks around allowed; nothing for anything else.
std::optional<Target> ParseTarget(std::string_view text);

// "GS", "GM" or "none", as reports say it.
const char* TargetName(Target target);

}  // namespace mt32
