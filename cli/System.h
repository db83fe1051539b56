// The few calls of the command line that differ between systems, one file per system
// (cli/posix/, cli/win32/). Paths are UTF-8 on both; Windows gets them through its wide calls.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// The words after the program name, as UTF-8 (Windows reads them from the wide command line,
// so names outside the system's code page arrive intact).
std::vector<std::string> CommandLineWords(int argc, char** argv);

// An existing file opened for binary reading; null when it cannot be opened.
std::FILE* OpenForReading(const std::string& path);

// A new file opened for binary writing, never one that exists already (ours or anybody's);
// null when it cannot be created, with errno EEXIST when the name is taken.
std::FILE* CreateNewFile(const std::string& path);

// Bytes that end a folder name in a path: "/" here, "\\", "/" and ":" on Windows.
extern const char kPathSeparators[];

unsigned long ProcessId();

}  // namespace cli
