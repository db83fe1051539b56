// Song tracks that share a channel: a key one of them releases where another strikes it again.
#pragma once

#include <vector>

#include "smf/Smf.h"

namespace rcp {

// Where a note ends on one track at the tick another track strikes the same key on the same
// channel and port, the ending is moved into the striking track, just before the strike. Players
// merge tracks in their own order at equal ticks; were the release left on its own track, some
// would strike the key first and release it at once, so that the new note never sounds. Inside
// one track the order is kept as written.
void HandOverSharedKeys(std::vector<smf::Track>& tracks);

}  // namespace rcp
