#include "rcp/Expander.h"

#include <optional>
#include <string>
#include <vector>

namespace rcp {
namespace {

// Real songs nest loops a few levels deep; editors allow 5 to 128.
constexpr size_t kMaxLoopDepth = 64;
constexpr int kMaxSameMeasureHops = 64;

struct Loop {
    size_t bodyStart = 0;
    int passesLeft = -1;  // unknown until the loop end is first reached
    std::optional<size_t> returnPoint;
};

class TrackPlayer {
  public:
    TrackPlayer(const Song& song, const TrackRecord& track, int endlessLoopPasses, Budget& budget)
        : song_(song), track_(track), endlessLoopPasses_(endlessLoopPasses), budget_(budget) {}

    void Play(const PlayedRecord& played) {
        int64_t tick = track_.startOffset;
        size_t position = 0;
        while (position < track_.eventCount) {
            if (budget_.recordVisits == 0)
                throw Error("the song expands past the length limit (a loop that never ends?)");
            --budget_.recordVisits;
            const Record record = song_.At(track_, position);
            switch (record.code) {
                case 0xFE:
                case 0xFF:
                    return;
                case 0xFD:
                    position = EndMeasure(position);
                    break;
                case 0xFC:
                    position = SameMeasure(position, record);
                    break;
                case 0xF9:
                    if (loops_.size() == kMaxLoopDepth)
                        throw Error(Where(position) + "loops nested too deep");
                    loops_.push_back({position + 1, -1, returnPoint_});
                    ++position;
                    break;
                case 0xF8:
                    position = LoopEnd(position, record);
                    break;
                case 0xF7:  // data of the record before it, read there
                    ++position;
                    break;
                default:
                    played(tick, position, record);
                    // Codes from F5 up keep a parameter in the step field, not time. Codes no
                    // editor defines take their step like every other command below F5: one
                    // clock rule for all, as the editor's own bar lengths assume.
                    if (record.code < 0xF5) tick += record.step;
                    if (tick > budget_.lastTick)
                        throw Error(
                            "the song plays past the length limit (a loop that never ends?)");
                    ++position;
            }
        }
    }

  private:
    std::string Where(size_t position) const {
        return "track memo \"" + track_.memo + "\", event " + std::to_string(position) + ": ";
    }

    size_t EndMeasure(size_t position) {
        if (!returnPoint_) return position + 1;
        const size_t back = *returnPoint_;
        returnPoint_.reset();
        return back;
    }

    // The event index a same-measure record points at, or nothing when it points elsewhere.
    std::optional<size_t> Target(const Record& record) const {
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

    size_t SameMeasure(size_t position, const Record& record) {
        // Met while replaying a measure: that replay ends here.
        if (returnPoint_) return EndMeasure(position);
        // The stored offset, not the measure number, is followed: files exist whose numbers are
        // off by one while their offsets are right. Chains of references are followed to the
        // measure they finally name.
        Record at = record;
        size_t target = position;
        for (int hops = 0; at.code == 0xFC; ++hops) {
            if (hops == kMaxSameMeasureHops)
                throw Error(Where(position) + "same-measure references form a cycle");
            const std::optional<size_t> next = Target(at);
            if (!next)
                throw Error(Where(position) + "same-measure reference points outside the track");
            target = *next;
            at = song_.At(track_, target);
        }
        returnPoint_ = position + 1;
        return target;
    }

    size_t LoopEnd(size_t position, const Record& record) {
        if (loops_.empty()) return position + 1;  // no loop start: nothing to repeat
        Loop& loop = loops_.back();
        if (loop.passesLeft < 0) {
            // Count 0 is the editor's "endless"; players repeat it a set number of times.
            const int passes = record.step == 0 ? endlessLoopPasses_ : record.step;
            loop.passesLeft = passes - 1;
        }
        if (loop.passesLeft > 0) {
            --loop.passesLeft;
            returnPoint_ = loop.returnPoint;
            return loop.bodyStart;
        }
        loops_.pop_back();
        return position + 1;
    }

    const Song& song_;
    const TrackRecord& track_;
    const int endlessLoopPasses_;
    Budget& budget_;
    std::vector<Loop> loops_;
    std::optional<size_t> returnPoint_;
};

}  // namespace

void ExpandTrack(const Song& song, const TrackRecord& track, int endlessLoopPasses, Budget& budget,
                 const PlayedRecord& played) {
    TrackPlayer(song, track, endlessLoopPasses, budget).Play(played);
}

}  // namespace rcp
