#include <algorithm>

#include "knife/Rules.h"

namespace knife {

std::vector<EventRef> PlayingOrder(const smf::File& file) {
    std::vector<EventRef> order;
    for (size_t t = 0; t < file.tracks.size(); ++t) {
        for (size_t i = 0; i < file.tracks[t].events.size(); ++i) order.push_back({t, i});
    }
    // Ticks never decrease within a track, so a stable sort by tick keeps track and position
    // order for equal ticks.
    std::stable_sort(order.begin(), order.end(), [&](const EventRef& a, const EventRef& b) {
        return file.tracks[a.track].events[a.index].tick <
               file.tracks[b.track].events[b.index].tick;
    });
    return order;
}

void RemoveDoomed(smf::File& file, const std::vector<std::vector<bool>>& doomed) {
    for (size_t t = 0; t < file.tracks.size(); ++t) {
        std::vector<smf::Event>& events = file.tracks[t].events;
        size_t kept = 0;
        for (size_t i = 0; i < events.size(); ++i) {
            if (doomed[t][i]) continue;
            if (kept != i) events[kept] = std::move(events[i]);
            ++kept;
        }
        events.resize(kept);
    }
}

}  // namespace knife
