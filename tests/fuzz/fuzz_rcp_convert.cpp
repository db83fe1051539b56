// Fuzzes the song converter: any bytes through Inspect and Convert, then the writer. A song may
// be refused with rcp::Error, never anything else; what Convert returns the writer must encode
// and the reader read back (a FormatError there escapes and counts as a finding). The song's own
// bytes after its signature double as its control files, so that their readers see data too.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rcp/Convert.h"
#include "smf/Smf.h"

namespace {

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

// The bytes from the first control-file signature after the song's own, if any.
std::optional<std::vector<uint8_t>> EmbeddedControlFile(const uint8_t* bytes, size_t size) {
    static const char kSignature[] = "COME ON MUSIC";
    for (size_t at = 32; at + sizeof kSignature <= size; ++at)
        if (std::memcmp(bytes + at, kSignature, sizeof kSignature - 1) == 0)
            return std::vector<uint8_t>(bytes + at, bytes + size);
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    try {
        const rcp::SongInfo info = rcp::Inspect(bytes, size);
        Check(info.trackEventCounts.size() == size_t(info.tracks), "one event count per track");
    } catch (const rcp::Error&) {
    }
    rcp::Options options;
    // The loop and fade settings a user may choose, from the input's last two bytes: passes 1
    // to 99, fades of 0 to 60 seconds in steps of a quarter second.
    const unsigned setting = size >= 2 ? unsigned(bytes[size - 2]) << 8 | bytes[size - 1] : 0;
    options.endlessLoopPasses = 1 + int(setting % 99);
    options.fadeSeconds = double(setting / 99 % 241) / 4;
    options.readControlFile = [&](const std::string&) { return EmbeddedControlFile(bytes, size); };
    options.warning = [](const std::string& line) {
        Check(!line.empty() && line.find('\n') == std::string::npos, "a warning is one line");
    };
    int lastPercent = -1;
    options.progress = [&](int percent) {
        Check(percent >= lastPercent && percent <= 100, "progress rises from 0 to 100");
        lastPercent = percent;
        return true;
    };
    try {
        rcp::SongInfo info;
        const smf::File file = rcp::Convert(bytes, size, options, &info);
        Check(lastPercent == 100, "a finished conversion reports 100");
        Check(file.division == info.timebase, "division is the song's timebase");
        const std::vector<uint8_t> midi = smf::Write(file);
        Check(midi.size() >= 14 && std::memcmp(midi.data(), "MThd", 4) == 0, "a MIDI header");
        // Our own reader takes back what the writer made, track for track.
        Check(smf::Read(midi).tracks.size() == file.tracks.size(), "the output reads back");
        Check(info.playingTime.has_value(), "a conversion reports its playing time");
        const rcp::PlayingTime& time = *info.playingTime;
        Check(std::isfinite(time.seconds) && time.seconds >= 0, "a playing time in seconds");
        Check(time.endless == time.loopPassSeconds.has_value(), "a loop pass for endless songs");
        Check(time.fadeStartSeconds.has_value() == (time.endless && options.fadeSeconds > 0) &&
                  time.fadeEndSeconds.has_value() == time.fadeStartSeconds.has_value(),
              "a fade for endless songs when one is asked for");
        if (time.fadeStartSeconds)
            Check(*time.fadeStartSeconds < *time.fadeEndSeconds &&
                      *time.fadeEndSeconds < time.seconds,
                  "the fade lies inside the song");
    } catch (const rcp::Error&) {
    }
    return 0;
}
