#include "dll/common/FileAccess.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "dll/common/FileNames.h"

namespace dllfront {
namespace {

// Closes a file handle on every path out.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!Valid()) return true;
        const bool closed = ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

  private:
    HANDLE handle_;
};

// The system's own test, so that a path splits as the system splits it in any code page.
bool IsAnsiLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != 0;
}

bool WriteAll(HANDLE file, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* path, std::size_t limit) {
    if (!path || !*path) return std::nullopt;
    FileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return std::nullopt;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > limit)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!::ReadFile(file.Get(), bytes.data() + done, chunk, &got, nullptr)) return std::nullopt;
        if (got == 0) break;  // the file shrank while we read it: keep what is there
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool WriteWholeOrNothing(const char* path, const std::vector<std::uint8_t>& bytes) {
    if (!path || !*path) return false;
    // Renaming over a read-only file would quietly defeat its protection (some systems allow
    // it), and a folder cannot be replaced by a file.
    const DWORD existing = ::GetFileAttributesA(path);
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    // A name no one else uses: the destination's own name, the process and an attempt number.
    // CREATE_NEW never opens a file that is already there, ours or anybody's.
    const std::string base = std::string(path) + ".~" + std::to_string(::GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = base + "-" + std::to_string(attempt) + ".tmp";
        FileHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            if (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return false;  // the folder is missing or not writable
        }
        const bool complete = WriteAll(file.Get(), bytes) && file.Close();
        if (complete && ::MoveFileExA(temporary.c_str(), path,
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        file.Close();
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    return false;
}

std::string FolderOf(const std::string& path) {
    return filenames::FolderOf(path, IsAnsiLeadByte, "\\/:");
}

bool SameFileName(const std::string& a, const std::string& b) {
    return filenames::SameFileName(a, b, IsAnsiLeadByte);
}

std::optional<std::string> FindInFolder(const std::string& folder, const std::string& name) {
    if (name.empty()) return std::nullopt;
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> match;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // A song made on an old system stores the short form of a long name.
        if (SameFileName(found.cFileName, name) ||
            (found.cAlternateFileName[0] && SameFileName(found.cAlternateFileName, name)))
            match = folder + found.cFileName;
    } while (!match && ::FindNextFileA(search, &found));
    ::FindClose(search);
    return match;
}

}  // namespace dllfront
