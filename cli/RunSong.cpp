// The two song modes: convert to a Standard MIDI File, or describe the song.
#include <cstdio>
#include <exception>

#include "cli/Files.h"
#include "cli/Run.h"
#include "rcp/Convert.h"

namespace cli {

int Fail(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "vellacord-convert: %s: %s\n", file.c_str(), what.c_str());
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
        // The playing time needs the whole conversion; nothing is written.
        rcp::SongInfo info;
        ConvertedFile(arguments, song, &info);
        std::printf("variant: %s\n", rcp::VariantName(info.variant));
        std::printf("title: %s\n", info.title.c_str());
        std::printf("timebase: %d\n", info.timebase);
        std::printf("tempo: %d\n", info.tempo);
        std::printf("tracks: %d\n", info.tracks);
        size_t total = 0;
        for (size_t index = 0; index < info.trackEventCounts.size(); ++index) {
            std::printf("track %zu: %zu events \"%s\"\n", index + 1, info.trackEventCounts[index],
                        info.trackMemos[index].c_str());
            total += info.trackEventCounts[index];
        }
        std::printf("events: %zu\n", total);
        const rcp::PlayingTime& time = *info.playingTime;
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
