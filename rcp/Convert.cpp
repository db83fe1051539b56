// The whole conversion: header and tracks read, control files loaded as setup, every track
// converted, and the conductor track built from the header and the song-wide commands.
#include "rcp/Convert.h"

#include <algorithm>
#include <cmath>

#include "rcp/ControlFiles.h"
#include "rcp/Song.h"
#include "rcp/TrackConverter.h"

namespace rcp {
namespace {

constexpr uint32_t kWireMicrosPerByte = 320;  // MIDI runs at 31250 baud, 10 bits a byte

void Report(const Options& options, int percent) {
    if (options.progress && !options.progress(percent)) throw Stopped();
}

SongInfo InfoOf(const Song& song) {
    SongInfo info;
    info.variant = song.header.variant;
    info.title = song.header.title;
    info.timebase = song.header.timebase;
    info.tempo = song.header.tempo;
    info.tracks = int(song.tracks.size());
    info.memoLines = song.header.memoLines;
    info.numerator = song.header.numerator;
    info.denominator = song.header.denominator;
    if (!song.header.cm6Name.empty()) info.controlFiles.push_back(song.header.cm6Name);
    for (const std::string& name : song.header.gsdNames)
        if (!name.empty()) info.controlFiles.push_back(name);
    for (const TrackRecord& track : song.tracks) {
        info.trackMemos.push_back(track.memo);
        info.trackEventCounts.push_back(track.eventCount);
        info.trackChannels.push_back(track.channel >= 0 && track.channel < 32
                                         ? std::optional<int>(track.channel)
                                         : std::nullopt);
    }
    return info;
}

smf::Event Meta(uint32_t tick, uint8_t type, std::vector<uint8_t> data) {
    return smf::Event{tick, 0xFF, type, std::move(data)};
}

smf::Event Text(uint32_t tick, uint8_t type, const std::string& text) {
    return Meta(tick, type, std::vector<uint8_t>(text.begin(), text.end()));
}

uint32_t MicrosPerQuarter(double bpm) {
    return uint32_t(std::clamp(std::lround(60'000'000.0 / bpm), 1L, 0xFFFFFFL));
}

smf::Event Tempo(uint32_t tick, double bpm) {
    const uint32_t micros = MicrosPerQuarter(bpm);
    return Meta(tick, 0x51, {uint8_t(micros >> 16), uint8_t(micros >> 8), uint8_t(micros)});
}

// Bits 0-2 the number of accidentals, bit 3 flats, bit 4 minor.
smf::Event KeySignature(uint32_t tick, int key) {
    const int accidentals = std::min(key & 7, 7);
    const int signedCount = (key & 8) ? -accidentals : accidentals;
    return Meta(tick, 0x59, {uint8_t(int8_t(signedCount)), uint8_t((key & 0x10) ? 1 : 0)});
}

smf::Event TimeSignature(int numerator, int denominator) {
    int power = 0;
    while (power < 7 && (1 << power) < denominator) ++power;
    // A denominator that is no power of two cannot be stored; four is what the editor starts with.
    if ((1 << power) != denominator) power = 2;
    return Meta(0, 0x58,
                {uint8_t(numerator > 0 && numerator < 256 ? numerator : 4), uint8_t(power), 24, 8});
}

// Tempo changes (relative to the header tempo, never to the current one) and key changes, in
// time order. A gradation glides: larger values glide faster, from 255 steps of a 48-tick
// quarter at 1 down to 15 at 255; the glide is sent as up to 16 stepwise changes and is cut
// short by the next change.
void AddSongWide(smf::Track& conductor, std::vector<SongWideCommand> commands,
                 const Header& header) {
    std::stable_sort(
        commands.begin(), commands.end(),
        [](const SongWideCommand& a, const SongWideCommand& b) { return a.tick < b.tick; });
    // Where the next tempo change after each command starts, found in one pass from the end.
    std::vector<int64_t> nextTempoTicks(commands.size(), INT64_MAX);
    for (size_t index = commands.size(); index-- > 1;)
        nextTempoTicks[index - 1] = commands[index].code == 0xE7
                                        ? std::max<int64_t>(0, commands[index].tick)
                                        : nextTempoTicks[index];
    double bpm = header.tempo;
    for (size_t index = 0; index < commands.size(); ++index) {
        const SongWideCommand& command = commands[index];
        const uint32_t tick = uint32_t(std::max<int64_t>(0, command.tick));
        if (command.code == 0xF5) {
            conductor.events.push_back(KeySignature(tick, command.value));
            continue;
        }
        if (command.value == 0) continue;  // a tempo of 0 would stop the song for good
        const double target = double(header.tempo) * command.value / 64.0;
        const int64_t nextTempoTick = nextTempoTicks[index];
        if (command.gradation > 0) {
            const int steps = 255 - (command.gradation - 1) * 240 / 254;
            const int64_t length = std::max<int64_t>(1, int64_t(steps) * header.timebase / 48);
            const int changes = int(std::min<int64_t>(16, length));
            for (int change = 1; change < changes; ++change) {
                const int64_t at = tick + length * change / changes;
                if (at >= nextTempoTick) break;
                conductor.events.push_back(
                    Tempo(uint32_t(at), bpm + (target - bpm) * change / changes));
            }
            if (tick + length < nextTempoTick)
                conductor.events.push_back(Tempo(uint32_t(tick + length), target));
        } else {
            conductor.events.push_back(Tempo(tick, target));
        }
        bpm = target;
    }
    std::stable_sort(conductor.events.begin(), conductor.events.end(),
                     [](const smf::Event& a, const smf::Event& b) { return a.tick < b.tick; });
}

smf::Track Conductor(const Header& header) {
    smf::Track conductor;
    if (!header.title.empty()) conductor.events.push_back(Text(0, 0x03, header.title));
    for (const std::string& line : header.memoLines)
        if (!line.empty()) conductor.events.push_back(Text(0, 0x01, line));
    conductor.events.push_back(TimeSignature(header.numerator, header.denominator));
    conductor.events.push_back(KeySignature(0, header.key));
    conductor.events.push_back(Tempo(0, header.tempo));
    return conductor;
}

// The control files' messages, in a track of their own ahead of the music: each one leaves the
// wire time it needs plus the device's processing pause. Returns the ticks the music moves on.
int64_t AddSetup(smf::File& file, const Header& header, const Options& options) {
    if (!options.controlFiles || !options.readControlFile) return 0;
    struct Source {
        const std::string& name;
        bool cm6;
        int port;
    };
    std::vector<Source> sources{{header.cm6Name, true, 0}};
    for (size_t port = 0; port < header.gsdNames.size(); ++port)
        sources.push_back({header.gsdNames[port], false, int(port)});

    smf::Track setup;
    setup.events.push_back(Text(0, 0x03, "Setup"));
    const double microsPerTick = double(MicrosPerQuarter(header.tempo)) / header.timebase;
    double micros = 0;
    int currentPort = 0;
    for (const Source& source : sources) {
        if (source.name.empty()) continue;
        const std::optional<std::vector<uint8_t>> bytes = options.readControlFile(source.name);
        if (!bytes) continue;  // the song still plays, with the device as it is
        const std::vector<SetupMessage> messages = source.cm6 ? Cm6Setup(*bytes) : GsdSetup(*bytes);
        for (const SetupMessage& message : messages) {
            const uint32_t tick = uint32_t(std::ceil(micros / microsPerTick));
            if (source.port != currentPort) {
                setup.events.push_back(Meta(tick, 0x21, {uint8_t(source.port)}));
                currentPort = source.port;
            }
            setup.events.push_back({tick, 0xF0, 0, message.bytes});
            micros += double(message.bytes.size() + 1) * kWireMicrosPerByte + message.pauseMicros;
        }
    }
    if (setup.events.size() == 1) return 0;
    // The music starts on the next whole beat after the setup.
    const int64_t ticks = int64_t(std::ceil(micros / microsPerTick));
    const int64_t shift = (ticks + header.timebase - 1) / header.timebase * header.timebase;
    setup.endTick = uint32_t(shift);
    file.tracks.push_back(std::move(setup));
    return shift;
}

}  // namespace

SongInfo Inspect(const uint8_t* data, size_t size) {
    return InfoOf(ReadSong(data, size));
}

smf::File Convert(const uint8_t* data, size_t size, const Options& options, SongInfo* info) {
    Report(options, 0);
    const Song song = ReadSong(data, size);
    if (info) *info = InfoOf(song);
    if (options.endlessLoopPasses < 1) throw Error("an endless loop must play at least once");

    smf::File file;
    file.format = 1;
    file.division = uint16_t(song.header.timebase);
    file.tracks.push_back(Conductor(song.header));
    const int64_t shift = AddSetup(file, song.header, options);
    Report(options, 5);

    ConversionState state;
    for (size_t index = 0; index < song.tracks.size(); ++index) {
        const TrackRecord& track = song.tracks[index];
        if (!track.muted) {
            smf::Track converted =
                ConvertTrack(song, track, options.endlessLoopPasses, shift, state);
            if (!converted.events.empty()) file.tracks.push_back(std::move(converted));
        }
        Report(options, 5 + int(90 * (index + 1) / song.tracks.size()));
    }
    AddSongWide(file.tracks[0], std::move(state.songWide), song.header);
    Report(options, 100);
    return file;
}

}  // namespace rcp
