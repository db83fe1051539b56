// A platform for the Wine test program: the real Win32 one, except that message boxes and
// beeps are recorded instead of shown, so that no run waits for a click.
#pragma once

#include <string>
#include <vector>

#include "platform/Platform.h"

class RecordingPlatform final : public platform::IPlatform {
  public:
    struct Box {
        std::string text;
        std::string caption;
        std::uint32_t type;
        unsigned codePage;
    };
    std::vector<Box> boxes;
    int beeps = 0;

    void MessageBeep(std::uint32_t) override { ++beeps; }
    int MessageBox(platform::Handle, const std::string& text, const std::string& caption,
                   std::uint32_t type, unsigned codePage) override {
        boxes.push_back({text, caption, type, codePage});
        return platform::kIdOk;
    }

    // Everything else goes to the real system.
    platform::Handle CreateMutex(const std::string& name) override {
        return platform::DefaultPlatform().CreateMutex(name);
    }
    std::uint32_t GetLastError() override { return platform::DefaultPlatform().GetLastError(); }
    bool ReleaseMutex(platform::Handle mutex) override {
        return platform::DefaultPlatform().ReleaseMutex(mutex);
    }
    bool CloseHandle(platform::Handle handle) override {
        return platform::DefaultPlatform().CloseHandle(handle);
    }
    platform::Handle LoadLibrary(const std::string& fileName) override {
        return platform::DefaultPlatform().LoadLibrary(fileName);
    }
    void* GetProcAddress(platform::Handle module, const std::string& name) override {
        return platform::DefaultPlatform().GetProcAddress(module, name);
    }
    bool FreeLibrary(platform::Handle module) override {
        return platform::DefaultPlatform().FreeLibrary(module);
    }
    platform::Handle ThisModule() override { return platform::DefaultPlatform().ThisModule(); }
    std::uint32_t RegisterWindowMessage(const std::string& name) override {
        return platform::DefaultPlatform().RegisterWindowMessage(name);
    }
    platform::Handle FindWindow(const std::string& className) override {
        return platform::DefaultPlatform().FindWindow(className);
    }
    bool PostMessage(platform::Handle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
        return platform::DefaultPlatform().PostMessage(window, message, wParam, lParam);
    }
    bool SendMessageTimeout(platform::Handle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, std::uint32_t flags, std::uint32_t timeoutMs,
                            std::intptr_t& result) override {
        return platform::DefaultPlatform().SendMessageTimeout(window, message, wParam, lParam,
                                                              flags, timeoutMs, result);
    }
    platform::Handle CreateMessageWindow(platform::WindowProc proc) override {
        return platform::DefaultPlatform().CreateMessageWindow(proc);
    }
    void DestroyWindow(platform::Handle window) override {
        return platform::DefaultPlatform().DestroyWindow(window);
    }
    std::intptr_t DefWindowProc(platform::Handle window, std::uint32_t message,
                                std::uintptr_t wParam, std::intptr_t lParam) override {
        return platform::DefaultPlatform().DefWindowProc(window, message, wParam, lParam);
    }
    std::optional<std::string> GetOpenFileName(const platform::OpenFileRequest& request) override {
        return platform::DefaultPlatform().GetOpenFileName(request);
    }
    std::intptr_t ShellExecute(platform::Handle parent, const std::string& file,
                               int show) override {
        return platform::DefaultPlatform().ShellExecute(parent, file, show);
    }
    std::string GetProfileString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& def) override {
        return platform::DefaultPlatform().GetProfileString(file, section, key, def);
    }
    bool WriteProfileString(const std::string& file, const std::string& section,
                            const std::string& key,
                            const std::optional<std::string>& value) override {
        return platform::DefaultPlatform().WriteProfileString(file, section, key, value);
    }
    std::optional<std::string> ReadRegistryDefault(platform::RegRoot root,
                                                   const std::string& subKey) override {
        return platform::DefaultPlatform().ReadRegistryDefault(root, subKey);
    }
    platform::Handle CreateProcess(const platform::ProcessStart& start) override {
        return platform::DefaultPlatform().CreateProcess(start);
    }
    std::uint32_t WaitForInputIdle(platform::Handle process, std::uint32_t timeoutMs) override {
        return platform::DefaultPlatform().WaitForInputIdle(process, timeoutMs);
    }
    std::uint32_t CurrentProcessId() override {
        return platform::DefaultPlatform().CurrentProcessId();
    }
    std::vector<std::string> CommandLineArguments() override {
        return platform::DefaultPlatform().CommandLineArguments();
    }
    bool FileExists(const std::string& path) override {
        return platform::DefaultPlatform().FileExists(path);
    }
    bool DeleteFile(const std::string& path) override {
        return platform::DefaultPlatform().DeleteFile(path);
    }
    std::string GetCurrentDirectory() override {
        return platform::DefaultPlatform().GetCurrentDirectory();
    }
    bool SetCurrentDirectory(const std::string& path) override {
        return platform::DefaultPlatform().SetCurrentDirectory(path);
    }
    std::string GetFullPathName(const std::string& path) override {
        return platform::DefaultPlatform().GetFullPathName(path);
    }
    platform::HResult CoInitialize() override { return platform::DefaultPlatform().CoInitialize(); }
    void CoUninitialize() override { return platform::DefaultPlatform().CoUninitialize(); }
    platform::HResult CoCreateInstance(const platform::Guid& clsid, std::uint32_t context,
                                       const platform::Guid& iid, void** object) override {
        return platform::DefaultPlatform().CoCreateInstance(clsid, context, iid, object);
    }
    platform::Bstr SysAllocString(const std::u16string& text) override {
        return platform::DefaultPlatform().SysAllocString(text);
    }
    void SysFreeString(platform::Bstr text) override {
        return platform::DefaultPlatform().SysFreeString(text);
    }
    unsigned AnsiCodePage() override { return platform::DefaultPlatform().AnsiCodePage(); }
    std::u16string ToUtf16(const std::string& bytes, unsigned codePage) override {
        return platform::DefaultPlatform().ToUtf16(bytes, codePage);
    }
    std::string FromUtf16(const std::u16string& text, unsigned codePage) override {
        return platform::DefaultPlatform().FromUtf16(text, codePage);
    }
};
