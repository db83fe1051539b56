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

#include "mt32/Target.h"
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
    // How often an endless loop (count 0, or 255 which songs use the same way) plays before the
    // song fades out, or ends when there is no fade.
    int endlessLoopPasses = 2;
    // Seconds over which a song with an endless loop fades to silence once every endless loop has
    // played its passes and every track without one has ended, the loops playing on meanwhile;
    // with 0 each loop plays its passes, its track goes on after it, and the song ends with its
    // longest track. Up to 600; anything else is refused with an Error.
    double fadeSeconds = 10.0;
    // Whether the CM6/GSD control files named by the song are looked for and sent as setup.
    bool controlFiles = true;
    // Returns the bytes of the control file the song names (its stored 8.3 name, code page 932),
    // found beside the song whatever the case of its letters; nothing when there is none.
    std::function<std::optional<std::vector<uint8_t>>(const std::string& storedName)>
        readControlFile;
    // The synthesizer a song written for the MT-32 family is rendered for; None keeps the song
    // as written, byte for byte.
    mt32::Target target = mt32::Target::None;
    // Called with one plain line naming the control file when that file, or a part of it, is
    // not sent because it is damaged; the song is converted all the same.
    std::function<void(const std::string& line)> warning;
    // Progress from 0 to 100; answering false stops the conversion (Stopped is raised).
    std::function<bool(int percent)> progress;
};

// How the converted file plays, in seconds through the tempo map.
struct PlayingTime {
    double seconds = 0;    // the whole file: setup, every pass and the fade included
    bool endless = false;  // the song holds an endless loop
    // One pass of the endless loop that ends last, when there is one.
    std::optional<double> loopPassSeconds;
    // Where the fade begins and ends, when the song fades.
    std::optional<double> fadeStartSeconds;
    std::optional<double> fadeEndSeconds;
};

// Whether a song was written for the MT-32 family, and how it says so.
struct Mt32Data {
    std::string setupName;    // the CM6 file the song names, as stored; empty when none
    size_t songDataSets = 0;  // MT-32 data sets the song itself sends (its CM6's not counted)
    bool present() const { return !setupName.empty() || songDataSets > 0; }
    // Filled when the song was rendered for another synthesizer: what that changed, the summary
    // line first.
    std::vector<std::string> rendering;
};

// What `vellacord-convert --info` shows and the library's file-type query answers.
struct SongInfo {
    enum class Variant { Rcp2, R36, Rcp3G36, G18 } variant = Variant::Rcp2;
    std::string title;  // as stored (code page 932), trailing blanks removed
    int timebase = 48;
    int tempo = 120;                     // quarter notes per minute, from the header
    int tracks = 0;                      // track records in the file
    std::vector<std::string> memoLines;  // each as stored, trailing blanks removed
    int numerator = 4, denominator = 4;  // time signature, as stored
    // The CM6 file's name, then the GSD files' (port A, then B), as stored; unnamed ones left out.
    std::vector<std::string> controlFiles;
    std::vector<std::string> trackMemos;
    std::vector<size_t> trackEventCounts;  // stored events per track record
    // Per track: 0-15 channels 1-16 of port A, 16-31 those of port B; nothing when off.
    std::vector<std::optional<int>> trackChannels;
    // Filled by Convert only; Inspect reads no further than the records.
    std::optional<PlayingTime> playingTime;
    Mt32Data mt32;
};

const char* VariantName(SongInfo::Variant variant);

// Whether `byte` starts a double-byte character of code page 932, the encoding of songs' texts.
bool IsCp932LeadByte(uint8_t byte);

// Whether the data starts with the signature of an RCP-family song (whatever else is wrong).
bool HasSongSignature(const uint8_t* data, size_t size);

// Reads the header and track records only (no expansion).
SongInfo Inspect(const uint8_t* data, size_t size);

// Converts a whole song. `info`, when given, is filled as by Inspect.
smf::File Convert(const uint8_t* data, size_t size, const Options& options,
                  SongInfo* info = nullptr);

}  // namespace rcp
