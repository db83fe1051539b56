// The plug-in's host link. Every notification the host sends reaches the plug-in's handlers
// through this window procedure, so it runs as a handler: an end of the plug-in asked for while
// it runs (from inside a box one of them shows) waits until it has returned.
#pragma once

#include "hostlink/orvo.h"
#include "plugin/HandlerScope.h"

class TPluginLink final : public TORVO {
  public:
    using TORVO::TORVO;

    std::intptr_t WndProc(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) override {
        HandlerScope scope;  // may free this object as it ends: nothing follows it here
        return TORVO::WndProc(Msg, WParam, LParam);
    }
};
