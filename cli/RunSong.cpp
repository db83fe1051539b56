// The two song modes: convert to a Standard MIDI File, or describe the song.
#include <cstdio>
#include <exception>

#include "cli/Files.h"
#include "cli/Run.h"
#include "cli/Text.h"
#include "rcp/Convert.h"

namespace cli {

int Fail(const std::string& file, const std::string& what) {
    WriteText(stderr, "vellacord-convert: " + file + ": " + what + "\n");
    return kExitFailed;
}

namespace {

smf::File ConvertedFile(const Arguments& arguments, const std::vector<uint8_t>& song,
                        rcp::SongInfo* info) {
    rcp::Options options;
    options.endlessLoopPasses = arguments.loops;
    options.fadeSeconds = arguments.fade;
    options.controlFiles = arguments.controlFiles;
    options.readControlFile = [&](const std::string& storedName) {
        return ReadFileBeside(arguments.song, storedName);
    };
    return rcp::Convert(song.data(), song.size(), options, info);
}

}  // namespace

std::vector<uint8_t> ConvertSong(const Arguments& arguments, const std::vector<uint8_t>& song) {
    return smf::Write(ConvertedFile(arguments, song, nullptr));
}

int RunConvert(const Arguments& arguments) {
    std::vector<uint8_t> song;
    try {
        song = ReadWholeFile(arguments.song);
    } catch (const std::exception& error) {
        return Fail(arguments.song, error.what());
    }
    std::vector<uint8_t> midi;
    try {
        midi = ConvertSong(arguments, song);
    } catch (const std::bad_alloc&) {
        return Fail(arguments.song, "out of memory");
    } catch (const std::exception& error) {
        return Fail(arguments.song, error.what());
    }
    try {
        WriteFileWhole(arguments.output, midi);
    } catch (const std::exception& error) {
        return Fail(arguments.output, error.what());
    }
    return kExitOk;
}

int RunInfo(const Arguments& arguments) {
    try {
        const std::vector<uint8_t> song = ReadWholeFile(arguments.song);
        const rcp::SongInfo info = rcp::Inspect(song.data(), song.size());
        std::printf("variant: %s\n", rcp::VariantName(info.variant));
        WriteText(stdout, "title: " + Utf8FromCp932(info.title) + "\n");
        std::printf("timebase: %d\n", info.timebase);
        std::printf("tempo: %d\n", info.tempo);
        std::printf("tracks: %d\n", info.tracks);
        size_t total = 0;
        for (size_t index = 0; index < info.trackEventCounts.size(); ++index) {
            std::printf("track %zu: %zu events ", index + 1, info.trackEventCounts[index]);
            WriteText(stdout, "\"" + Utf8FromCp932(info.trackMemos[index]) + "\"\n");
            total += info.trackEventCounts[index];
        }
        std::printf("events: %zu\n", total);
        // The playing time needs the whole conversion (nothing is written); a song that cannot
        // be converted still shows what its records hold.
        rcp::SongInfo converted;
        ConvertedFile(arguments, song, &converted);
        const rcp::PlayingTime& time = converted.playingTime.value();
        std::printf("length: %.3f s\n", time.seconds);
        std::printf("endless loop: %s\n", time.endless ? "yes" : "no");
        if (time.loopPassSeconds) std::printf("loop pass: %.3f s\n", *time.loopPassSeconds);
        if (time.fadeStartSeconds && time.fadeEndSeconds)
            std::printf("fade: %.3f s to %.3f s\n", *time.fadeStartSeconds, *time.fadeEndSeconds);
    } catch (const std::exception& error) {
        return Fail(arguments.song, error.what());
    }
    return kExitOk;
}

}  // namespace cli
