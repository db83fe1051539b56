#include "standins/host/ShellRecorder.h"

#include <string>

#include "standins/host/Text.h"

namespace host {
namespace {

Transcript* recording = nullptr;

std::string Quoted(const char* text) {
    return text ? "\"" + AnsiToUtf8(text) + "\"" : std::string("null");
}

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    if (!window || !::GetClassNameW(window, name, 64)) return "none";
    return ToUtf8(name);
}

HINSTANCE WINAPI RecordedShellExecuteA(HWND parent, const char* verb, const char* file,
                                       const char* parameters, const char* directory, int show) {
    // The file is looked up by the very bytes the plug-in handed over, as the shell would.
    const bool exists = file && ::GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES;
    if (recording)
        recording->Line("shell: ShellExecuteA(parent=" + ClassOf(parent) +
                        ", verb=" + Quoted(verb) + ", file=" + Quoted(file) +
                        ", parameters=" + Quoted(parameters) + ", directory=" + Quoted(directory) +
                        ", show=" + std::to_string(show) + ") exists=" + (exists ? "yes" : "no"));
    return reinterpret_cast<HINSTANCE>(42);  // above 32: what the shell answers on success
}

}  // namespace

bool RecordShellCalls(HMODULE module, Transcript& transcript) {
    const auto real = reinterpret_cast<ULONG_PTR>(
        ::GetProcAddress(::LoadLibraryW(L"shell32.dll"), "ShellExecuteA"));
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!real || !imports.VirtualAddress) return false;
    recording = &transcript;
    bool patched = false;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name; ++entry) {
        for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
             thunk->u1.Function; ++thunk) {
            if (thunk->u1.Function != real) continue;
            DWORD old = 0;
            ::VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, PAGE_READWRITE, &old);
            thunk->u1.Function = reinterpret_cast<ULONG_PTR>(&RecordedShellExecuteA);
            ::VirtualProtect(&thunk->u1.Function, sizeof thunk->u1.Function, old, &old);
            patched = true;
        }
    }
    return patched;
}

}  // namespace host
