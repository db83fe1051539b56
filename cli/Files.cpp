#include "cli/Files.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace cli {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Everything up to the last separator. Windows passes names in code page 932, where the second
// byte of a character may be 0x5C: such a byte is part of the character, not a separator.
std::string FolderOf(const std::string& path) {
    size_t end = 0;
    for (size_t index = 0; index < path.size(); ++index) {
        const unsigned char byte = static_cast<unsigned char>(path[index]);
        if (byte == '/' || byte == '\\')
            end = index + 1;
        else if (IsLeadByte(byte) && index + 1 < path.size() && path[index + 1] != '/')
            ++index;
    }
    return path.substr(0, end);
}

char Folded(char letter) {
    return letter >= 'a' && letter <= 'z' ? char(letter - 32) : letter;
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t index = 0; index < a.size(); ++index)
        if (Folded(a[index]) != Folded(b[index])) return false;
    return true;
}

std::optional<std::vector<uint8_t>> ReadIfPresent(const std::string& path) {
    try {
        return ReadWholeFile(path);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

}  // namespace

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw FileError("cannot open the file");
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    if (std::ferror(file.get())) throw FileError("cannot read the file");
    return bytes;
}

void WriteFileWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = path + ".part";
    {
        File file(std::fopen(temporary.c_str(), "wb"));
        if (!file) throw FileError("cannot create the output file");
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
        const bool closed = std::fclose(file.release()) == 0;
        if (!written || !closed) {
            std::remove(temporary.c_str());
            throw FileError("cannot write the output file");
        }
    }
    // Renaming onto an existing file fails on Windows: make room first there.
    if (std::rename(temporary.c_str(), path.c_str()) != 0 &&
        (std::remove(path.c_str()), std::rename(temporary.c_str(), path.c_str()) != 0)) {
        std::remove(temporary.c_str());
        throw FileError("cannot put the output file in place");
    }
}

std::optional<std::vector<uint8_t>> ReadFileBeside(const std::string& beside,
                                                   const std::string& storedName) {
    if (storedName.empty() || storedName.find_first_of("/\\:") != std::string::npos)
        return std::nullopt;
    const std::string folder = FolderOf(beside);
    // Systems that ignore case find it at once; the others need a look through the folder.
    if (auto bytes = ReadIfPresent(folder + storedName)) return bytes;
    try {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(
                 folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder),
                 error)) {
            const std::string name = entry.path().filename().string();
            if (SameIgnoringCase(name, storedName)) return ReadIfPresent(folder + name);
        }
    } catch (const std::exception&) {
        // A name the system cannot show as bytes is not the one the song names.
    }
    return std::nullopt;
}

}  // namespace cli
