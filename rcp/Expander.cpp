#include "rcp/Expander.h"

#include <string>

namespace rcp {
namespace {

// Real songs nest loops a few levels deep; editors allow 5 to 128.
constexpr size_t kMaxLoopDepth = 64;

bool EndlessCount(int count) {
    // 0 is the editor's "endless"; 255, its largest count, is used by songs the same way.
    return count == 0 || count == 255;
}

}  // namespace

std::string LimitReached(const std::string& what, int endlessLoopPasses) {
    return "the song passes " + what + " at " + std::to_string(endlessLoopPasses) +
           (endlessLoopPasses == 1 ? " pass" : " passes") + " of an endless loop";
}

TrackExpander::TrackExpander(const Song& song, const TrackRecord& track, int endlessLoopPasses,
                             EndlessLoops endless, Budget& budget)
    : song_(song),
      track_(track),
      endlessLoopPasses_(endlessLoopPasses),
      endless_(endless),
      budget_(budget),
      tick_(track.startOffset) {}

void TrackExpander::Play(int64_t stopTick, bool pauseAfterPasses, const PlayedRecord& played) {
    while (!ended_ && tick_ < stopTick) {
        if (position_ >= track_.eventCount) {
            ended_ = true;
            return;
        }
        if (budget_.recordVisits == budget_.recordVisitLimit) throw Error(WorkLimit());
        ++budget_.recordVisits;
        const Record record = song_.At(track_, position_);
        switch (record.code) {
            case 0xFE:
            case 0xFF:
                ended_ = true;
                return;
            case 0xFD:
                position_ = EndMeasure(position_);
                break;
            case 0xFC:
                position_ = SameMeasure(position_, record);
                break;
            case 0xF9:
                if (loops_.size() == kMaxLoopDepth)
                    throw Error(Where(position_) + "loops nested too deep");
                loops_.push_back({position_ + 1, std::nullopt, returnPoint_, false, tick_,
                                  budget_.recordVisits, budget_.events});
                ++position_;
                break;
            case 0xF8:
                position_ = LoopEnd(position_, record);
                if (pause_ && pauseAfterPasses) {
                    pause_ = false;
                    return;
                }
                break;
            case 0xF7:  // data of the record before it, read there
                ++position_;
                break;
            default:
                played(tick_, position_, record);
                // Codes from F5 up keep a parameter in the step field, not time. Codes no
                // editor defines take their step like every other command below F5: one
                // clock rule for all, as the editor's own bar lengths assume.
                if (record.code < 0xF5) tick_ += record.step;
                if (tick_ > budget_.lastTick) throw Error(TimeLimit());
                ++position_;
        }
    }
}

std::string TrackExpander::WorkLimit() const {
    return LimitReached(
        "the limit of " + std::to_string(budget_.recordVisitLimit) + " steps through its loops",
        budget_.passes);
}

std::string TrackExpander::TimeLimit() const {
    return LimitReached(
        "tick " + std::to_string(budget_.lastTick) + ", the longest a MIDI file holds,",
        budget_.passes);
}

std::string TrackExpander::Where(size_t position) const {
    return "track memo \"" + track_.memo + "\", event " + std::to_string(position) + ": ";
}

size_t TrackExpander::EndMeasure(size_t position) {
    if (!returnPoint_) return position + 1;
    const size_t back = *returnPoint_;
    returnPoint_.reset();
    return back;
}

// The event index a same-measure record points at, or nothing when it points elsewhere.
std::optional<size_t> TrackExpander::Target(const Record& record) const {
    size_t index = 0;
    if (song_.header.sixByteEvents) {
        if (record.p1 < 0x30) return std::nullopt;  // 0x30 stands for the first event
        index = record.p1 - 0x30u;
    } else {
        const size_t offset = size_t(record.p1 & 0xFC) + 256u * record.p2;
        if (offset < song_.header.trackHeaderSize) return std::nullopt;
        index = (offset - song_.header.trackHeaderSize) / song_.header.eventSize;
    }
    if (index >= track_.eventCount) return std::nullopt;
    return index;
}

size_t TrackExpander::SameMeasure(size_t position, const Record& record) {
    // Met while replaying a measure: that replay ends here.
    if (returnPoint_) return EndMeasure(position);
    // The stored offset, not the measure number, is followed: files exist whose numbers are
    // off by one while their offsets are right. Chains of references are followed to the
    // measure they finally name, however long, as long as none comes back to a reference
    // already passed; each step counts against the song's work.
    // An error ends the whole conversion, so the marks need clearing only on success.
    inChain_.resize(track_.eventCount);
    std::vector<size_t> passed{position};
    inChain_[position] = true;
    Record at = record;
    size_t target = position;
    while (at.code == 0xFC) {
        const std::optional<size_t> next = Target(at);
        if (!next) throw Error(Where(position) + "same-measure reference points outside the track");
        if (inChain_[*next]) throw Error(Where(position) + "same-measure references form a cycle");
        if (budget_.recordVisits == budget_.recordVisitLimit) throw Error(WorkLimit());
        ++budget_.recordVisits;
        target = *next;
        inChain_[target] = true;
        passed.push_back(target);
        at = song_.At(track_, target);
    }
    for (const size_t seen : passed) inChain_[seen] = false;
    returnPoint_ = position + 1;
    return target;
}

size_t TrackExpander::LoopEnd(size_t position, const Record& record) {
    if (loops_.empty()) return position + 1;  // no loop start: nothing to repeat
    Loop& loop = loops_.back();
    if (!loop.passesLeft) {
        loop.endless = EndlessCount(record.step);
        loop.passesLeft = (loop.endless ? endlessLoopPasses_ : record.step) - 1;
        loop.firstPassVisits = budget_.recordVisits - loop.visitsAtStart;
        loop.firstPassEvents = budget_.events - loop.eventsAtStart;
    }
    const auto again = [&] {
        returnPoint_ = loop.returnPoint;
        loop.passStart = tick_;
        return loop.bodyStart;
    };
    if (*loop.passesLeft > 0) {
        --*loop.passesLeft;
        if (loop.endless) {
            budget_.recordVisitLimit += loop.firstPassVisits;
            budget_.eventLimit += 2 * loop.firstPassEvents;
        }
        return again();
    }
    // A loop whose pass takes no time sounds no different for repeating: it ends like any other.
    if (loop.endless && tick_ > loop.passStart) {
        if (endless_ == EndlessLoops::Leave) {
            passes_ = Passes{loop.passStart, tick_};
        } else {
            if (*loop.passesLeft == 0) {
                passes_ = Passes{loop.passStart, tick_};
                pause_ = true;
                loop.passesLeft = -1;  // its passes are done; it plays on from here
            }
            return again();
        }
    }
    loops_.pop_back();
    return position + 1;
}

}  // namespace rcp
