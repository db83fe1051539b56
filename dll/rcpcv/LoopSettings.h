// How rcpcv.dll plays a song's endless loop, as the user may set it in "rcpcv.ini" beside the
// library:
//     [rcpcv]
//     LoopPasses=2      ; 1 to 99 passes before the fade
//     FadeSeconds=10    ; 0 to 60 seconds, decimals with '.', 0 ends at the last pass
//     Target=none       ; none, gs or gm: songs written for the MT-32 rendered for that synth
// Portable: the library reads the file, this code only sees its bytes. A setting that is
// missing, unreadable or out of range keeps its default: a mistyped file never stops a song
// from converting.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mt32/Target.h"

namespace rcpcvdll {

struct LoopSettings {
    int passes;
    double fadeSeconds;
    mt32::Target target = mt32::Target::None;
};

// The settings the bytes of "rcpcv.ini" give over `defaults` (nothing: no file).
LoopSettings ReadLoopSettings(std::string_view ini, const LoopSettings& defaults);

}  // namespace rcpcvdll
