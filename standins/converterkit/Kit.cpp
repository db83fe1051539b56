#include "Kit.h"

#include <cstdio>
#include <cstring>

namespace standin {

namespace {

std::string Environment(const std::string& name) {
    char buffer[2048];
    const DWORD n = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string ReadTextFile(const std::string& path) {
    std::string text;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[1024];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// Export-name table entries replaced by HideExports, to put back on unload.
struct Replaced {
    DWORD* entry;
    DWORD original;
};
std::vector<Replaced> replaced;
// Replacement names live inside the image so that their offsets from the base are valid.
char namePool[1024];
std::size_t namePoolUsed = 0;

void SetEntry(DWORD* entry, DWORD value) {
    DWORD old = 0;
    VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &old);
    *entry = value;
    VirtualProtect(entry, sizeof *entry, old, &old);
}

}  // namespace

Steering ReadSteering(HMODULE self, const char* prefix) {
    Steering steering;
    std::string text = Environment(std::string(prefix) + "_STEER");
    if (text.empty()) {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(self, path, sizeof path);
        std::string control(path, n);
        const std::size_t dot = control.rfind('.');
        if (dot != std::string::npos) control.erase(dot);
        text = ReadTextFile(control + ".ctl");
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of(" ,;\t\r\n", pos);
        const std::string token = text.substr(pos, end == std::string::npos ? end : end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        if (token == "underscore-only")
            steering.underscoreOnly = true;
        else if (token == "no-object")
            steering.noObject = true;
        else if (token == "write-nothing")
            steering.writeNothing = true;
        else if (token.rfind("missing=", 0) == 0)
            steering.missing.insert(token.substr(8));
        else if (token.rfind("result=", 0) == 0)
            steering.result = static_cast<std::int32_t>(std::strtol(token.c_str() + 7, nullptr, 0));
        else if (token.rfind("log=", 0) == 0)
            steering.logPath = token.substr(4);
    }
    const std::string logPath = Environment(std::string(prefix) + "_LOG");
    if (!logPath.empty()) steering.logPath = logPath;
    return steering;
}

std::set<std::string> HiddenNames(const Steering& steering, const std::vector<std::string>& plain) {
    std::set<std::string> hidden;
    if (steering.underscoreOnly) hidden.insert(plain.begin(), plain.end());
    for (const std::string& name : steering.missing) {
        hidden.insert(name);
        hidden.insert("_" + name);
    }
    return hidden;
}

// The loader finds a name by binary search in the sorted name table. Each hidden name is
// pointed at a copy with a byte 0x01 appended: that copy sorts right where the original stood,
// so the table stays sorted, but no caller ever asks for it.
void HideExports(HMODULE self, const std::set<std::string>& hidden) {
    auto* const base = reinterpret_cast<unsigned char*>(self);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.VirtualAddress == 0) return;
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        const char* name = reinterpret_cast<const char*>(base + names[i]);
        const std::size_t length = std::strlen(name);
        if (hidden.count(name) == 0 || namePoolUsed + length + 2 > sizeof namePool) continue;
        char* copy = namePool + namePoolUsed;
        std::memcpy(copy, name, length);
        copy[length] = '\x01';
        copy[length + 1] = '\0';
        namePoolUsed += length + 2;
        replaced.push_back({&names[i], names[i]});
        SetEntry(&names[i], static_cast<DWORD>(reinterpret_cast<unsigned char*>(copy) - base));
    }
}

void RestoreExports(HMODULE) {
    for (const Replaced& r : replaced) SetEntry(r.entry, r.original);
    replaced.clear();
    namePoolUsed = 0;
}

void Log(const Steering& steering, const std::string& line) {
    if (steering.logPath.empty()) return;
    const HANDLE file =
        CreateFileA(steering.logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Quote(const char* text) {
    if (!text) return "NULL";
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p >= 0x20 && *p < 0x7F && *p != '"') {
            out.push_back(static_cast<char>(*p));
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", *p);
            out += buffer;
        }
    }
    return out + "\"";
}

std::string Hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

std::string HexBytes(const void* data, std::size_t size) {
    std::string out;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0 && i % 4 == 0) out.push_back(' ');
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
        out += buffer;
    }
    return out;
}

std::optional<std::uint64_t> FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<std::uint64_t> ReadThrough(const char* path) {
    if (!path) return std::nullopt;
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<char> buffer(64 * 1024);
    std::uint64_t total = 0;
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) &&
           read > 0)
        total += read;
    CloseHandle(file);
    return total;
}

namespace {

std::int64_t busyTicks = 0;

std::int64_t Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

}  // namespace

BusyScope::BusyScope() : start_(Ticks()) {}
BusyScope::~BusyScope() {
    busyTicks += Ticks() - start_;
}
CallerScope::CallerScope() : start_(Ticks()) {}
CallerScope::~CallerScope() {
    busyTicks -= Ticks() - start_;
}

bool WriteBytes(const char* path, const std::string& bytes) {
    const HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

}  // namespace standin

extern "C" std::int64_t __stdcall standinBusyTicks() {
    return standin::busyTicks;
}
