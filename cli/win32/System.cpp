#include "cli/System.h"

#include <windows.h>
// After windows.h, which they rely on.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "cli/Files.h"
#include "cli/Text.h"

namespace cli {

namespace {

// Never fails: what is not UTF-16 (a lone surrogate) becomes U+FFFD.
std::string Utf8OfWide(const wchar_t* wide) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string utf8(size_t(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back();  // the terminating zero
    return utf8;
}

}  // namespace

std::vector<std::string> CommandLineWords(int, char**) {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> words(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    std::vector<std::string> utf8;
    for (int index = 1; words && index < count; ++index)
        utf8.push_back(Utf8OfWide(words.get()[index]));
    return utf8;
}

std::FILE* OpenForReading(const std::string& path) {
    return ::_wfopen(PathOf(path).c_str(), L"rb");
}

std::FILE* CreateNewFile(const std::string& path) {
    const int descriptor =
        ::_wopen(PathOf(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                 _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return nullptr;
    std::FILE* file = ::_fdopen(descriptor, "wb");
    if (!file) ::_close(descriptor);
    return file;
}

const char kPathSeparators[] = "\\/:";

unsigned long ProcessId() {
    return ::GetCurrentProcessId();
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    // No access asked for, only what the file system says of it; folders open too.
    const HANDLE handle = ::CreateFileW(
        PathOf(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = ::GetFileInformationByHandle(handle, &information);
    ::CloseHandle(handle);
    if (!known) return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        uint64_t(information.nFileIndexHigh) << 32 | information.nFileIndexLow};
}

void WriteText(std::FILE* stream, const std::string& utf8) {
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !::GetConsoleMode(handle, &mode)) {
        std::fwrite(utf8.data(), 1, utf8.size(), stream);
        return;
    }
    std::fflush(stream);
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
    for (size_t done = 0; done < wide.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(wide.size() - done, 8192));
        if (!::WriteConsoleW(handle, wide.data() + done, chunk, &written, nullptr) || !written)
            return;
        done += written;
    }
}

}  // namespace cli
