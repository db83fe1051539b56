#include "rcp/TempoMap.h"

#include <algorithm>
#include <cmath>

namespace rcp {

TempoMap::TempoMap(const std::vector<smf::Event>& events, int division) {
    const double perMicro = 1e-6 / division;
    changes_.push_back({0, 0, 500'000 * perMicro});
    for (const smf::Event& event : events) {
        if (!event.isMeta() || event.metaType != 0x51 || event.data.size() != 3) continue;
        const double secondsPerTick =
            double(event.data[0] << 16 | event.data[1] << 8 | event.data[2]) * perMicro;
        const Change& last = changes_.back();
        if (event.tick == last.tick) {
            changes_.back().secondsPerTick = secondsPerTick;
        } else {
            const double seconds =
                last.seconds + double(event.tick - last.tick) * last.secondsPerTick;
            changes_.push_back({event.tick, seconds, secondsPerTick});
        }
    }
}

double TempoMap::Seconds(int64_t tick) const {
    const auto after = std::upper_bound(changes_.begin(), changes_.end(), tick,
                                        [](int64_t t, const Change& c) { return t < c.tick; });
    const Change& change = after == changes_.begin() ? changes_.front() : *(after - 1);
    return change.seconds + double(tick - change.tick) * change.secondsPerTick;
}

int64_t TempoMap::TickAfter(int64_t from, double seconds) const {
    const double target = Seconds(from) + seconds;
    const auto after = std::upper_bound(changes_.begin(), changes_.end(), target,
                                        [](double s, const Change& c) { return s < c.seconds; });
    const Change& change = after == changes_.begin() ? changes_.front() : *(after - 1);
    // A little below the exact quotient, so that rounding never skips the tick it falls on.
    const double ticks = std::ceil((target - change.seconds) / change.secondsPerTick - 1e-6);
    return std::max(from + 1, change.tick + int64_t(std::min(ticks, 1e15)));
}

}  // namespace rcp
