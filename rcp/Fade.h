// The fade-out of a song that loops endlessly, applied to the converted file.
#pragma once

#include <cstdint>

#include "rcp/TempoMap.h"
#include "smf/Smf.h"

namespace rcp {

// Lowers every channel's level steadily to silence from `start` to `end` (ticks; `seconds` of real
// time apart through `tempo`), releases every sound at `end`, and restores the levels a moment
// later, where every track then ends. Nothing of the file may lie after `end`. Returns the tick of
// the restoring events.
int64_t ApplyFade(smf::File& file, const TempoMap& tempo, int64_t start, int64_t end,
                  double seconds);

}  // namespace rcp
