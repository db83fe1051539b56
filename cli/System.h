// The few calls of the command line that differ between systems, one file per system
// (cli/posix/, cli/win32/). Paths are UTF-8 on both; Windows gets them through its wide calls.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <tuple>
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

// What tells a file from every other, however its path is spelt: its device and file number
// (on Windows its volume's serial number and its file index).
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t file = 0;
    bool operator<(const FileIdentity& other) const {
        return std::tie(volume, file) < std::tie(other.volume, other.file);
    }
    bool operator==(const FileIdentity& other) const {
        return volume == other.volume && file == other.file;
    }
};

// Nothing when there is no such file or the system will not say.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace cli
