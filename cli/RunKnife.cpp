// --knife: the post-processor on the command line. A MIDI file is processed directly; an
// RCP-family song is converted first and the result processed, as the plug-in chains the two
// converters. The configuration is read before anything else, and the output is written only
// when every step succeeded.
#include <cstdio>
#include <exception>
#include <string>

#include "cli/Files.h"
#include "cli/Run.h"

namespace cli {

knife::Config ReadKnifeConfig(const Arguments& arguments) {
    const std::vector<uint8_t> text = ReadWholeFile(arguments.knifeConfig);
    return knife::ParseConfig(text.data(), text.size());
}

std::vector<uint8_t> KnifeFile(const Arguments& arguments, const knife::Config& config,
                               const std::string& path, std::vector<uint8_t> input,
                               knife::Report* report, const Progress& progress) {
    knife::Options options;
    options.ch10 = arguments.ch10;
    options.bank = arguments.bank;
    options.cc64 = arguments.cc64;
    options.macCut = arguments.macCut;
    // A damaged song is reported by the song reader, not as a file that is no MIDI file.
    if (rcp::HasSongSignature(input.data(), input.size())) {
        std::vector<std::string> rendering;
        input = ConvertSong(arguments, path, input, progress, &rendering);
        if (report) report->lines.insert(report->lines.end(), rendering.begin(), rendering.end());
    }
    return knife::Process(input.data(), input.size(), config, options, report, progress);
}

int RunKnife(const Arguments& arguments) {
    knife::Config config;
    try {
        config = ReadKnifeConfig(arguments);
    } catch (const std::exception& error) {
        return Fail(arguments.knifeConfig, error.what());
    }
    std::vector<uint8_t> input;
    try {
        input = ReadWholeFile(arguments.song);
    } catch (const std::exception& error) {
        return Fail(arguments.song, error.what());
    }
    knife::Report report;
    std::vector<uint8_t> output;
    try {
        output = KnifeFile(arguments, config, arguments.song, std::move(input), &report);
    } catch (const std::bad_alloc&) {
        return Fail(arguments.song, "out of memory");
    } catch (const std::exception& error) {
        return Fail(arguments.song, error.what());
    }
    try {
        WriteFileWhole(arguments.output, output);
    } catch (const std::exception& error) {
        return Fail(arguments.output, error.what());
    }
    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    if (report.lines.empty()) std::printf("knife: nothing changed\n");
    return kExitOk;
}

}  // namespace cli
