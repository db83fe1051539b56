#include "mt32/Target.h"

#include <cctype>
#include <string>

#include "rcp/LoopValues.h"

namespace mt32 {

std::optional<Target> ParseTarget(std::string_view text) {
    std::string word;
    for (const char c : rcp::TrimBlanks(text))
        word += char(std::tolower(static_cast<unsigned char>(c)));
    if (word == "none") return Target::None;
    if (word == "gs") return Target::GS;
    if (word == "gm") return Target::GM;
    return std::nullopt;
}

const char* TargetName(Target target) {
    switch (target) {
        case Target::GS:
            return "GS";
        case Target::GM:
            return "GM";
        case Target::None:
            break;
    }
    return "none";
}

}  // namespace mt32
