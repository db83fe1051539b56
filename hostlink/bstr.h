// OwnedBstr: one automation string on our side of the player's interfaces.
//
// A text handed to the player is allocated for the call and freed after it; a text the player
// hands back through an out argument becomes ours and is freed here as well. Holding each in an
// OwnedBstr frees it on every path, including a checked read that raises.
#pragma once

#include <string>
#include <utility>

#include "platform/Abi.h"
#include "platform/Platform.h"

namespace hostlink {

class OwnedBstr {
  public:
    OwnedBstr() = default;
    // A copy of `text` to hand to the player.
    explicit OwnedBstr(const std::u16string& text) : text_(platform::Os().SysAllocString(text)) {}
    ~OwnedBstr() { Free(); }
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;

    // The string as an in argument; stays ours.
    platform::Bstr In() const { return text_; }
    // A place for an out argument; what was held is freed first. The place starts empty, so a
    // player that leaves it untouched hands back nothing to free.
    platform::Bstr* Out() {
        Free();
        return &text_;
    }
    // The characters up to the first terminator; empty when nothing is held.
    std::u16string Text() const { return text_ ? std::u16string(text_) : std::u16string(); }

  private:
    void Free() {
        if (text_) platform::Os().SysFreeString(std::exchange(text_, nullptr));
    }

    platform::Bstr text_ = nullptr;
};

}  // namespace hostlink
