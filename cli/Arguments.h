// The command line of vellacord-convert, parsed into one record that each mode reads.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "mt32/Target.h"

namespace cli {

enum class Mode { Convert, Info, Help };

struct Arguments {
    Mode mode = Mode::Convert;
    int loops = 2;     // passes of an endless loop
    double fade = 10;  // seconds a song with an endless loop fades out over after them
    bool controlFiles = true;
    mt32::Target target = mt32::Target::None;  // --target: MT-32 songs rendered for GS or GM
    std::string song;
    std::string output;
    // Many songs at once: each path a song or a folder searched for songs. --info takes them
    // too (one song or many); --out-dir says where the converted files go.
    std::vector<std::string> paths;
    std::string outDir;
    int jobs = 0;        // workers of a run with --out-dir; 0: one per core
    bool force = false;  // with --out-dir: convert again over existing outputs
    bool json = false;   // with --info: one JSON object per song and line
    // --knife CONFIG: post-process the result (or the MIDI file given) with this configuration.
    std::string knifeConfig;
    bool ch10 = false, bank = false, cc64 = false;
    bool macCut = true;  // on unless --no-mac-cut, as the settings dialog starts
};

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// `words` without the program name. Raises UsageError with a one-line reason.
Arguments ParseArguments(const std::vector<std::string>& words);

const char* UsageText();

}  // namespace cli
