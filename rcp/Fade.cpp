// How the fade is made. A device hears, on each channel, master volume x channel volume (CC#7) x
// expression (CC#11). The fade lowers the channel volume alone: every device from the oldest
// sound modules on follows it, where universal master volume is ignored by many of the devices
// these songs were written for and expression by some. Master volume and expression stay as the
// fade found them; what the song itself sends of all three meanwhile is not passed on but folded
// into the volume the fade sends, which follows the song down and never rises again. At the end
// every channel is silenced (its notes released, then all sound off, so that no release tail
// lingers), and a moment later the volumes are put back as the fade found them, so that whatever
// plays next on the device is heard.
#include "rcp/Fade.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

namespace rcp {
namespace {

constexpr double kStepSeconds = 0.05;  // fine enough to sound smooth, few enough messages
constexpr double kRestoreGapSeconds = 0.05;
constexpr int kPorts = 2;
constexpr int kDefaultVolume = 100, kDefaultExpression = 127, kFullMaster = 16383;

// The universal master volume message (after F0): 7F dev 04 01 lsb msb F7.
std::optional<int> MasterVolume(const smf::Event& event) {
    const std::vector<uint8_t>& data = event.data;
    if (event.status != 0xF0 || data.size() != 7 || data[0] != 0x7F || data[2] != 0x04 ||
        data[3] != 0x01 || data[6] != 0xF7)
        return std::nullopt;
    return data[4] | data[5] << 7;
}

struct Levels {
    std::array<int, kPorts> master{kFullMaster, kFullMaster};
    std::array<int, kPorts * 16> volume, expression;
    Levels() {
        volume.fill(kDefaultVolume);
        expression.fill(kDefaultExpression);
    }
    double Of(int slot) const {
        return master[slot / 16] / double(kFullMaster) * volume[slot] / 127.0 * expression[slot] /
               127.0;
    }
};

// A level message of the song: which slot (port x 16 + channel, or the port for master volume).
struct LevelMessage {
    uint32_t tick;
    size_t track, index;
    enum Kind { Volume, Expression, Master } kind;
    int slot, value;
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
            const int slot = port * 16 + (event.status & 15);
            if (const std::optional<int> master = MasterVolume(event))
                messages.push_back({event.tick, track, index, LevelMessage::Master, port, *master});
            if (!event.isChannel()) continue;
            used[slot] = true;
            if (event.kind() == 0xB0 && (event.data[0] == 7 || event.data[0] == 11))
                messages.push_back(
                    {event.tick, track, index,
                     event.data[0] == 7 ? LevelMessage::Volume : LevelMessage::Expression, slot,
                     event.data[1]});
        }
    }
    std::stable_sort(messages.begin(), messages.end(),
                     [](const LevelMessage& a, const LevelMessage& b) { return a.tick < b.tick; });

    const auto apply = [](Levels& levels, const LevelMessage& message) {
        if (message.kind == LevelMessage::Master)
            levels.master[message.slot] = message.value;
        else
            (message.kind == LevelMessage::Volume ? levels.volume
                                                  : levels.expression)[message.slot] =
                message.value;
    };
    Levels song;
    auto next = messages.begin();
    for (; next != messages.end() && next->tick < start; ++next) apply(song, *next);
    const Levels atStart = song;

    // The ticks where the fade acts: its steps, and wherever the song sends a level inside it.
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
        dropped[next->track][next->index] = true;
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
    std::array<double, kPorts * 16> allowed{};
    std::array<int, kPorts* 16> sent = atStart.volume;
    for (int slot = 0; slot < kPorts * 16; ++slot) allowed[slot] = atStart.Of(slot);
    const double startSeconds = tempo.Seconds(start);
    for (const auto& [tick, arriving] : moments) {
        for (const LevelMessage& message : arriving) apply(song, message);
        const double gain =
            tick >= end ? 0 : std::max(0.0, 1 - (tempo.Seconds(tick) - startSeconds) / seconds);
        for (int slot = 0; slot < kPorts * 16; ++slot) {
            if (!used[slot]) continue;
            allowed[slot] = std::min(allowed[slot], song.Of(slot) * gain);
            // The volume that gives the allowed level with master volume and expression held.
            const double held =
                atStart.master[slot / 16] / double(kFullMaster) * atStart.expression[slot] / 127.0;
            int volume = sent[slot];
            if (tick >= end)
                volume = 0;
            else if (held > 0)
                volume = std::min(volume, int(std::floor(allowed[slot] / held * 127 + 1e-9)));
            if (volume == sent[slot]) continue;
            sent[slot] = volume;
            send(Control(uint32_t(tick), slot, 7, volume), slot);
        }
    }
    for (int slot = 0; slot < kPorts * 16; ++slot)
        if (used[slot]) send(Control(uint32_t(end), slot, 120, 0), slot);  // all sound off
    const int64_t restore = tempo.TickAfter(end, kRestoreGapSeconds);
    for (int slot = 0; slot < kPorts * 16; ++slot)
        if (used[slot] && atStart.volume[slot] > 0)
            send(Control(uint32_t(restore), slot, 7, atStart.volume[slot]), slot);

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
