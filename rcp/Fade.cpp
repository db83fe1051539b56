// How the fade is made. A device hears, on each channel, master volume x channel volume (CC#7) x
// expression (CC#11). The fade lowers the channel volume alone: every device from the oldest
// sound modules on follows it, where universal master volume is ignored by many of the devices
// these songs were written for and expression by some. Master volume and expression stay as the
// fade found them; what the song itself sends of all three meanwhile (as controllers or as the
// exclusives that set the same levels) is not passed on but folded into the volume the fade
// sends, which follows the song down and never rises again. A reset inside the fade does more
// than set levels, so it is passed on, and the fade's volume is sent again on every channel at
// once, reckoned from the full master volume and expression the reset leaves. At the end every
// channel is silenced (its notes released, then all sound off, so that no release tail
// lingers), and a moment later the volumes are put back as the fade found them, so that
// whatever plays next on the device is heard.
#include "rcp/Fade.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

#include "smf/Resets.h"

namespace rcp {
namespace {

constexpr double kStepSeconds = 0.05;  // fine enough to sound smooth, few enough messages
constexpr double kRestoreGapSeconds = 0.05;
constexpr int kPorts = 2;
constexpr int kDefaultVolume = 100, kDefaultExpression = 127, kFullMaster = 16383;

// What a message sets of the levels a device hears, on the port it is sent to.
struct LevelChange {
    enum Kind { Volume, Expression, Master, Reset } kind;
    int channel = 0;   // Volume, Expression: 0-15
    double value = 0;  // Volume, Expression: 0-127; Master: a share of full
};

// The exclusives that set a level (bytes after F0): universal master volume, the GS and XG
// master volumes and part levels, and the three resets, which put every part back to volume
// 100 and expression 127 at full master volume.
std::optional<LevelChange> ExclusiveLevel(const std::vector<uint8_t>& data) {
    const size_t size = data.size();
    if (size == 7 && data[0] == 0x7F && data[2] == 0x04 && data[3] == 0x01 && data[6] == 0xF7)
        return LevelChange{LevelChange::Master, 0, (data[4] | data[5] << 7) / double(kFullMaster)};
    if (smf::ResetIn(data.data(), size)) return LevelChange{LevelChange::Reset};
    // GS, one byte set: 41 dev 42 12 address(3) value checksum F7.
    if (size == 10 && data[0] == 0x41 && data[2] == 0x42 && data[3] == 0x12 && data[9] == 0xF7 &&
        data[4] == 0x40) {
        const int block = data[5] & 0x0F, value = data[7];
        if (data[5] == 0x00 && data[6] == 0x04)
            return LevelChange{LevelChange::Master, 0, value / 127.0};
        // Part level is the part's channel volume; block 0 is channel 10, 1-9 channels 1-9.
        if ((data[5] & 0xF0) == 0x10 && data[6] == 0x19)
            return LevelChange{LevelChange::Volume,
                               block == 0   ? 9
                               : block < 10 ? block - 1
                                            : block,
                               double(value)};
    }
    // XG, one byte set: 43 1n 4C address(3) value F7.
    if (size == 8 && data[0] == 0x43 && (data[1] & 0xF0) == 0x10 && data[2] == 0x4C &&
        data[7] == 0xF7) {
        const int value = data[6];
        if (data[3] == 0x00 && data[4] == 0x00 && data[5] == 0x04)
            return LevelChange{LevelChange::Master, 0, value / 127.0};
        if (data[3] == 0x08 && data[4] < 16 && data[5] == 0x0B)  // part volume
            return LevelChange{LevelChange::Volume, data[4], double(value)};
    }
    return std::nullopt;
}

std::optional<LevelChange> LevelOf(const smf::Event& event) {
    if (event.status == 0xF0) return ExclusiveLevel(event.data);
    if (event.isChannel() && event.kind() == 0xB0 && (event.data[0] == 7 || event.data[0] == 11))
        return LevelChange{event.data[0] == 7 ? LevelChange::Volume : LevelChange::Expression,
                           event.status & 15, double(event.data[1])};
    return std::nullopt;
}

struct Levels {
    std::array<double, kPorts> master;
    std::array<double, kPorts * 16> volume, expression;
    Levels() { Reset(0), Reset(1); }
    void Reset(int port) {
        master[port] = 1;
        std::fill_n(volume.begin() + port * 16, 16, kDefaultVolume);
        std::fill_n(expression.begin() + port * 16, 16, kDefaultExpression);
    }
    void Apply(int port, const LevelChange& change) {
        const int slot = port * 16 + change.channel;
        switch (change.kind) {
            case LevelChange::Volume:
                volume[slot] = change.value;
                break;
            case LevelChange::Expression:
                expression[slot] = change.value;
                break;
            case LevelChange::Master:
                master[port] = change.value;
                break;
            case LevelChange::Reset:
                Reset(port);
                break;
        }
    }
    // What stays of the channel's level with its volume at full.
    double Held(int slot) const { return master[slot / 16] * expression[slot] / 127.0; }
    double Of(int slot) const { return Held(slot) * volume[slot] / 127.0; }
};

// A level message of the song, and where it is.
struct LevelMessage {
    uint32_t tick;
    size_t track, index;
    int port;
    LevelChange change;
};

smf::Event Control(uint32_t tick, int slot, int controller, int value) {
    return {tick, uint8_t(0xB0 | (slot & 15)), 0, {uint8_t(controller), uint8_t(value)}};
}

}  // namespace

int64_t ApplyFade(smf::File& file, const TempoMap& tempo, int64_t start, int64_t end,
                  double seconds) {
    // The song's level messages and the channels it uses, each track followed on its port.
    std::vector<LevelMessage> messages;
    std::array<bool, kPorts * 16> used{};
    for (size_t track = 0; track < file.tracks.size(); ++track) {
        int port = 0;
        const std::vector<smf::Event>& events = file.tracks[track].events;
        for (size_t index = 0; index < events.size(); ++index) {
            const smf::Event& event = events[index];
            if (event.isMeta() && event.metaType == 0x21 && event.data.size() == 1)
                port = event.data[0] < kPorts ? event.data[0] : 0;
            if (event.isChannel()) used[port * 16 + (event.status & 15)] = true;
            if (const std::optional<LevelChange> change = LevelOf(event))
                messages.push_back({event.tick, track, index, port, *change});
        }
    }
    std::stable_sort(messages.begin(), messages.end(),
                     [](const LevelMessage& a, const LevelMessage& b) { return a.tick < b.tick; });

    Levels song;
    auto next = messages.begin();
    for (; next != messages.end() && next->tick < start; ++next)
        song.Apply(next->port, next->change);
    // What the device has: the song's levels until the fade begins, then the fade's volumes.
    Levels device = song;

    // The ticks where the fade acts: its steps, and wherever the song sends a level inside it.
    // Levels are taken out of the song; a reset stays, and the fade follows what it does.
    std::map<int64_t, std::vector<LevelMessage>> moments;
    for (int step = 1;; ++step) {
        const int64_t tick = tempo.TickAfter(start, step * kStepSeconds);
        if (tick >= end) break;
        moments[tick];
    }
    moments[end];
    std::vector<std::vector<bool>> dropped(file.tracks.size());
    for (size_t track = 0; track < file.tracks.size(); ++track)
        dropped[track].resize(file.tracks[track].events.size());
    for (; next != messages.end(); ++next) {
        moments[next->tick].push_back(*next);
        if (next->change.kind != LevelChange::Reset) dropped[next->track][next->index] = true;
    }

    smf::Track fade;
    fade.events.push_back({0, 0xFF, 0x03, {'F', 'a', 'd', 'e'}});
    int port = 0;
    const auto send = [&](smf::Event event, int slot) {
        if (slot / 16 != port) {
            port = slot / 16;
            fade.events.push_back({event.tick, 0xFF, 0x21, {uint8_t(port)}});
        }
        fade.events.push_back(std::move(event));
    };
    const Levels atStart = song;
    std::array<double, kPorts * 16> allowed{};
    for (int slot = 0; slot < kPorts * 16; ++slot) allowed[slot] = atStart.Of(slot);
    const double startSeconds = tempo.Seconds(start);
    for (const auto& [tick, arriving] : moments) {
        std::array<bool, kPorts> reset{};
        for (const LevelMessage& message : arriving) {
            song.Apply(message.port, message.change);
            if (message.change.kind == LevelChange::Reset) {
                device.Reset(message.port);
                reset[message.port] = true;
            }
        }
        const double gain =
            tick >= end ? 0 : std::max(0.0, 1 - (tempo.Seconds(tick) - startSeconds) / seconds);
        for (int slot = 0; slot < kPorts * 16; ++slot) {
            if (!used[slot]) continue;
            allowed[slot] = std::min(allowed[slot], song.Of(slot) * gain);
            // The volume that gives the allowed level with the device's master volume and
            // expression as they stand.
            const double held = device.Held(slot);
            double volume = reset[slot / 16] ? 127 : device.volume[slot];
            if (tick >= end)
                volume = 0;
            else if (held > 0)
                volume = std::min(volume, std::floor(allowed[slot] / held * 127 + 1e-9));
            if (volume == device.volume[slot] && !reset[slot / 16]) continue;
            device.volume[slot] = volume;
            send(Control(uint32_t(tick), slot, 7, int(volume)), slot);
        }
    }
    for (int slot = 0; slot < kPorts * 16; ++slot)
        if (used[slot]) send(Control(uint32_t(end), slot, 120, 0), slot);  // all sound off
    const int64_t restore = tempo.TickAfter(end, kRestoreGapSeconds);
    for (int slot = 0; slot < kPorts * 16; ++slot)
        if (used[slot] && atStart.volume[slot] > 0)
            send(Control(uint32_t(restore), slot, 7, int(atStart.volume[slot])), slot);

    for (size_t track = 0; track < file.tracks.size(); ++track) {
        std::vector<smf::Event>& events = file.tracks[track].events;
        size_t kept = 0;
        for (size_t index = 0; index < events.size(); ++index)
            if (!dropped[track][index]) {
                if (kept != index) events[kept] = std::move(events[index]);
                ++kept;
            }
        events.resize(kept);
    }
    file.tracks.push_back(std::move(fade));
    for (smf::Track& track : file.tracks) track.endTick = uint32_t(restore);
    return restore;
}

}  // namespace rcp
