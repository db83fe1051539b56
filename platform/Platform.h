// The seam over the operating system. Every system service the plug-in uses goes through
// IPlatform: the DLL ships a thin Win32 implementation, the native tests a recording fake.
// Texts are byte strings in a code page (the process's ANSI code page unless a function says
// otherwise); wide texts are UTF-16.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Abi.h"

namespace platform {

// Constants with their Win32 values, so that logic never needs the system headers.
constexpr std::uint32_t kMbOk = 0x00;
constexpr std::uint32_t kMbIconError = 0x10;
constexpr std::uint32_t kMbIconExclamation = 0x30;  // also the warning icon
constexpr std::uint32_t kMbIconWarning = 0x30;
constexpr std::uint32_t kMbOkCancel = 0x01;
constexpr std::uint32_t kMbTaskModal = 0x2000;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr int kSwShowNormal = 1;
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
constexpr Handle kHwndBroadcast = 0xFFFF;
constexpr std::uint32_t kSmtoBlock = 0x0001;
constexpr std::uint32_t kSmtoAbortIfHung = 0x0002;
constexpr std::uint32_t kOfnHideReadOnly = 0x00000004;
constexpr std::uint32_t kOfnPathMustExist = 0x00000800;
constexpr std::uint32_t kOfnFileMustExist = 0x00001000;
constexpr std::uint32_t kOfnEnableSizing = 0x00800000;
constexpr std::uint32_t kClsCtxServer = 0x15;  // in-process, local or remote
constexpr unsigned kCodePage932 = 932;

enum class RegRoot { LocalMachine, CurrentUser };

// Window procedure of a hidden message window: (message, wParam, lParam) -> result.
using WindowProc = std::function<std::intptr_t(std::uint32_t, std::uintptr_t, std::intptr_t)>;

struct ProcessStart {
    std::string applicationName;
    std::string commandLine;                // empty: no command line
    std::optional<std::string> currentDir;  // none: the caller's
};

struct OpenFileRequest {
    Handle owner = 0;
    std::string title;          // in `textCodePage`
    std::string filter;         // description|pattern pairs separated by '|', in `textCodePage`
    unsigned textCodePage = 0;  // 0: the process's ANSI code page
    int filterIndex = 1;
    std::string initialFile;  // paths in the process's ANSI code page
    std::string defaultExt;
    std::uint32_t flags = 0;
};

class IPlatform {
  public:
    virtual ~IPlatform() = default;

    // Named mutex.
    virtual Handle CreateMutex(const std::string& name) = 0;  // not owned, no security attributes
    virtual std::uint32_t GetLastError() = 0;
    virtual bool ReleaseMutex(Handle mutex) = 0;
    virtual bool CloseHandle(Handle handle) = 0;

    // Beep and message box. `text` and `caption` are bytes in `codePage`; the box shows them
    // converted to UTF-16 so they read right whatever the system locale.
    virtual void MessageBeep(std::uint32_t type) = 0;
    virtual int MessageBox(Handle owner, const std::string& text, const std::string& caption,
                           std::uint32_t type, unsigned codePage) = 0;

    // Library loading. `path` is a full path: the system's own search (which reaches the
    // current directory and PATH) is never wanted, see LoadTrustedLibrary.
    virtual Handle LoadLibrary(const std::string& path) = 0;
    virtual void* GetProcAddress(Handle module, const std::string& name) = 0;
    virtual bool FreeLibrary(Handle module) = 0;
    virtual Handle ThisModule() = 0;  // the plug-in library's own instance handle
    // Full path of a loaded module's file; module 0 is the running program. Empty when unknown.
    virtual std::string ModuleFileName(Handle module) = 0;
    // The Windows system folder, without a trailing separator. Empty when unknown.
    virtual std::string SystemDirectory() = 0;

    // Window messaging.
    virtual std::uint32_t RegisterWindowMessage(const std::string& name) = 0;
    virtual Handle FindWindow(const std::string& className) = 0;
    virtual bool PostMessage(Handle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // Returns false on failure or time-out; `result` receives the message's result.
    virtual bool SendMessageTimeout(Handle window, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam, std::uint32_t flags,
                                    std::uint32_t timeoutMs, std::intptr_t& result) = 0;
    // An invisible top-level window of the calling thread whose messages go to `proc`.
    virtual Handle CreateMessageWindow(WindowProc proc) = 0;
    virtual void DestroyWindow(Handle window) = 0;
    virtual std::intptr_t DefWindowProc(Handle window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) = 0;

    // Common file-open dialog; none when the user cancels.
    virtual std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) = 0;

    // Shell.
    virtual std::intptr_t ShellExecute(Handle parent, const std::string& file, int show) = 0;

    // Profile (INI) files, read and written one value at a time; a file name without a folder
    // ("WIN.INI") lies in the Windows folder. A missing value reads as `def`.
    virtual std::string GetProfileString(const std::string& file, const std::string& section,
                                         const std::string& key, const std::string& def) = 0;
    // `value` none deletes the key.
    virtual bool WriteProfileString(const std::string& file, const std::string& section,
                                    const std::string& key,
                                    const std::optional<std::string>& value) = 0;

    // Registry: the default value of a key as a string; none when the key does not open,
    // empty when it opens but the value cannot be read.
    virtual std::optional<std::string> ReadRegistryDefault(RegRoot root,
                                                           const std::string& subKey) = 0;

    // Processes.
    virtual Handle CreateProcess(const ProcessStart& start) = 0;  // 0 on failure
    virtual std::uint32_t WaitForInputIdle(Handle process, std::uint32_t timeoutMs) = 0;
    virtual std::uint32_t CurrentProcessId() = 0;
    virtual std::vector<std::string> CommandLineArguments() = 0;  // after the program name

    // Files and directories.
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual std::string GetCurrentDirectory() = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
    virtual std::string GetFullPathName(const std::string& path) = 0;

    // COM.
    virtual HResult CoInitialize() = 0;
    virtual void CoUninitialize() = 0;
    virtual HResult CoCreateInstance(const Guid& clsid, std::uint32_t context, const Guid& iid,
                                     void** object) = 0;
    virtual Bstr SysAllocString(const std::u16string& text) = 0;
    virtual void SysFreeString(Bstr text) = 0;
    // The system's own description of a status code, in the ANSI code page, without a trailing
    // line break; empty when the system has none.
    virtual std::string DescribeStatus(HResult status) = 0;

    // UTF-16 text.
    virtual unsigned AnsiCodePage() = 0;
    virtual std::u16string ToUtf16(const std::string& bytes, unsigned codePage) = 0;
    virtual std::string FromUtf16(const std::u16string& text, unsigned codePage) = 0;
};

// The folders an outside library of the plug-in is loaded from, each with its trailing
// separator, in the order they are tried: the host program's folder (where installations have
// always put them), the plug-in's own folder, the system folder. Never the current directory
// or PATH: the current directory follows the user's browsing, and a song folder must not be
// able to plant code in the player.
std::vector<std::string> LibraryFolders();
// Loads `fileName` by full path from the first of LibraryFolders() that has it; 0 when none.
Handle LoadTrustedLibrary(const std::string& fileName);

// The platform in use. The DLL uses the Win32 implementation unless a test installs another.
IPlatform& Os();
// Installs `platform` (not owned) for every later call; null restores the default.
void SetPlatform(IPlatform* platform);
// The build's default platform, defined by exactly one implementation linked into the binary.
IPlatform& DefaultPlatform();

}  // namespace platform
