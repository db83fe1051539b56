// The system platform on Windows: each operation is one or a few Win32 calls.
#include <windows.h>
// clang-format off
#include <commdlg.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <vector>

#undef CreateMutex
#undef GetLastError
#undef MessageBox
#undef LoadLibrary
#undef RegisterWindowMessage
#undef FindWindow
#undef PostMessage
#undef SendMessageTimeout
#undef DefWindowProc
#undef GetOpenFileName
#undef ShellExecute
#undef GetProfileString
#undef CreateProcess
#undef DeleteFile
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetFullPathName

// After the undefs: the seam's operation names are the undecorated Win32 names.
#include "platform/Platform.h"

namespace platform {

namespace {

HWND Wnd(Handle h) {
    return reinterpret_cast<HWND>(h);
}
const wchar_t* Wide(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

const char kMessageWindowClass[] = "VellacordMessageWindow";

// The procedure of every message window created here; the WindowProc lives with the window.
// The WindowProc is attached only once CreateWindowExA has returned: the messages of creation
// (WM_NCCREATE and the rest) go to the default procedure, because the owner of the WindowProc
// does not know its window's handle before then and would answer them for no window.
LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* proc = reinterpret_cast<WindowProc*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY && proc) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete proc;
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    if (proc) return (*proc)(msg, wParam, lParam);
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

HINSTANCE ModuleOfThisCode() {
    HMODULE module = nullptr;
    GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(&ModuleOfThisCode), &module);
    return module;
}

class Win32Platform final : public IPlatform {
  public:
    Handle CreateMutex(const std::string& name) override {
        return reinterpret_cast<Handle>(::CreateMutexA(nullptr, FALSE, name.c_str()));
    }
    std::uint32_t GetLastError() override { return ::GetLastError(); }
    bool ReleaseMutex(Handle mutex) override {
        return ::ReleaseMutex(reinterpret_cast<HANDLE>(mutex));
    }
    bool CloseHandle(Handle handle) override {
        return ::CloseHandle(reinterpret_cast<HANDLE>(handle));
    }

    void MessageBeep(std::uint32_t type) override { ::MessageBeep(type); }
    int MessageBox(Handle owner, const std::string& text, const std::string& caption,
                   std::uint32_t type, unsigned codePage) override {
        const std::u16string wideText = ToUtf16(text, codePage);
        const std::u16string wideCaption = ToUtf16(caption, codePage);
        return ::MessageBoxW(Wnd(owner), Wide(wideText), Wide(wideCaption), type);
    }

    Handle LoadLibrary(const std::string& path) override {
        // The library's own imports are looked up from its folder first, not from the
        // current directory.
        return reinterpret_cast<Handle>(
            ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    }
    void* GetProcAddress(Handle module, const std::string& name) override {
        return reinterpret_cast<void*>(
            ::GetProcAddress(reinterpret_cast<HMODULE>(module), name.c_str()));
    }
    bool FreeLibrary(Handle module) override {
        return ::FreeLibrary(reinterpret_cast<HMODULE>(module));
    }
    Handle ThisModule() override { return reinterpret_cast<Handle>(ModuleOfThisCode()); }
    std::string ModuleFileName(Handle module) override {
        std::vector<char> buffer(MAX_PATH);
        for (;;) {
            const DWORD n = ::GetModuleFileNameA(reinterpret_cast<HMODULE>(module), buffer.data(),
                                                 static_cast<DWORD>(buffer.size()));
            if (n == 0) return {};
            if (n < buffer.size()) return std::string(buffer.data(), n);
            buffer.resize(buffer.size() * 2);  // truncated
        }
    }
    std::string SystemDirectory() override {
        char buffer[MAX_PATH];
        const UINT n = ::GetSystemDirectoryA(buffer, sizeof buffer);
        return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : std::string();
    }

    std::uint32_t RegisterWindowMessage(const std::string& name) override {
        return ::RegisterWindowMessageA(name.c_str());
    }
    Handle FindWindow(const std::string& className) override {
        return reinterpret_cast<Handle>(::FindWindowA(className.c_str(), nullptr));
    }
    bool PostMessage(Handle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
        return ::PostMessageA(Wnd(window), message, wParam, lParam);
    }
    bool SendMessageTimeout(Handle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, std::uint32_t flags, std::uint32_t timeoutMs,
                            std::intptr_t& result) override {
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutA(Wnd(window), message, wParam, lParam, flags, timeoutMs, &answer))
            return false;
        result = static_cast<std::intptr_t>(answer);
        return true;
    }
    Handle CreateMessageWindow(WindowProc proc) override {
        const HINSTANCE instance = ModuleOfThisCode();
        WNDCLASSA wc{};
        if (!::GetClassInfoA(instance, kMessageWindowClass, &wc)) {
            wc.lpfnWndProc = MessageWindowProc;
            wc.hInstance = instance;
            wc.lpszClassName = kMessageWindowClass;
            ::RegisterClassA(&wc);
        }
        auto* owned = new WindowProc(std::move(proc));
        // A hidden top-level (not message-only) window, so it also receives broadcasts.
        HWND hwnd = ::CreateWindowExA(0, kMessageWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, instance, nullptr);
        if (!hwnd) {
            delete owned;
            return 0;
        }
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned));
        return reinterpret_cast<Handle>(hwnd);
    }
    void DestroyWindow(Handle window) override { ::DestroyWindow(Wnd(window)); }
    std::intptr_t DefWindowProc(Handle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override {
        return ::DefWindowProcA(Wnd(window), message, wParam, lParam);
    }

    std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) override {
        // Wide dialog: its texts may be in a code page other than the process's.
        const unsigned textPage = request.textCodePage ? request.textCodePage : CP_ACP;
        std::u16string filter = ToUtf16(request.filter, textPage);
        for (char16_t& c : filter)
            if (c == u'|') c = u'\0';
        filter.append(2, u'\0');
        const std::u16string title = ToUtf16(request.title, textPage);
        const std::u16string defaultExt = ToUtf16(request.defaultExt, CP_ACP);
        std::u16string file = ToUtf16(request.initialFile, CP_ACP);
        file.resize(std::max<std::size_t>(file.size() + 1, 32768), u'\0');
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = Wnd(request.owner);
        ofn.lpstrFilter = Wide(filter);
        ofn.nFilterIndex = request.filterIndex;
        ofn.lpstrFile = reinterpret_cast<wchar_t*>(file.data());
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrTitle = Wide(title);
        ofn.lpstrDefExt = defaultExt.empty() ? nullptr : Wide(defaultExt);
        ofn.Flags = request.flags | OFN_EXPLORER;
        if (!::GetOpenFileNameW(&ofn)) return std::nullopt;
        return FromUtf16(std::u16string(file.c_str()), CP_ACP);
    }

    std::intptr_t ShellExecute(Handle parent, const std::string& file, int show) override {
        return reinterpret_cast<std::intptr_t>(
            ::ShellExecuteA(Wnd(parent), nullptr, file.c_str(), nullptr, nullptr, show));
    }

    std::string GetProfileString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& def) override {
        std::vector<char> buffer(2048);
        for (;;) {
            const DWORD n =
                ::GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                           static_cast<DWORD>(buffer.size()), file.c_str());
            if (n + 1 < buffer.size()) return std::string(buffer.data(), n);
            buffer.resize(buffer.size() * 2);
        }
    }
    bool WriteProfileString(const std::string& file, const std::string& section,
                            const std::string& key,
                            const std::optional<std::string>& value) override {
        return ::WritePrivateProfileStringA(section.c_str(), key.c_str(),
                                            value ? value->c_str() : nullptr, file.c_str());
    }

    std::optional<std::string> ReadRegistryDefault(RegRoot root,
                                                   const std::string& subKey) override {
        HKEY key = nullptr;
        const HKEY base = root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        if (RegOpenKeyExA(base, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return std::nullopt;
        std::string value;
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
            std::vector<char> data(size + 1, '\0');
            if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                 &size) == ERROR_SUCCESS)
                value = data.data();
        }
        RegCloseKey(key);
        return value;
    }

    Handle CreateProcess(const ProcessStart& start) override {
        STARTUPINFOA si{};
        si.cb = sizeof si;  // 68
        si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        si.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION pi{};
        std::vector<char> commandLine(start.commandLine.begin(), start.commandLine.end());
        commandLine.push_back('\0');
        if (!::CreateProcessA(start.applicationName.c_str(), commandLine.data(), nullptr, nullptr,
                              FALSE, 0, nullptr,
                              start.currentDir ? start.currentDir->c_str() : nullptr, &si, &pi))
            return 0;
        ::CloseHandle(pi.hThread);  // only the process is waited on
        return reinterpret_cast<Handle>(pi.hProcess);
    }
    std::uint32_t WaitForInputIdle(Handle process, std::uint32_t timeoutMs) override {
        return ::WaitForInputIdle(reinterpret_cast<HANDLE>(process), timeoutMs);
    }
    std::uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }
    std::vector<std::string> CommandLineArguments() override {
        std::vector<std::string> out;
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
        if (!args) return out;
        for (int i = 1; i < count; ++i) {
            std::u16string arg(reinterpret_cast<const char16_t*>(args[i]));
            out.push_back(FromUtf16(arg, CP_ACP));
        }
        LocalFree(args);
        return out;
    }

    bool FileExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool DeleteFile(const std::string& path) override { return ::DeleteFileA(path.c_str()); }
    std::string GetCurrentDirectory() override {
        std::vector<char> buffer(MAX_PATH * 4);
        const DWORD n = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        return n < buffer.size() ? std::string(buffer.data(), n) : std::string();
    }
    bool SetCurrentDirectory(const std::string& path) override {
        return ::SetCurrentDirectoryA(path.c_str());
    }
    std::string GetFullPathName(const std::string& path) override {
        std::vector<char> buffer(MAX_PATH * 4);
        const DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                           buffer.data(), nullptr);
        return (n > 0 && n < buffer.size()) ? std::string(buffer.data(), n) : path;
    }

    HResult CoInitialize() override { return ::CoInitialize(nullptr); }
    void CoUninitialize() override { ::CoUninitialize(); }
    HResult CoCreateInstance(const Guid& clsid, std::uint32_t context, const Guid& iid,
                             void** object) override {
        CLSID c;
        IID i;
        std::memcpy(&c, &clsid, sizeof c);
        std::memcpy(&i, &iid, sizeof i);
        return ::CoCreateInstance(c, nullptr, context, i, object);
    }
    Bstr SysAllocString(const std::u16string& text) override {
        return reinterpret_cast<Bstr>(::SysAllocStringLen(
            reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size())));
    }
    void SysFreeString(Bstr text) override { ::SysFreeString(reinterpret_cast<BSTR>(text)); }
    std::string DescribeStatus(HResult status) override {
        char* text = nullptr;
        const DWORD n = ::FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
        std::string out = n && text ? std::string(text, n) : std::string();
        if (text) LocalFree(text);
        while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' '))
            out.pop_back();
        return out;
    }

    unsigned AnsiCodePage() override { return GetACP(); }
    std::u16string ToUtf16(const std::string& bytes, unsigned codePage) override {
        if (bytes.empty()) return {};
        const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                          nullptr, 0);
        std::u16string out(n, u'\0');
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                            reinterpret_cast<wchar_t*>(out.data()), n);
        return out;
    }
    std::string FromUtf16(const std::u16string& text, unsigned codePage) override {
        if (text.empty()) return {};
        const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
        const int n = WideCharToMultiByte(codePage, 0, wide, static_cast<int>(text.size()), nullptr,
                                          0, nullptr, nullptr);
        std::string out(n, '\0');
        WideCharToMultiByte(codePage, 0, wide, static_cast<int>(text.size()), out.data(), n,
                            nullptr, nullptr);
        return out;
    }
};

}  // namespace

IPlatform& DefaultPlatform() {
    static Win32Platform instance;
    return instance;
}

}  // namespace platform
