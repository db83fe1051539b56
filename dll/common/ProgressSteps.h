// The percentages both libraries pass on to their caller: clamped to 0..100, each value once and
// never one lower than the last, so that a counter display only moves forward.
#pragma once

#include <optional>

namespace dllfront {

class ProgressSteps {
  public:
    // The value to report for `percent`, or nothing when it would not move the counter forward.
    std::optional<int> Next(int percent) {
        percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
        if (percent <= last_) return std::nullopt;
        last_ = percent;
        return percent;
    }

  private:
    int last_ = -1;
};

}  // namespace dllfront
