#include "rcp/TrackConverter.h"

#include <algorithm>
#include <array>
#include <optional>

#include "rcp/Commands.h"

namespace rcp {
namespace {

constexpr int kOff = -1;

// 0x00-0x0F port A, 0x10-0x1F port B; anything else is OFF.
int ChannelOf(int stored) {
    return stored >= 0 && stored < 0x20 ? stored : kOff;
}

uint8_t Data(int value) {
    return uint8_t(value & 0x7F);
}

}  // namespace

class TrackConverter {
  public:
    TrackConverter(const Song& song, const TrackRecord& track, int64_t shift,
                   ConversionState& state)
        : song_(song), track_(track), shift_(shift), state_(state) {
        channel_ = ChannelOf(track.channel);
        if ((track.keyShift & 0x80) == 0) {
            const int shiftBits = track.keyShift & 0x7F;
            transpose_ = (shiftBits >= 0x40 ? shiftBits - 0x80 : shiftBits) + song.header.playBias;
        }
    }

    void Play(const Record& record, int64_t tick, size_t index) {
        tick += shift_;
        if (record.code < 0x80) return Note(record, tick);
        switch (record.code) {
            // A track whose channel is OFF often carries the song's setup exclusives: they are
            // sent, all but those that need the channel.
            case 0x90:
            case 0x91:
            case 0x92:
            case 0x93:
            case 0x94:
            case 0x95:
            case 0x96:
            case 0x97:
                return SendSysEx(tick, FillTemplate(song_.header.userExclusives[record.code - 0x90],
                                                    record.p1, record.p2, MidiChannel()));
            case 0x98:
                return SendSysEx(
                    tick, FillTemplate(Continuation(index), record.p1, record.p2, MidiChannel()));
            case 0xE1:
            case 0xE2:
                Channel(tick, 0xB0, record.code == 0xE1 ? 32 : 0, record.p2);
                return Channel(tick, 0xC0, record.p1);
            case 0xE6:
                // 1-16 port A, 17-32 port B, 0 (or anything else) OFF.
                channel_ = record.p1 >= 1 && record.p1 <= 32 ? record.p1 - 1 : kOff;
                return;
            case 0xE7:
                // A gliding change becomes up to 16 tempo events.
                Reserve(record.p2 > 0 ? 16 : 1);
                state_.songWide.push_back({tick, 0xE7, record.p1, record.p2});
                return;
            case 0xF5:
                Reserve(1);
                state_.songWide.push_back({tick, 0xF5, record.step, 0});
                return;
            case 0xEA:
                return Channel(tick, 0xD0, record.p1);
            case 0xEB:
                return Channel(tick, 0xB0, record.p1, record.p2);
            case 0xEC:
                return Channel(tick, 0xC0, record.p1);
            case 0xED:
                return Channel(tick, 0xA0, record.p1, record.p2);
            case 0xEE:
                return Channel(tick, 0xE0, record.p1, record.p2);
            case 0xF6:
                return Comment(tick, index);
            default:
                if (record.code >= 0xC0 && record.code <= 0xDF)
                    SendSysEx(tick,
                              Shortcut(record.code, record.p1, record.p2, MidiChannel(), devices_));
                // Everything else (external commands, key scans, codes no editor defines) has
                // nothing to send.
                return;
        }
    }

    // Nothing starts at or after `end`; what still sounds then is released there.
    void CutAt(int64_t end) {
        const uint32_t last = Clamped(end);
        size_t kept = events_.size();
        while (kept > 0 && events_[kept - 1].event.tick >= last) --kept;
        events_.resize(kept);
        offs_.erase(std::remove_if(offs_.begin(), offs_.end(),
                                   [&](const Tagged& off) { return off.onIndex >= kept; }),
                    offs_.end());
        for (Tagged& off : offs_) off.event.tick = std::min(off.event.tick, last);
        for (std::optional<Sounding>& note : sounding_) {
            if (note && note->onIndex >= kept) note.reset();
            if (note) note->off = std::min(note->off, end);
        }
    }

    smf::Track Finish(int64_t clock) {
        for (int key = 0; key < 128; ++key)
            if (sounding_[key]) NoteOff(key);
        smf::Track track;
        if (events_.empty() && offs_.empty()) return track;
        if (!track_.memo.empty())
            track.events.push_back({0, 0xFF, 0x03, {track_.memo.begin(), track_.memo.end()}});
        // Everything but the note ends comes in time order already; the ends are sorted and
        // merged in. At one tick a note ends before the next one starts, so that a re-struck
        // key sounds, but never before its own start (a note moved to the song's start by a
        // negative start offset may end there too). Events for port B are marked with the port
        // meta event, as players that know two ports expect; tracks that stay on port A carry
        // none. The marks are placed while merging so that a note struck on one port also ends
        // there.
        std::stable_sort(offs_.begin(), offs_.end(), [](const Tagged& a, const Tagged& b) {
            return a.event.tick != b.event.tick ? a.event.tick < b.event.tick
                                                : a.onIndex < b.onIndex;
        });
        track.events.reserve(track.events.size() + events_.size() + offs_.size());
        int port = 0;
        const auto take = [&](Tagged& tagged) {
            if (tagged.port != port) {
                port = tagged.port;
                track.events.push_back({tagged.event.tick, 0xFF, 0x21, {uint8_t(port)}});
            }
            track.events.push_back(std::move(tagged.event));
        };
        size_t next = 0, nextOff = 0;
        while (next < events_.size() || nextOff < offs_.size()) {
            const bool offFirst =
                nextOff < offs_.size() &&
                (next == events_.size() || offs_[nextOff].event.tick < events_[next].event.tick ||
                 (offs_[nextOff].event.tick == events_[next].event.tick &&
                  offs_[nextOff].onIndex < next));
            if (offFirst)
                take(offs_[nextOff++]);
            else
                take(events_[next++]);
        }
        track.endTick = std::max(track.events.back().tick, Clamped(clock));
        return track;
    }

  private:
    int MidiChannel() const { return channel_ == kOff ? kOff : channel_ & 0x0F; }

    static uint32_t Clamped(int64_t tick) { return uint32_t(std::max<int64_t>(0, tick)); }

    void Reserve(size_t events) {
        Budget& budget = state_.budget;
        if (budget.eventLimit - budget.events < events)
            throw Error(LimitReached(
                "the limit of " + std::to_string(budget.eventLimit) + " events of output",
                budget.passes));
        budget.events += events;
    }

    // `port` -1: the port the track is on now (or was last on, while its channel is OFF).
    // `onIndex`: for a note end, where its note's start is in `events_`.
    void Add(smf::Event event, int port = -1, size_t onIndex = 0) {
        Reserve(1);
        if (channel_ != kOff) port_ = channel_ >> 4;
        (event.kind() == 0x80 ? offs_ : events_)
            .push_back({std::move(event), port < 0 ? port_ : port, onIndex});
    }

    void Channel(int64_t tick, uint8_t kind, int first, std::optional<int> second = std::nullopt) {
        if (channel_ == kOff) return;
        smf::Event event{Clamped(tick), uint8_t(kind | MidiChannel()), 0, {Data(first)}};
        if (second) event.data.push_back(Data(*second));
        Add(std::move(event));
    }

    void SendSysEx(int64_t tick, std::optional<SysEx> message) {
        if (!message) return;
        Add({Clamped(tick), 0xF0, 0, std::move(*message)});
    }

    std::vector<uint8_t> Continuation(size_t index) const {
        std::vector<uint8_t> bytes;
        for (size_t next = index + 1;
             next < track_.eventCount && track_.events[next * song_.header.eventSize] == 0xF7;
             ++next)
            song_.AppendContinuation(track_, next, bytes);
        return bytes;
    }

    void Comment(int64_t tick, size_t index) {
        std::vector<uint8_t> text;
        song_.AppendContinuation(track_, index, text);
        const std::vector<uint8_t> more = Continuation(index);
        text.insert(text.end(), more.begin(), more.end());
        while (!text.empty() && (text.back() == ' ' || text.back() == 0xF7)) text.pop_back();
        if (!text.empty()) Add({Clamped(tick), 0xFF, 0x01, std::move(text)});
    }

    void Note(const Record& record, int64_t tick) {
        const int gate = record.p1;
        const int velocity = record.p2;
        if (gate == 0 || velocity == 0 || channel_ == kOff) return;  // a rest, or nowhere to go
        const int key = record.code + transpose_;
        // Wrapping a shifted key into range would sound in a wrong octave; leave it out.
        if (key < 0 || key > 127) return;
        std::optional<Sounding>& sounding = sounding_[key];
        if (sounding && sounding->off > tick) {
            // The key still sounds: a tie. It is held on instead of struck again.
            sounding->off = tick + gate;
            return;
        }
        if (sounding) NoteOff(key);
        // A note before the song's start (a negative start offset) starts with the song and
        // keeps its own end.
        Add({Clamped(tick),
             uint8_t(0x90 | MidiChannel()),
             0,
             {uint8_t(key), uint8_t(std::min(velocity, 127))}});
        sounding = Sounding{tick + gate, events_.size() - 1, uint8_t(MidiChannel()),
                            uint8_t(channel_ >> 4)};
    }

    void NoteOff(int key) {
        const Sounding& note = *sounding_[key];
        Add({Clamped(note.off), uint8_t(0x80 | note.channel), 0, {uint8_t(key), 0}}, note.port,
            note.onIndex);
        sounding_[key].reset();
    }

    const Song& song_;
    const TrackRecord& track_;
    const int64_t shift_;
    ConversionState& state_;
    int channel_ = kOff;
    int port_ = 0;
    int transpose_ = 0;
    DeviceState devices_;
    // A key struck on this track that has not been released yet.
    struct Sounding {
        int64_t off = 0;     // where it ends, before the start has been clamped
        size_t onIndex = 0;  // its start in `events_`
        uint8_t channel = 0;
        uint8_t port = 0;
    };
    std::array<std::optional<Sounding>, 128> sounding_;
    struct Tagged {
        smf::Event event;
        int port;
        size_t onIndex;
    };
    std::vector<Tagged> events_;  // in time order
    std::vector<Tagged> offs_;    // note ends, in the order the notes were struck again or ended
};

TrackConversion::TrackConversion(const Song& song, const TrackRecord& track, int endlessLoopPasses,
                                 EndlessLoops endless, int64_t shift, ConversionState& state)
    : expander_(
          std::make_unique<TrackExpander>(song, track, endlessLoopPasses, endless, state.budget)),
      converter_(std::make_unique<TrackConverter>(song, track, shift, state)),
      shift_(shift) {}

TrackConversion::TrackConversion(TrackConversion&&) noexcept = default;
TrackConversion::~TrackConversion() = default;

void TrackConversion::Play(int64_t stopTick, bool pauseAfterPasses) {
    expander_->Play(stopTick - shift_, pauseAfterPasses,
                    [&](int64_t tick, size_t index, const Record& record) {
                        converter_->Play(record, tick, index);
                    });
}

bool TrackConversion::ended() const {
    return expander_->ended();
}

int64_t TrackConversion::clock() const {
    return expander_->tick() + shift_;
}

std::optional<TrackExpander::Passes> TrackConversion::passes() const {
    std::optional<TrackExpander::Passes> passes = expander_->passes();
    if (passes) passes->start += shift_, passes->end += shift_;
    return passes;
}

void TrackConversion::CutAt(int64_t tick) {
    converter_->CutAt(tick);
}

smf::Track TrackConversion::Finish() {
    return converter_->Finish(clock());
}

}  // namespace rcp
