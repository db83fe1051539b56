// Stopping a long run cleanly. Ctrl-C, a closed terminal or a termination request only raise a
// flag; the workers read it between songs and inside a conversion, so that no file is left
// half-written. One implementation per system (cli/posix, cli/win32), chosen by the build.
#pragma once

#include <cstdio>

namespace cli {

// From now on the requests above raise the flag instead of ending the process.
void CatchStopRequests();
bool StopRequested();
// The run has wound down: a system that ends the process once its handler returns (a closed
// console window) may do so now.
void StopHandled();

// Whether `stream` goes to a terminal (progress is shown there only).
bool IsTerminal(std::FILE* stream);

}  // namespace cli
