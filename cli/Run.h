// One function per mode of the command line; each returns the process exit code and prints its
// own one-line message on failure.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "knife/Config.h"
#include "knife/Knife.h"
#include "rcp/Convert.h"

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// A run over many songs stopped on request (Ctrl-C and the like), as shells report it.
constexpr int kExitStopped = 130;

// Prints "vellacord-convert: FILE: WHAT" on the error stream; returns kExitFailed.
int Fail(const std::string& file, const std::string& what);

// Answers whether to go on, from 0 to 100 percent; empty: always.
using Progress = std::function<bool(int percent)>;

// The conversion settings of the arguments for the song at `path` (UTF-8), whose control files
// are looked for beside it.
rcp::Options SongOptions(const Arguments& arguments, const std::string& path,
                         const Progress& progress = {});

// The song's Standard MIDI File. Raises on any failure. `rendering`, when given, gets what
// rendering an MT-32 song for --target changed (nothing when it was not rendered).
std::vector<uint8_t> ConvertSong(const Arguments& arguments, const std::string& path,
                                 const std::vector<uint8_t>& song, const Progress& progress = {},
                                 std::vector<std::string>* rendering = nullptr);

// The configuration file of --knife. Raises on any failure.
knife::Config ReadKnifeConfig(const Arguments& arguments);

// --knife on one file: a song is converted first, a MIDI file taken as it is; then the
// post-processor runs. Raises on any failure.
std::vector<uint8_t> KnifeFile(const Arguments& arguments, const knife::Config& config,
                               const std::string& path, std::vector<uint8_t> input,
                               knife::Report* report, const Progress& progress = {});

int RunConvert(const Arguments& arguments);
// --info: each song's description as text, or one JSON object per line.
int RunInfo(const Arguments& arguments);
// --knife: post-processes a MIDI file, or converts a song and post-processes the result.
int RunKnife(const Arguments& arguments);
// --out-dir: every song of the paths given, by several workers at once.
int RunBatch(const Arguments& arguments);

}  // namespace cli
