#include "standins/host/Transcript.h"

#include <windows.h>

#include <cstdio>

namespace host {

void Transcript::Line(const std::string& utf8) {
    if (muted_) return;
    // Raw bytes through the handle: the C runtime's text mode would re-encode or buffer them.
    const std::string line = utf8 + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &written, nullptr);
}

std::string Transcript::Hex(std::uintptr_t value) {
    char buffer[2 + 2 * sizeof(value) + 1];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return buffer;
}

}  // namespace host
