// A recording stand-in for the operating system, for native unit tests.
//
// Every call is appended to `calls` as one line, "Name(arg, arg)", in order, so a test can say
// "beep 0x30, then a warning box with exactly these bytes, then Decline". State that the system
// would hold (mutexes, files, INI contents, windows, libraries, COM classes) lives in plain
// members that a test sets up and inspects. Installing a FakePlatform makes it the platform
// for the rest of its life.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace fake {

struct PostedMessage {
    platform::Handle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// A library the fake loader can hand out: exported names and their addresses.
using Exports = std::map<std::string, void*>;

// Creates a COM object for an interface id; S_OK with the object, or a failure status.
using ComFactory = std::function<platform::HResult(const platform::Guid& iid, void** object)>;

class FakePlatform : public platform::IPlatform {
  public:
    FakePlatform();
    ~FakePlatform() override;

    // ---- recorded calls ----
    std::vector<std::string> calls;
    // The recorded calls whose name is `name` (the part before the parenthesis).
    std::vector<std::string> CallsNamed(const std::string& name) const;
    void ClearCalls() { calls.clear(); }

    // ---- scripted behaviour and simulated state ----
    std::set<std::string> existingMutexes;  // named mutexes held by "other processes"
    bool failMutexCreation = false;
    int messageBoxAnswer = platform::kIdOk;
    struct ShownBox {
        platform::Handle owner;
        std::string text;
        std::string caption;
        std::uint32_t type;
        unsigned codePage;
    };
    std::vector<ShownBox> boxes;  // every message box, in order
    // Run once, by the next message box or file dialog while it is "shown", as the host's
    // messages are dispatched inside a real one's modal loop; then cleared.
    std::function<void()> whileShown;

    // Libraries by lower-case full path, or by bare file name for one beside the host program.
    std::map<std::string, Exports> libraries;
    std::map<platform::Handle, std::string> loadedLibraries;

    std::map<std::string, platform::Handle> windowsByClass;
    std::deque<PostedMessage> posted;  // posted to windows that are not this process's own
    bool failPostMessage = false;
    // Answers SendMessageTimeout for foreign windows; none means the call fails.
    std::function<std::optional<std::intptr_t>(const PostedMessage&)> sendAnswer;

    std::optional<std::string> openFileAnswer;  // the file the user picks; none = cancel
    std::vector<platform::OpenFileRequest> openFileRequests;

    // INI files by upper-cased path; content as the file's text.
    std::map<std::string, std::string> iniFiles;
    std::string IniText(const std::string& file) const;
    void SetIniText(const std::string& file, const std::string& text);

    std::map<std::string, std::string> registry;  // "HKLM\\sub\\key" or "HKCU\\..." -> value
    std::set<std::string> unreadableRegistryKeys;

    platform::Handle nextProcess = 0x7000;
    bool failCreateProcess = false;
    std::uint32_t waitForInputIdleResult = 0;
    std::vector<platform::ProcessStart> startedProcesses;
    std::vector<std::string> commandLine;  // arguments after the program name

    std::set<std::string> files;  // existing files, by upper-cased path
    void AddFile(const std::string& path);
    bool HasFile(const std::string& path) const;
    // Folders in which nothing can be created or deleted, missing or read-only, by upper-cased
    // path without a trailing separator.
    std::set<std::string> unwritableFolders;
    // Files whose writes fail (a read-only INI file keeps its contents), by upper-cased path.
    std::set<std::string> readOnlyFiles;
    // Creates or overwrites a file as a writing program would; false, and nothing changes, when
    // its folder is unwritable or is itself a file, or the file is read-only.
    bool WriteFile(const std::string& path);
    std::string currentDirectory = "C:\\";
    std::string programFile = "C:\\ORVO\\ORVO.exe";
    std::string pluginFile = "C:\\ORVO\\Plugins\\Vellacord.dll";  // of ThisModule()
    std::string systemDirectory = "C:\\Windows\\system32";

    std::vector<std::pair<platform::Guid, ComFactory>> comClasses;
    platform::HResult coInitializeResult = platform::kSOk;
    std::map<platform::HResult, std::string> statusDescriptions;  // others: none
    int liveBstrs = 0;
    int bstrAllocations = 0;

    unsigned ansiCodePage = platform::kCodePage932;

    // Delivers queued messages to this process's own windows; returns how many were delivered.
    int PumpMessages();

    // ---- IPlatform ----
    platform::Handle CreateMutex(const std::string& name) override;
    std::uint32_t GetLastError() override;
    bool ReleaseMutex(platform::Handle mutex) override;
    bool CloseHandle(platform::Handle handle) override;
    void MessageBeep(std::uint32_t type) override;
    int MessageBox(platform::Handle owner, const std::string& text, const std::string& caption,
                   std::uint32_t type, unsigned codePage) override;
    platform::Handle LoadLibrary(const std::string& fileName) override;
    void* GetProcAddress(platform::Handle module, const std::string& name) override;
    bool FreeLibrary(platform::Handle module) override;
    platform::Handle ThisModule() override;
    std::string ModuleFileName(platform::Handle module) override;
    std::string SystemDirectory() override;
    std::uint32_t RegisterWindowMessage(const std::string& name) override;
    platform::Handle FindWindow(const std::string& className) override;
    bool PostMessage(platform::Handle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    bool SendMessageTimeout(platform::Handle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, std::uint32_t flags, std::uint32_t timeoutMs,
                            std::intptr_t& result) override;
    platform::Handle CreateMessageWindow(platform::WindowProc proc) override;
    void DestroyWindow(platform::Handle window) override;
    std::intptr_t DefWindowProc(platform::Handle window, std::uint32_t message,
                                std::uintptr_t wParam, std::intptr_t lParam) override;
    std::optional<std::string> GetOpenFileName(const platform::OpenFileRequest& request) override;
    std::intptr_t ShellExecute(platform::Handle parent, const std::string& file, int show) override;
    std::string GetProfileString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& def) override;
    bool WriteProfileString(const std::string& file, const std::string& section,
                            const std::string& key,
                            const std::optional<std::string>& value) override;
    std::optional<std::string> ReadRegistryDefault(platform::RegRoot root,
                                                   const std::string& subKey) override;
    platform::Handle CreateProcess(const platform::ProcessStart& start) override;
    std::uint32_t WaitForInputIdle(platform::Handle process, std::uint32_t timeoutMs) override;
    std::uint32_t CurrentProcessId() override;
    std::vector<std::string> CommandLineArguments() override;
    bool FileExists(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    std::string GetCurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path) override;
    std::string GetFullPathName(const std::string& path) override;
    platform::HResult CoInitialize() override;
    void CoUninitialize() override;
    platform::HResult CoCreateInstance(const platform::Guid& clsid, std::uint32_t context,
                                       const platform::Guid& iid, void** object) override;
    platform::Bstr SysAllocString(const std::u16string& text) override;
    void SysFreeString(platform::Bstr text) override;
    std::string DescribeStatus(platform::HResult status) override;
    unsigned AnsiCodePage() override;
    std::u16string ToUtf16(const std::string& bytes, unsigned codePage) override;
    std::string FromUtf16(const std::u16string& text, unsigned codePage) override;

  private:
    void RunWhileShown();
    void Record(std::string line) { calls.push_back(std::move(line)); }

    std::map<std::string, int> mutexRefs_;
    std::map<platform::Handle, std::string> mutexHandles_;
    platform::Handle nextHandle_ = 0x100;
    std::uint32_t lastError_ = 0;
    std::map<std::string, std::uint32_t> registeredMessages_;
    std::map<platform::Handle, platform::WindowProc> ownWindows_;
    std::deque<PostedMessage> ownQueue_;
};

// Quotes bytes for a recorded call: printable ASCII as is, everything else as \xNN.
std::string Quote(const std::string& bytes);
std::string Hex(std::uint64_t value);

}  // namespace fake
