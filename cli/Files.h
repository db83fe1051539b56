// File access for the command line. Paths are UTF-8 on every system; PathOf makes the
// standard library's path of one, which on Windows reaches the wide file calls.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Writes to a new file of a short name no one uses in the destination's folder, then renames it
// over the destination: the output appears whole or not at all, whatever was there stays until the
// new file replaces it, and a failure leaves no partial file behind. A folder is never replaced.
void WriteFileWhole(const std::string& path, const std::vector<uint8_t>& bytes);

// The bytes of the file called `storedName` (code page 932, as songs hold it) in the folder of
// `beside`, with the case of ASCII letters ignored (songs name their control files in whatever
// case their editor used); nothing when there is no such file.
std::optional<std::vector<uint8_t>> ReadFileBeside(const std::string& beside,
                                                   const std::string& storedName);

}  // namespace cli
