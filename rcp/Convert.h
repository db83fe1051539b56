// Conversion of an RCP-family song (RCP 2.x, R36, RCP 3.0 / G36, G18) into a Standard MIDI File.
// Portable: the caller reads the song and any control file; this code only sees bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "smf/Smf.h"

namespace rcp {

// Anything that makes a song unconvertible: not an RCP-family file, truncated, a structure that
// points nowhere, an expansion past the length cap. `what()` is one plain English line.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The progress callback answered false: the conversion was abandoned on request.
class Stopped : public Error {
  public:
    Stopped() : Error("conversion stopped") {}
};

struct Options {
    // How often a loop with count 0 (endless) plays before the conversion moves on.
    int endlessLoopPasses = 2;
    // Whether the CM6/GSD control files named by the song are looked for and sent as setup.
    bool controlFiles = true;
    // Returns the bytes of the control file the song names (its stored 8.3 name, code page 932),
    // found beside the song whatever the case of its letters; nothing when there is none.
    std::function<std::optional<std::vector<uint8_t>>(const std::string& storedName)>
        readControlFile;
    // Progress from 0 to 100; answering false stops the conversion (Stopped is raised).
    std::function<bool(int percent)> progress;
};

// What `vellacord-convert --info` shows and the library's file-type query answers.
struct SongInfo {
    enum class Variant { Rcp2, R36, Rcp3G36, G18 } variant = Variant::Rcp2;
    std::string title;  // as stored (code page 932), trailing blanks removed
    int timebase = 48;
    int tempo = 120;  // quarter notes per minute, from the header
    int tracks = 0;   // track records in the file
    std::vector<std::string> trackMemos;
    std::vector<size_t> trackEventCounts;  // stored events per track record
};

const char* VariantName(SongInfo::Variant variant);

// Reads the header and track records only (no expansion).
SongInfo Inspect(const uint8_t* data, size_t size);

// Converts a whole song. `info`, when given, is filled as by Inspect.
smf::File Convert(const uint8_t* data, size_t size, const Options& options,
                  SongInfo* info = nullptr);

}  // namespace rcp
