// What both converter bindings share: the progress event, the lookup of a library function
// under its plain or underscore name, and the error box for an unusable library.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Abi.h"

namespace converters {

// Progress notification to the binding's owner. `Stop` is false on entry; the handler sets it
// to ask the library to stop.
template <class TSender>
using ProgressEvent = std::function<void(TSender* Sender, std::int32_t Progress, bool& Stop)>;

// The address of `name` in `module`, or, failing that, of "_" + `name`; null when neither exists.
void* FindEntry(platform::Handle module, const std::string& name);

// The window that owns a binding's boxes (the host's main window), asked when a box is shown;
// none, or 0, for a box without owner.
using BoxOwnerFn = std::function<platform::Handle()>;

// The error box for a library that is present but unusable: error icon, single OK, no beep.
void ShowUnusable(const BoxOwnerFn& owner, const char* text);

// Asks `handler` about `progress`: 0 when it set `Stop`, else 1 (also when there is no handler).
template <class Sender>
std::int32_t AskToGoOn(const ProgressEvent<Sender>& handler, Sender* sender,
                       std::int32_t progress) {
    if (!handler) return 1;
    bool stop = false;
    handler(sender, progress, stop);
    return stop ? 0 : 1;
}

// Function addresses come from the loader untyped.
template <class Fn>
Fn AsFunction(void* address) {
    return reinterpret_cast<Fn>(address);
}

}  // namespace converters
