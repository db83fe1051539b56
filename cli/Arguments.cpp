#include "cli/Arguments.h"

#include <cstdlib>
#include <optional>

#include "rcp/LoopValues.h"

namespace cli {
namespace {

int Count(const std::string& option, const std::string& text, int most) {
    size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || value < 1 || value > most)
        throw UsageError(option + " needs a whole number from 1 to " + std::to_string(most) +
                         ", not \"" + text + "\"");
    return value;
}

int Passes(const std::string& option, const std::string& text) {
    const std::optional<int> passes = rcp::ParseLoopPasses(text);
    if (!passes || text != std::string(rcp::TrimBlanks(text)))
        throw UsageError(option + " needs a whole number from 1 to " +
                         std::to_string(rcp::kMaxLoopPasses) + ", not \"" + text + "\"");
    return *passes;
}

double Seconds(const std::string& option, const std::string& text) {
    const std::optional<double> seconds = rcp::ParseFadeSeconds(text);
    if (!seconds || text != std::string(rcp::TrimBlanks(text)))
        throw UsageError(option + " needs seconds from 0 to " +
                         std::to_string(rcp::kMaxFadeSeconds) + ", not \"" + text + "\"");
    return *seconds;
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
    Arguments arguments;
    std::vector<std::string> files;
    for (size_t index = 0; index < words.size(); ++index) {
        const std::string& word = words[index];
        const auto value = [&]() -> const std::string& {
            if (index + 1 == words.size()) throw UsageError(word + " needs a value");
            return words[++index];
        };
        if (word == "--help" || word == "-h") {
            arguments.mode = Mode::Help;
            return arguments;
        } else if (word == "--loops") {
            arguments.loops = Passes(word, value());
        } else if (word == "--fade") {
            arguments.fade = Seconds(word, value());
        } else if (word == "--target") {
            const std::string& text = value();
            const std::optional<mt32::Target> target = mt32::ParseTarget(text);
            if (!target || text != std::string(rcp::TrimBlanks(text)))
                throw UsageError("--target needs none, gs or gm, not \"" + text + "\"");
            arguments.target = *target;
        } else if (word == "--no-control-files") {
            arguments.controlFiles = false;
        } else if (word == "--knife") {
            arguments.knifeConfig = value();
            if (arguments.knifeConfig.empty()) throw UsageError("--knife needs a file name");
        } else if (word == "--ch10") {
            arguments.ch10 = true;
        } else if (word == "--bank") {
            arguments.bank = true;
        } else if (word == "--cc64") {
            arguments.cc64 = true;
        } else if (word == "--no-mac-cut") {
            arguments.macCut = false;
        } else if (word == "--info") {
            arguments.mode = Mode::Info;
        } else if (word == "--json") {
            arguments.json = true;
        } else if (word == "--out-dir") {
            arguments.outDir = value();
            if (arguments.outDir.empty()) throw UsageError("--out-dir needs a folder name");
        } else if (word == "--jobs") {
            arguments.jobs = Count(word, value(), 256);
        } else if (word == "--force") {
            arguments.force = true;
        } else if (word.size() > 1 && word[0] == '-') {
            throw UsageError("unknown option " + word);
        } else {
            files.push_back(word);
        }
    }
    const bool knifeOption =
        arguments.ch10 || arguments.bank || arguments.cc64 || !arguments.macCut;
    if (knifeOption && arguments.knifeConfig.empty())
        throw UsageError("--ch10, --bank, --cc64 and --no-mac-cut need --knife CONFIG.cfg");
    const bool info = arguments.mode == Mode::Info;
    const bool batch = !arguments.outDir.empty();
    if (info && batch) throw UsageError("--info and --out-dir do not go together");
    if (arguments.json && !info) throw UsageError("--json goes with --info");
    if ((arguments.jobs != 0 || arguments.force) && !batch)
        throw UsageError("--jobs and --force go with --out-dir");
    if (info || batch) {
        if (files.empty())
            throw UsageError(info ? "--info needs a song file"
                                  : "--out-dir needs songs or folders");
        arguments.paths = files;
        return arguments;
    }
    if (files.size() != 2) throw UsageError("needs a song file and an output file");
    arguments.song = files[0];
    arguments.output = files[1];
    return arguments;
}

const char* UsageText() {
    return "usage: vellacord-convert [OPTIONS] SONG OUT.mid\n"
           "       vellacord-convert [OPTIONS] --out-dir DIR [--jobs N] [--force] PATH...\n"
           "       vellacord-convert [OPTIONS] --info [--json] PATH...\n"
           "  OPTIONS: [--loops N] [--fade S] [--no-control-files] [--target none|gs|gm]\n"
           "           [--knife CONFIG.cfg [--ch10] [--bank] [--cc64] [--no-mac-cut]]\n"
           "  Converts an RCP-family song (RCP, R36, G36, G18) into a Standard MIDI File.\n"
           "  With --knife, post-processes a MIDI file (or the converted song) as the\n"
           "  configuration file says and prints what each rule changed:\n"
           "  --ch10               merge rhythm parts into channel 10\n"
           "  --bank               remove bank selects that no program change follows\n"
           "  --cc64               replace the sustain pedal by note lengths\n"
           "  --no-mac-cut         refuse a MacBinary header instead of cutting it off\n"
           "  --loops N            how often an endless loop plays before the song fades out,\n"
           "                       1 to 99 (default 2)\n"
           "  --fade S             how many seconds a song with an endless loop fades out while\n"
           "                       the loop plays on, 0 to 60 (default 10; with 0 each loop\n"
           "                       plays its passes and the song ends with its longest track)\n"
           "  --no-control-files   do not send the CM6/GSD setup files the song names\n"
           "  --target T           render a song written for the MT-32 (it names a CM6 file\n"
           "                       or sends MT-32 exclusives) for a GS or GM synthesizer:\n"
           "                       none (as written, the default), gs or gm\n"
           "  --info               print the song's variant, title, timebase, tempo, tracks\n"
           "                       and its playing length with these settings\n"
           "  --json               with --info: one JSON object per song and line\n"
           "  --out-dir DIR        convert every song of each PATH (a song, or a folder\n"
           "                       searched through) into DIR, keeping the folders' layout\n"
           "  --jobs N             songs converted at once (default: one per core)\n"
           "  --force              convert again where DIR already holds the output\n";
}

}  // namespace cli
