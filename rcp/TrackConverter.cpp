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
        pendingOff_.fill(-1);
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

    smf::Track Finish() {
        for (int key = 0; key < 128; ++key)
            if (pendingOff_[key] >= 0) NoteOff(key);
        smf::Track track;
        if (events_.empty() && offs_.empty()) return track;
        if (!track_.memo.empty())
            track.events.push_back({0, 0xFF, 0x03, {track_.memo.begin(), track_.memo.end()}});
        // Everything but the note ends comes in time order already; the ends are sorted and
        // merged in. At one tick a note ends before the next one starts, so that a re-struck
        // key sounds. Events for port B are marked with the port meta event, as players that
        // know two ports expect; tracks that stay on port A carry none. The marks are placed
        // while merging so that a note struck on one port also ends there.
        std::stable_sort(offs_.begin(), offs_.end(), [](const Tagged& a, const Tagged& b) {
            return a.event.tick < b.event.tick;
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
            if (nextOff < offs_.size() &&
                (next == events_.size() || offs_[nextOff].event.tick <= events_[next].event.tick))
                take(offs_[nextOff++]);
            else
                take(events_[next++]);
        }
        track.endTick = track.events.back().tick;
        return track;
    }

  private:
    int MidiChannel() const { return channel_ == kOff ? kOff : channel_ & 0x0F; }

    static uint32_t Clamped(int64_t tick) { return uint32_t(std::max<int64_t>(0, tick)); }

    void Reserve(size_t events) {
        if (state_.eventsLeft < events)
            throw Error("the song expands past the event limit (a loop that never ends?)");
        state_.eventsLeft -= events;
    }

    // `port` -1: the port the track is on now (or was last on, while its channel is OFF).
    void Add(smf::Event event, int port = -1) {
        Reserve(1);
        if (channel_ != kOff) port_ = channel_ >> 4;
        (event.kind() == 0x80 ? offs_ : events_)
            .push_back({std::move(event), port < 0 ? port_ : port});
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
        if (pendingOff_[key] > tick) {
            // The key still sounds: a tie. It is held on instead of struck again.
            pendingOff_[key] = tick + gate;
            return;
        }
        if (pendingOff_[key] >= 0) NoteOff(key);
        Add({Clamped(tick),
             uint8_t(0x90 | MidiChannel()),
             0,
             {uint8_t(key), uint8_t(std::min(velocity, 127))}});
        pendingOff_[key] = tick + gate;
        offChannel_[key] = uint8_t(MidiChannel());
        offPort_[key] = uint8_t(channel_ >> 4);
    }

    void NoteOff(int key) {
        Add({Clamped(pendingOff_[key]), uint8_t(0x80 | offChannel_[key]), 0, {uint8_t(key), 0}},
            offPort_[key]);
        pendingOff_[key] = -1;
    }

    const Song& song_;
    const TrackRecord& track_;
    const int64_t shift_;
    ConversionState& state_;
    int channel_ = kOff;
    int port_ = 0;
    int transpose_ = 0;
    DeviceState devices_;
    std::array<int64_t, 128> pendingOff_{};
    std::array<uint8_t, 128> offChannel_{};
    std::array<uint8_t, 128> offPort_{};
    struct Tagged {
        smf::Event event;
        int port;
    };
    std::vector<Tagged> events_;  // in time order
    std::vector<Tagged> offs_;    // note ends, in the order the notes were struck again or ended
};

}  // namespace

smf::Track ConvertTrack(const Song& song, const TrackRecord& track, int endlessLoopPasses,
                        int64_t shift, ConversionState& state) {
    TrackConverter converter(song, track, shift, state);
    ExpandTrack(song, track, endlessLoopPasses, state.budget,
                [&](int64_t tick, size_t index, const Record& record) {
                    converter.Play(record, tick, index);
                });
    return converter.Finish();
}

}  // namespace rcp
