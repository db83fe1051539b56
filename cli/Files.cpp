#include "cli/Files.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "cli/System.h"
#include "cli/Text.h"
#include "dll/common/FileNames.h"
#include "rcp/Convert.h"

namespace cli {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::optional<std::vector<uint8_t>> ReadIfPresent(const std::string& path) {
    try {
        return ReadWholeFile(path);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

void RemoveQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(PathOf(path), ignored);
}

}  // namespace

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::u8path(utf8);
}

std::string Utf8Of(const std::filesystem::path& path) {
    return path.u8string();
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    const File file(OpenForReading(path));
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
    std::error_code error;
    if (std::filesystem::is_directory(PathOf(path), error))
        throw FileError("is a folder, not a file");
    // The process and a serial number make the name unlikely to be taken; exclusive creation
    // makes sure that a file of that name, whoever it belongs to, is never opened. The name is
    // short and not made from the output's, which may already be as long as a name can be.
    static std::atomic<unsigned> serial{0};
    const std::string folder = filenames::FolderOf(path, filenames::NoLeadBytes, kPathSeparators);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary =
            folder + ".~vc" + std::to_string(ProcessId()) + "-" + std::to_string(serial++) + ".tmp";
        File file(CreateNewFile(temporary));
        if (!file) {
            if (errno == EEXIST) continue;
            throw FileError("cannot create the output file");
        }
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
        const bool closed = std::fclose(file.release()) == 0;
        if (!written || !closed) {
            RemoveQuietly(temporary);
            throw FileError("cannot write the output file");
        }
        // One step that replaces the old output (on Windows a move with replacement), so the
        // old file is there until the new one is.
        std::filesystem::rename(PathOf(temporary), PathOf(path), error);
        if (error) {
            RemoveQuietly(temporary);
            throw FileError("cannot put the output file in place");
        }
        return;
    }
    throw FileError("cannot create the output file");
}

std::optional<std::vector<uint8_t>> ReadFileBeside(const std::string& beside,
                                                   const std::string& storedName) {
    // A stored name is a bare name: anything naming a folder could reach outside the song's.
    if (storedName.empty() ||
        !filenames::FolderOf(storedName, rcp::IsCp932LeadByte, "\\/:").empty())
        return std::nullopt;
    const std::string folder = filenames::FolderOf(beside, filenames::NoLeadBytes, kPathSeparators);
    const std::string wanted = Utf8FromCp932(storedName);
    // Systems that ignore case find it at once; the others need a look through the folder.
    if (auto bytes = ReadIfPresent(folder + wanted)) return bytes;
    try {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(
                 folder.empty() ? std::filesystem::path(".") : PathOf(folder), error)) {
            const std::string name = Utf8Of(entry.path().filename());
            // Folders unpacked without renaming keep the song's code page 932 bytes as names.
            if (filenames::SameFileName(name, wanted, filenames::NoLeadBytes) ||
                filenames::SameFileName(name, storedName, rcp::IsCp932LeadByte))
                return ReadIfPresent(folder + name);
        }
    } catch (const std::exception&) {
        // A name the system cannot show as UTF-8 is not the one the song names.
    }
    return std::nullopt;
}

}  // namespace cli
