// --info: what each song holds, as text for people or as one JSON object per line for tools.
#include <cstdio>
#include <exception>

#include "cli/Files.h"
#include "cli/Json.h"
#include "cli/Run.h"
#include "cli/SongSearch.h"
#include "cli/Text.h"

namespace cli {
namespace {

void PrintRecords(const rcp::SongInfo& info) {
    std::printf("variant: %s\n", rcp::VariantName(info.variant));
    WriteText(stdout, "title: " + Utf8FromCp932(info.title) + "\n");
    for (const std::string& line : info.memoLines)
        if (!line.empty()) WriteText(stdout, "memo: " + Utf8FromCp932(line) + "\n");
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
}

void PrintLength(const rcp::PlayingTime& time) {
    std::printf("length: %.3f s\n", time.seconds);
    std::printf("endless loop: %s\n", time.endless ? "yes" : "no");
    if (time.loopPassSeconds) std::printf("loop pass: %.3f s\n", *time.loopPassSeconds);
    if (time.fadeStartSeconds && time.fadeEndSeconds)
        std::printf("fade: %.3f s to %.3f s\n", *time.fadeStartSeconds, *time.fadeEndSeconds);
}

void PrintMt32(const std::string& path, const rcp::Mt32Data& mt32) {
    std::string line = "MT-32 data: ";
    if (!mt32.present()) line += "none";
    if (!mt32.setupName.empty())
        line += "CM6 file " + Utf8FromCp932(mt32.setupName) +
                (ReadFileBeside(path, mt32.setupName) ? " (found)" : " (not found)");
    if (mt32.songDataSets > 0)
        line += std::string(mt32.setupName.empty() ? "" : ", ") +
                std::to_string(mt32.songDataSets) + " MT-32 exclusives in the song";
    WriteText(stdout, line + "\n");
    for (const std::string& rendered : mt32.rendering) WriteText(stdout, rendered + "\n");
}

std::string Text(const std::string& cp932) {
    return JsonString(Utf8FromCp932(cp932));
}

std::string JsonOf(const std::string& path, const rcp::SongInfo& info) {
    std::string json = "{\"file\":" + JsonString(path);
    json += ",\"variant\":" + JsonString(rcp::VariantName(info.variant));
    json += ",\"title\":" + Text(info.title);
    size_t memoLines = info.memoLines.size();
    while (memoLines > 0 && info.memoLines[memoLines - 1].empty()) --memoLines;
    json += ",\"memo\":[";
    for (size_t line = 0; line < memoLines; ++line)
        json += (line ? "," : "") + Text(info.memoLines[line]);
    json += "],\"timebase\":" + std::to_string(info.timebase);
    json += ",\"tempo\":" + std::to_string(info.tempo);
    json += ",\"timeSignature\":{\"numerator\":" + std::to_string(info.numerator) +
            ",\"denominator\":" + std::to_string(info.denominator) + "}";
    json += ",\"tracks\":[";
    for (size_t track = 0; track < info.trackEventCounts.size(); ++track) {
        const std::optional<int> channel = info.trackChannels[track];
        json += std::string(track ? "," : "") +
                "{\"channel\":" + (channel ? std::to_string(*channel % 16 + 1) : "null") +
                ",\"port\":" + (channel ? (*channel < 16 ? "\"A\"" : "\"B\"") : "null") +
                ",\"memo\":" + Text(info.trackMemos[track]) +
                ",\"events\":" + std::to_string(info.trackEventCounts[track]) + "}";
    }
    json += "],\"controlFiles\":[";
    for (size_t file = 0; file < info.controlFiles.size(); ++file)
        json += std::string(file ? "," : "") + "{\"name\":" + Text(info.controlFiles[file]) +
                ",\"found\":" + (ReadFileBeside(path, info.controlFiles[file]) ? "true" : "false") +
                "}";
    json += "],\"mt32\":";
    if (!info.mt32.present()) {
        json += "null";
    } else {
        const std::string& setup = info.mt32.setupName;
        json += "{\"cm6\":" +
                (setup.empty() ? std::string("null")
                               : "{\"name\":" + Text(setup) + ",\"found\":" +
                                     (ReadFileBeside(path, setup) ? "true" : "false") + "}") +
                ",\"exclusives\":" + std::to_string(info.mt32.songDataSets) + ",\"rendering\":[";
        for (size_t line = 0; line < info.mt32.rendering.size(); ++line)
            json += (line ? "," : "") + JsonString(info.mt32.rendering[line]);
        json += "]}";
    }
    json += ",\"length\":";
    if (const std::optional<rcp::PlayingTime>& time = info.playingTime) {
        json += "{\"seconds\":" + JsonSeconds(time->seconds) +
                ",\"endless\":" + (time->endless ? "true" : "false") +
                ",\"loopPassSeconds\":" + JsonSeconds(time->loopPassSeconds) +
                ",\"fadeStartSeconds\":" + JsonSeconds(time->fadeStartSeconds) +
                ",\"fadeEndSeconds\":" + JsonSeconds(time->fadeEndSeconds) + "}";
    } else {
        json += "null";
    }
    return json + "}";
}

// Failures are objects too, so that a tool reading the lines learns of every song it asked for.
int Failure(bool json, const std::string& path, const std::string& what) {
    if (!json) return Fail(path, what);
    WriteText(stdout, "{\"file\":" + JsonString(path) + ",\"error\":" + JsonString(what) + "}\n");
    return kExitFailed;
}

}  // namespace

int RunInfo(const Arguments& arguments) {
    const SongSearch search = FindSongs(arguments.paths, false, {});
    int status = kExitOk;
    for (const auto& problem : search.problems)
        status = Failure(arguments.json, problem.first, problem.second);
    const bool several = search.songs.size() + search.problems.size() > 1;
    for (const FoundSong& song : search.songs) {
        try {
            const std::vector<uint8_t> bytes = ReadWholeFile(song.path);
            // The playing length needs the whole conversion, with the loop settings given;
            // nothing is written. As text, a song that cannot be converted still shows what
            // its records hold.
            const auto convert = [&] {
                rcp::SongInfo info;
                rcp::Convert(bytes.data(), bytes.size(), SongOptions(arguments, song.path), &info);
                return info;
            };
            if (arguments.json) {
                WriteText(stdout, JsonOf(song.path, convert()) + "\n");
            } else {
                if (several) WriteText(stdout, "file: " + song.path + "\n");
                PrintRecords(rcp::Inspect(bytes.data(), bytes.size()));
                const rcp::SongInfo converted = convert();
                PrintLength(converted.playingTime.value());
                PrintMt32(song.path, converted.mt32);
                if (several) std::printf("\n");
            }
        } catch (const std::exception& error) {
            status = Failure(arguments.json, song.path, error.what());
        }
        std::fflush(stdout);
    }
    return status;
}

}  // namespace cli
