#include "standins/host/Registry.h"

#include <windows.h>

#include "standins/host/Text.h"

namespace host {

std::wstring ExecutablePath() {
    std::wstring path(32768, L'\0');
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path;
}

std::wstring ExecutableFolder() {
    const std::wstring path = ExecutablePath();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

void WriteAppPath(const std::wstring& path, Transcript& transcript) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(
        HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ORVO.EXE", 0,
        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status =
            ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                             static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
    transcript.Line(status == ERROR_SUCCESS
                        ? "host: App Paths ORVO.EXE = " + ToUtf8(path)
                        : "host: FAIL cannot write App Paths, error " + std::to_string(status));
}

void EnsureIniFile(const std::wstring& path, Transcript& transcript) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        transcript.Line("host: created " + ToUtf8(path));
    }
}

}  // namespace host
