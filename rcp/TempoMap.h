// Real time of a converted song: ticks to seconds and back through its tempo changes.
#pragma once

#include <cstdint>
#include <vector>

#include "smf/Smf.h"

namespace rcp {

class TempoMap {
  public:
    // `events` in time order; only their tempo events count, a later one at the same tick
    // replacing an earlier one. Before the first, 120 quarter notes a minute.
    TempoMap(const std::vector<smf::Event>& events, int division);

    double Seconds(int64_t tick) const;
    // The first tick after `from` that lies at least `seconds` later.
    int64_t TickAfter(int64_t from, double seconds) const;

  private:
    struct Change {
        int64_t tick = 0;
        double seconds = 0;
        double secondsPerTick = 0;
    };
    std::vector<Change> changes_;  // the first at tick 0
};

}  // namespace rcp
