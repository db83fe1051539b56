#include "rcp/SharedKeys.h"

#include <algorithm>
#include <cstdint>

namespace rcp {
namespace {

struct KeyEvent {
    uint64_t where;  // tick, port, channel and key in one number, in that order of weight
    size_t track, index;
};

// Calls `note` with the place of every note start and end of the track.
template <typename Note>
void ForEachNote(const smf::Track& track, Note note) {
    int port = 0;
    for (size_t index = 0; index < track.events.size(); ++index) {
        const smf::Event& event = track.events[index];
        if (event.isMeta() && event.metaType == 0x21 && event.data.size() == 1)
            port = event.data[0];
        if (event.kind() != 0x80 && event.kind() != 0x90) continue;
        note(index, port & 3, event.channel(), event.kind() == 0x90 && event.data[1] > 0);
    }
}

}  // namespace

void HandOverSharedKeys(std::vector<smf::Track>& tracks) {
    // Most songs give each channel to one track: nothing to look for then.
    uint64_t seen = 0, shared = 0;
    for (const smf::Track& track : tracks) {
        uint64_t channels = 0;
        ForEachNote(track, [&](size_t, int port, int channel, bool) {
            channels |= uint64_t(1) << (port * 16 + channel);
        });
        shared |= seen & channels;
        seen |= channels;
    }
    if (shared == 0) return;
    std::vector<KeyEvent> ons, offs;
    for (size_t track = 0; track < tracks.size(); ++track) {
        const std::vector<smf::Event>& events = tracks[track].events;
        ForEachNote(tracks[track], [&](size_t index, int port, int channel, bool on) {
            if ((shared >> (port * 16 + channel) & 1) == 0) return;
            const uint64_t where = uint64_t(events[index].tick) << 32 | uint64_t(port) << 16 |
                                   uint64_t(channel) << 8 | events[index].data[0];
            (on ? ons : offs).push_back({where, track, index});
        });
    }
    // Only strikes where something is released matter, and only releases there: there are few.
    const auto byWhere = [](const KeyEvent& a, const KeyEvent& b) { return a.where < b.where; };
    std::sort(offs.begin(), offs.end(), byWhere);
    ons.erase(std::remove_if(ons.begin(), ons.end(),
                             [&](const KeyEvent& on) {
                                 return !std::binary_search(offs.begin(), offs.end(), on, byWhere);
                             }),
              ons.end());
    if (ons.empty()) return;
    std::sort(ons.begin(), ons.end(), byWhere);
    offs.erase(std::remove_if(offs.begin(), offs.end(),
                              [&](const KeyEvent& off) {
                                  return !std::binary_search(ons.begin(), ons.end(), off, byWhere);
                              }),
               offs.end());

    // For each track: the releases it loses, and those it gains before a strike of its own.
    std::vector<std::vector<bool>> leaving(tracks.size());
    std::vector<std::vector<std::pair<size_t, smf::Event>>> arriving(tracks.size());
    bool moved = false;
    auto strikes = ons.begin();
    for (const KeyEvent& off : offs) {
        while (strikes != ons.end() && strikes->where < off.where) ++strikes;
        auto last = strikes;
        while (last != ons.end() && last->where == off.where) ++last;
        // A track that strikes the key again itself keeps its release where it is.
        if (strikes == last ||
            std::any_of(strikes, last, [&](const KeyEvent& on) { return on.track == off.track; }))
            continue;
        if (leaving[off.track].empty()) leaving[off.track].resize(tracks[off.track].events.size());
        leaving[off.track][off.index] = true;
        arriving[strikes->track].push_back({strikes->index, tracks[off.track].events[off.index]});
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
