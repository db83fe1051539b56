// The whole conversion: header and tracks read, control files loaded as setup, every track
// converted, and the conductor track built from the header and the song-wide commands.
#include "rcp/Convert.h"

#include <algorithm>
#include <cmath>

#include "mt32/Machine.h"
#include "mt32/Render.h"
#include "rcp/ControlFiles.h"
#include "rcp/Fade.h"
#include "rcp/SharedKeys.h"
#include "rcp/Song.h"
#include "rcp/TempoMap.h"
#include "rcp/TrackConverter.h"

namespace rcp {
namespace {

constexpr uint32_t kWireMicrosPerByte = 320;  // MIDI runs at 31250 baud, 10 bits a byte
// Far beyond what users may ask for: a guard against values no front would pass.
constexpr int kLongestFadeSeconds = 600;

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

// Clamped before rounding: a very slow tempo gives more microseconds than a 32-bit long holds.
uint32_t MicrosPerQuarter(double bpm) {
    return uint32_t(std::llround(std::clamp(60'000'000.0 / bpm, 1.0, double(0xFFFFFF))));
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
std::vector<smf::Event> SongWideEvents(std::vector<SongWideCommand> commands,
                                       const Header& header) {
    std::vector<smf::Event> events;
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
            events.push_back(KeySignature(tick, command.value));
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
                events.push_back(Tempo(uint32_t(at), bpm + (target - bpm) * change / changes));
            }
            if (tick + length < nextTempoTick)
                events.push_back(Tempo(uint32_t(tick + length), target));
        } else {
            events.push_back(Tempo(tick, target));
        }
        bpm = target;
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const smf::Event& a, const smf::Event& b) { return a.tick < b.tick; });
    return events;
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

// A name as stored in the song, fit for one line of a report: control characters, which a
// damaged header may hold, shown as '?'. Code page 932 trail bytes are never below 0x40.
std::string Shown(std::string name) {
    for (char& c : name)
        if (uint8_t(c) < 0x20 || uint8_t(c) == 0x7F) c = '?';
    return name;
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
        std::vector<SetupMessage> messages;
        std::string problem;
        if (source.cm6) {
            messages = Cm6Setup(*bytes);
            if (messages.empty()) problem = "not sent: not an MT-32 setup file, or cut short";
        } else {
            GsdSetupResult gsd = GsdSetup(*bytes);
            messages = std::move(gsd.messages);
            problem = std::move(gsd.problem);
        }
        if (!problem.empty() && options.warning)
            options.warning("control file " + Shown(source.name) + ": " + problem);
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

// The limits the tracks are played to and what the song's length is made of, all in ticks.
struct Ending {
    std::optional<TrackExpander::Passes> lastPasses;  // of the endless loop that ends last
    std::optional<int64_t> fadeEnd;                   // when the song fades
};

int64_t LatestPassesEnd(const std::vector<TrackConversion>& tracks,
                        std::optional<TrackExpander::Passes>& latest) {
    for (const TrackConversion& track : tracks)
        if (const auto passes = track.passes(); passes && (!latest || passes->end > latest->end))
            latest = passes;
    return latest ? latest->end : 0;
}

// Plays the tracks of a song with an endless loop on until `seconds` after `start`, the moment
// the last of them has played its loop's passes, through the song's tempo map: tempo changes
// inside the fade count too. The tracks are played on in growing steps until the end is known,
// found each time from the tempo changes collected so far, which are complete up to where the
// tracks have been played. Returns the fade's end.
int64_t PlayIntoFade(std::vector<TrackConversion>& tracks, ConversionState& state,
                     const Header& header, int64_t start, double seconds) {
    int64_t playedTo = start;
    while (true) {
        for (TrackConversion& track : tracks)
            if (!track.ended()) track.Play(playedTo);
        std::vector<smf::Event> tempo = SongWideEvents(state.songWide, header);
        tempo.insert(tempo.begin(), Tempo(0, header.tempo));
        const int64_t end = TempoMap(tempo, header.timebase).TickAfter(start, seconds);
        if (end > state.budget.lastTick)
            throw Error("the fade ends past tick " + std::to_string(state.budget.lastTick) +
                        ", the longest a MIDI file holds");
        if (end <= playedTo) return end;
        playedTo = std::max(end, start + 2 * (playedTo - start));
    }
}

// What of the MT-32 the song holds: its setup file's data sets lie before the music starts.
Mt32Data Mt32DataOf(const smf::File& file, const Header& header, int64_t shift) {
    Mt32Data data;
    data.setupName = header.cm6Name;
    for (const smf::Track& track : file.tracks)
        for (const smf::Event& event : track.events)
            if (event.tick >= shift && event.status == 0xF0 &&
                mt32::IsDataSet(event.data.data(), event.data.size()))
                ++data.songDataSets;
    return data;
}

PlayingTime TimeOf(const smf::File& file, const Ending& ending, int64_t fadeStart) {
    const TempoMap tempo(file.tracks[0].events, file.division);
    PlayingTime time;
    uint32_t end = 0;
    for (const smf::Track& track : file.tracks)
        end = std::max({end, track.endTick, track.events.empty() ? 0 : track.events.back().tick});
    time.seconds = tempo.Seconds(end);
    time.endless = ending.lastPasses.has_value();
    if (ending.lastPasses)
        time.loopPassSeconds =
            tempo.Seconds(ending.lastPasses->end) - tempo.Seconds(ending.lastPasses->start);
    if (ending.fadeEnd) {
        time.fadeStartSeconds = tempo.Seconds(fadeStart);
        time.fadeEndSeconds = tempo.Seconds(*ending.fadeEnd);
    }
    return time;
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
    if (!(options.fadeSeconds >= 0 && options.fadeSeconds <= kLongestFadeSeconds))
        throw Error("the fade must last from 0 to " + std::to_string(kLongestFadeSeconds) +
                    " seconds");

    smf::File file;
    file.format = 1;
    file.division = uint16_t(song.header.timebase);
    file.tracks.push_back(Conductor(song.header));
    const int64_t shift = AddSetup(file, song.header, options);
    Report(options, 5);

    // A song that fades plays its endless loops on; first every track is played up to where
    // its endless loop has played its passes, or to its end when it has none, which tells where
    // the fade starts: after the last of these.
    const bool fades = options.fadeSeconds > 0;
    ConversionState state(options.endlessLoopPasses);
    std::vector<TrackConversion> tracks;
    for (size_t index = 0; index < song.tracks.size(); ++index) {
        const TrackRecord& track = song.tracks[index];
        if (!track.muted) {
            tracks.emplace_back(song, track, options.endlessLoopPasses,
                                fades ? EndlessLoops::KeepPlaying : EndlessLoops::Leave, shift,
                                state);
            tracks.back().Play(INT64_MAX, fades);
        }
        Report(options, 5 + int(80 * (index + 1) / song.tracks.size()));
    }
    Ending ending;
    int64_t fadeStart = LatestPassesEnd(tracks, ending.lastPasses);
    if (fades && ending.lastPasses) {
        // Nor does the fade cut the music of a track that ends: the loops play on under it.
        for (const TrackConversion& track : tracks)
            if (track.ended()) fadeStart = std::max(fadeStart, track.clock());
        ending.fadeEnd = PlayIntoFade(tracks, state, song.header, fadeStart, options.fadeSeconds);
        for (TrackConversion& track : tracks) track.CutAt(*ending.fadeEnd);
        state.songWide.erase(std::remove_if(state.songWide.begin(), state.songWide.end(),
                                            [&](const SongWideCommand& command) {
                                                return command.tick >= *ending.fadeEnd;
                                            }),
                             state.songWide.end());
    }
    Report(options, 90);

    // The song lasts as long as its longest track, rests included.
    int64_t songEnd = shift;
    std::vector<smf::Track> converted;
    for (TrackConversion& track : tracks) {
        songEnd = std::max(songEnd, track.clock());
        smf::Track result = track.Finish();
        if (!result.events.empty()) converted.push_back(std::move(result));
    }
    HandOverSharedKeys(converted);
    for (smf::Track& track : converted) file.tracks.push_back(std::move(track));
    smf::Track& conductor = file.tracks[0];
    const std::vector<smf::Event> songWide = SongWideEvents(std::move(state.songWide), song.header);
    conductor.events.insert(conductor.events.end(), songWide.begin(), songWide.end());
    conductor.endTick = uint32_t(songEnd);
    // Rendered before the fade, so that the fade works on what the synthesizer is told.
    Mt32Data mt32 = Mt32DataOf(file, song.header, shift);
    if (auto rendering = mt32::Render(file, options.target, !mt32.setupName.empty()))
        mt32.rendering = std::move(*rendering);
    if (info) info->mt32 = std::move(mt32);
    if (ending.fadeEnd) {
        // A glide that began before the fade's end sends nothing after it.
        while (conductor.events.back().tick > *ending.fadeEnd) conductor.events.pop_back();
        ApplyFade(file, TempoMap(conductor.events, file.division), fadeStart, *ending.fadeEnd,
                  options.fadeSeconds);
    }
    if (info) info->playingTime = TimeOf(file, ending, fadeStart);
    Report(options, 100);
    return file;
}

}  // namespace rcp
