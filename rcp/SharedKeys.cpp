#include "rcp/SharedKeys.h"

#include <algorithm>
#include <tuple>

namespace rcp {
namespace {

struct KeyEvent {
    uint32_t tick;
    int port, channel, key;
    size_t track, index;

    auto Where() const { return std::tie(tick, port, channel, key); }
};

}  // namespace

void HandOverSharedKeys(std::vector<smf::Track>& tracks) {
    std::vector<KeyEvent> ons, offs;
    for (size_t track = 0; track < tracks.size(); ++track) {
        int port = 0;
        const std::vector<smf::Event>& events = tracks[track].events;
        for (size_t index = 0; index < events.size(); ++index) {
            const smf::Event& event = events[index];
            if (event.isMeta() && event.metaType == 0x21 && event.data.size() == 1)
                port = event.data[0];
            if (!event.isChannel() || (event.kind() != 0x80 && event.kind() != 0x90)) continue;
            const bool on = event.kind() == 0x90 && event.data[1] > 0;
            (on ? ons : offs)
                .push_back({event.tick, port, event.channel(), event.data[0], track, index});
        }
    }
    const auto byWhere = [](const KeyEvent& a, const KeyEvent& b) { return a.Where() < b.Where(); };
    std::sort(ons.begin(), ons.end(), byWhere);
    std::stable_sort(offs.begin(), offs.end(), byWhere);

    // For each track: the releases it loses, and those it gains before a strike of its own.
    std::vector<std::vector<bool>> leaving(tracks.size());
    std::vector<std::vector<std::pair<size_t, smf::Event>>> arriving(tracks.size());
    bool moved = false;
    for (const KeyEvent& off : offs) {
        const auto [first, last] = std::equal_range(ons.begin(), ons.end(), off, byWhere);
        // A track that strikes the key again itself keeps its release where it is.
        if (first == last ||
            std::any_of(first, last, [&](const KeyEvent& on) { return on.track == off.track; }))
            continue;
        if (leaving[off.track].empty()) leaving[off.track].resize(tracks[off.track].events.size());
        leaving[off.track][off.index] = true;
        arriving[first->track].push_back({first->index, tracks[off.track].events[off.index]});
        moved = true;
    }
    if (!moved) return;
    for (size_t track = 0; track < tracks.size(); ++track) {
        if (leaving[track].empty() && arriving[track].empty()) continue;
        std::vector<smf::Event>& events = tracks[track].events;
        std::stable_sort(arriving[track].begin(), arriving[track].end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<smf::Event> rebuilt;
        rebuilt.reserve(events.size() + arriving[track].size());
        auto arrival = arriving[track].begin();
        for (size_t index = 0; index < events.size(); ++index) {
            for (; arrival != arriving[track].end() && arrival->first == index; ++arrival)
                rebuilt.push_back(std::move(arrival->second));
            if (leaving[track].empty() || !leaving[track][index])
                rebuilt.push_back(std::move(events[index]));
        }
        events = std::move(rebuilt);
    }
}

}  // namespace rcp
