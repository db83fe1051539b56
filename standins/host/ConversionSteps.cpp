// Script steps that follow conversions: play a file and keep a copy of what the host got and of
// new intermediate files beside it (the plug-in deletes its cache files later), and print what a
// converter's log gained since the last look.
#include <windows.h>

#include <map>
#include <set>

#include "standins/host/ScriptRunner.h"
#include "standins/host/StepWords.h"
#include "standins/host/Text.h"

namespace host {
namespace {

std::wstring keepFolder;
int kept = 0;
std::set<std::wstring> keptCacheFiles;
std::map<std::wstring, LONGLONG> logOffsets;

std::string NewLogText(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER offset;
    offset.QuadPart = logOffsets[path];
    ::SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        content.append(buffer, read);
    ::CloseHandle(file);
    logOffsets[path] += static_cast<LONGLONG>(content.size());
    return content;
}

}  // namespace

ScriptRunner::Outcome ScriptRunner::ConversionStep(const std::vector<std::string>& words,
                                                   const std::string& line) {
    const std::string& name = words[0];
    if (name == "keep-folder" && words.size() >= 2) {
        keepFolder = ExpandedPath(Rest(line));
        ::CreateDirectoryW(keepFolder.c_str(), nullptr);
    } else if (name == "play-keep" && words.size() >= 2) {
        if (!RequireLoaded(name)) return Outcome::Failed;
        const std::string given = ToAnsi(FromUtf8(Rest(line)));
        const char* result = library_.openPlayFile(given.c_str());
        const std::string got = result ? result : "";
        transcript_.Line("open: result=" + (result ? AnsiToUtf8(got) : std::string("(null)")) +
                         " same-pointer=" + (result == given.c_str() ? "yes" : "no"));
        const std::wstring source = FromAnsi(got);
        if (result == given.c_str() || keepFolder.empty()) return Outcome::Done;
        if (::GetFileAttributesW(source.c_str()) == INVALID_FILE_ATTRIBUTES) {
            transcript_.Line("kept: FAIL the host got a path to no file");
            return Outcome::Done;
        }
        const std::wstring folder = source.substr(0, source.find_last_of(L"\\/") + 1);
        const auto keep = [&](const std::wstring& name) {
            const std::wstring copy = std::to_wstring(++kept) + L"-" + name;
            ::CopyFileW((folder + name).c_str(), (keepFolder + L"\\" + copy).c_str(), FALSE);
            transcript_.Line("kept: " + ToUtf8(copy));
            keptCacheFiles.insert(folder + name);
        };
        // Intermediate files of a chained conversion lie beside the result: keep each once.
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW((folder + L"VLCRD*.mid").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (folder + name != source && !keptCacheFiles.count(folder + name)) keep(name);
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        keep(source.substr(folder.size()));
    } else if (name == "log-new" && words.size() == 3) {
        const std::string text = NewLogText(ExpandedPath(words[1]));
        std::size_t start = 0, calls = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string entry = text.substr(start, end - start);
            if (!entry.empty() && entry.back() == '\r') entry.pop_back();
            if (!entry.empty()) transcript_.Line(words[2] + ": " + AnsiToUtf8(entry));
            calls += entry.empty() ? 0 : 1;
            start = end + 1;
        }
        if (calls == 0) transcript_.Line(words[2] + ": (no calls)");
    } else {
        return Outcome::NotMine;
    }
    return Outcome::Done;
}

}  // namespace host
