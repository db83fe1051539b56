// File access for the command line, with the standard library only so that the same code builds
// for Linux and Windows. Paths are passed through as the system gave them.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Writes to a temporary name in the same folder, then renames: the output appears whole or not
// at all, and a failure leaves no partial file behind.
void WriteFileWhole(const std::string& path, const std::vector<uint8_t>& bytes);

// The bytes of the file called `storedName` in the folder of `beside`, with the letters' case
// ignored (songs name their control files in whatever case their editor used); nothing when
// there is no such file.
std::optional<std::vector<uint8_t>> ReadFileBeside(const std::string& beside,
                                                   const std::string& storedName);

}  // namespace cli
