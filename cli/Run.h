// One function per mode of the command line; each returns the process exit code and prints its
// own one-line message on failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Arguments.h"

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Prints "vellacord-convert: FILE: WHAT" on the error stream; returns kExitFailed.
int Fail(const std::string& file, const std::string& what);

// The song's Standard MIDI File, with the loop and control-file choices of the arguments and
// the control files looked for beside the song. Raises on any failure.
std::vector<uint8_t> ConvertSong(const Arguments& arguments, const std::vector<uint8_t>& song);

int RunConvert(const Arguments& arguments);
int RunInfo(const Arguments& arguments);
// --knife: post-processes a MIDI file, or converts a song and post-processes the result.
int RunKnife(const Arguments& arguments);

}  // namespace cli
