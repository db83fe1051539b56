// One function per mode of the command line; each returns the process exit code and prints its
// own one-line message on failure.
#pragma once

#include "cli/Arguments.h"

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int RunConvert(const Arguments& arguments);
int RunInfo(const Arguments& arguments);
// --knife: post-processes a MIDI file, or converts a song and post-processes the result.
int RunKnife(const Arguments& arguments);

}  // namespace cli
