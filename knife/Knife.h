// The post-processor: reads a Standard MIDI File (format 0 or 1, bare, in a RIFF "RMID" wrapper
// or behind a MacBinary header) and rewrites it as its configuration and four options say.
// Portable: bytes in, bytes out; the caller reads and writes the files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace knife {

enum class Failure {
    NotSmf = 2,     // not a Standard MIDI File we can process (format 2 included)
    BadConfig = 3,  // the configuration file has a line we do not understand
    Stopped = 5,    // the progress callback asked to stop
};

class Error : public std::runtime_error {
  public:
    Error(Failure failure, const std::string& message, int line = 0)
        : std::runtime_error(message), failure(failure), line(line) {}
    Failure failure;
    int line;  // the configuration line at fault, 1-based; 0 when not about a line
};

// The four switches of the options record, already decoded to "on" / "off".
struct Options {
    bool ch10 = false;    // rhythm parts merged into channel 10
    bool bank = false;    // bank-select exception handling
    bool cc64 = false;    // sustain pedal replaced by note lengths
    bool macCut = false;  // a MacBinary header in front of "MThd" is removed
};

// The option words as the plug-in's record carries them: Ch10, Bank and CC64 are on at 0;
// Mac is on at any nonzero value.
Options OptionsFromWords(int32_t ch10, int32_t bank, int32_t cc64, int32_t mac);

struct Config;  // parsed configuration file (knife/Config.h)

// What a run changed, for the command line and the demo transcript ("CC64: 212 pedal messages
// removed, 48 notes lengthened"); one plain line per rule that did something.
struct Report {
    std::vector<std::string> lines;
};

// Processes `data` and returns the new file's bytes. Raises Error on any failure.
std::vector<uint8_t> Process(const uint8_t* data, size_t size, const Config& config,
                             const Options& options, Report* report = nullptr,
                             const std::function<bool(int percent)>& progress = {});

}  // namespace knife
