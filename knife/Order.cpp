#include <algorithm>

#include "knife/Rules.h"

namespace knife {

PlayingOrder::PlayingOrder(const Song& song, Direction direction, const std::vector<size_t>& starts)
    : song_(song), direction_(direction), index_(song.tracks.size()) {
    heap_.reserve(song.tracks.size());
    for (size_t t = 0; t < song.tracks.size(); ++t) {
        index_[t] =
            direction == Forwards ? (starts.empty() ? 0 : starts[t]) : song.tracks[t].events.size();
        push(t);
    }
}

// Whether `a` is walked after `b`: the heap keeps the cursor walked next on top.
bool PlayingOrder::before(const Cursor& a, const Cursor& b) const {
    if (direction_ == Forwards) return a.tick != b.tick ? a.tick > b.tick : a.track > b.track;
    return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
}

void PlayingOrder::push(size_t track) {
    const std::vector<Event>& events = song_.tracks[track].events;
    const size_t i = index_[track];
    if (direction_ == Forwards ? i >= events.size() : i == 0) return;
    heap_.push_back({events[direction_ == Forwards ? i : i - 1].tick, track});
    std::push_heap(heap_.begin(), heap_.end(),
                   [this](const Cursor& a, const Cursor& b) { return before(a, b); });
}

bool PlayingOrder::next(EventRef* at) {
    if (heap_.empty()) return false;
    std::pop_heap(heap_.begin(), heap_.end(),
                  [this](const Cursor& a, const Cursor& b) { return before(a, b); });
    const size_t track = heap_.back().track;
    heap_.pop_back();
    if (direction_ == Forwards) {
        *at = {track, index_[track]++};
    } else {
        *at = {track, --index_[track]};
    }
    push(track);
    return true;
}

}  // namespace knife
