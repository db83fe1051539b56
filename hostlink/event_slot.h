// Firing an event slot.
#pragma once

#include <utility>

namespace hostlink {

// Calls the handler in `slot` when there is one. The handler runs from a copy, so a handler
// that reassigns or clears its own slot (a one-shot handler) does not destroy itself mid-call.
template <typename Slot, typename... Args>
void Fire(const Slot& slot, Args&&... args) {
    if (!slot) return;
    const Slot handler = slot;
    handler(std::forward<Args>(args)...);
}

}  // namespace hostlink
