// A platform that hands every operation to another one (the system's by default). Test
// programs derive from it and override only what they must observe or steer, so a new
// operation of the seam never breaks them.
#pragma once

#include "platform/Platform.h"

class ForwardingPlatform : public platform::IPlatform {
  public:
    explicit ForwardingPlatform(platform::IPlatform& target = platform::DefaultPlatform())
        : target_(target) {}

    using Handle = platform::Handle;
    using HResult = platform::HResult;
    using Guid = platform::Guid;
    using Bstr = platform::Bstr;
    using WindowProc = platform::WindowProc;
    using ProcessStart = platform::ProcessStart;
    using OpenFileRequest = platform::OpenFileRequest;
    using RegRoot = platform::RegRoot;

    Handle CreateMutex(const std::string& name) override { return target_.CreateMutex(name); }
    std::uint32_t GetLastError() override { return target_.GetLastError(); }
    bool ReleaseMutex(Handle mutex) override { return target_.ReleaseMutex(mutex); }
    bool CloseHandle(Handle handle) override { return target_.CloseHandle(handle); }
    void MessageBeep(std::uint32_t type) override { return target_.MessageBeep(type); }
    int MessageBox(Handle owner, const std::string& text, const std::string& caption,
                   std::uint32_t type, unsigned codePage) override {
        return target_.MessageBox(owner, text, caption, type, codePage);
    }
    Handle LoadLibrary(const std::string& path) override { return target_.LoadLibrary(path); }
    void* GetProcAddress(Handle module, const std::string& name) override {
        return target_.GetProcAddress(module, name);
    }
    bool FreeLibrary(Handle module) override { return target_.FreeLibrary(module); }
    Handle ThisModule() override { return target_.ThisModule(); }
    std::string ModuleFileName(Handle module) override { return target_.ModuleFileName(module); }
    std::string SystemDirectory() override { return target_.SystemDirectory(); }
    std::uint32_t RegisterWindowMessage(const std::string& name) override {
        return target_.RegisterWindowMessage(name);
    }
    Handle FindWindow(const std::string& className) override {
        return target_.FindWindow(className);
    }
    bool PostMessage(Handle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
        return target_.PostMessage(window, message, wParam, lParam);
    }
    bool SendMessageTimeout(Handle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, std::uint32_t flags, std::uint32_t timeoutMs,
                            std::intptr_t& result) override {
        return target_.SendMessageTimeout(window, message, wParam, lParam, flags, timeoutMs,
                                          result);
    }
    Handle CreateMessageWindow(WindowProc proc) override {
        return target_.CreateMessageWindow(proc);
    }
    void DestroyWindow(Handle window) override { return target_.DestroyWindow(window); }
    std::intptr_t DefWindowProc(Handle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) override {
        return target_.DefWindowProc(window, message, wParam, lParam);
    }
    std::optional<std::string> GetOpenFileName(const OpenFileRequest& request) override {
        return target_.GetOpenFileName(request);
    }
    std::intptr_t ShellExecute(Handle parent, const std::string& file, int show) override {
        return target_.ShellExecute(parent, file, show);
    }
    std::string GetProfileString(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& def) override {
        return target_.GetProfileString(file, section, key, def);
    }
    bool WriteProfileString(const std::string& file, const std::string& section,
                            const std::string& key,
                            const std::optional<std::string>& value) override {
        return target_.WriteProfileString(file, section, key, value);
    }
    std::optional<std::string> ReadRegistryDefault(RegRoot root,
                                                   const std::string& subKey) override {
        return target_.ReadRegistryDefault(root, subKey);
    }
    Handle CreateProcess(const ProcessStart& start) override {
        return target_.CreateProcess(start);
    }
    std::uint32_t WaitForInputIdle(Handle process, std::uint32_t timeoutMs) override {
        return target_.WaitForInputIdle(process, timeoutMs);
    }
    std::uint32_t CurrentProcessId() override { return target_.CurrentProcessId(); }
    std::vector<std::string> CommandLineArguments() override {
        return target_.CommandLineArguments();
    }
    bool FileExists(const std::string& path) override { return target_.FileExists(path); }
    bool DeleteFile(const std::string& path) override { return target_.DeleteFile(path); }
    std::string GetCurrentDirectory() override { return target_.GetCurrentDirectory(); }
    bool SetCurrentDirectory(const std::string& path) override {
        return target_.SetCurrentDirectory(path);
    }
    std::string GetFullPathName(const std::string& path) override {
        return target_.GetFullPathName(path);
    }
    HResult CoInitialize() override { return target_.CoInitialize(); }
    void CoUninitialize() override { return target_.CoUninitialize(); }
    HResult CoCreateInstance(const Guid& clsid, std::uint32_t context, const Guid& iid,
                             void** object) override {
        return target_.CoCreateInstance(clsid, context, iid, object);
    }
    Bstr SysAllocString(const std::u16string& text) override {
        return target_.SysAllocString(text);
    }
    void SysFreeString(Bstr text) override { return target_.SysFreeString(text); }
    std::string DescribeStatus(HResult status) override { return target_.DescribeStatus(status); }
    unsigned AnsiCodePage() override { return target_.AnsiCodePage(); }
    std::u16string ToUtf16(const std::string& bytes, unsigned codePage) override {
        return target_.ToUtf16(bytes, codePage);
    }
    std::string FromUtf16(const std::u16string& text, unsigned codePage) override {
        return target_.FromUtf16(text, codePage);
    }

  protected:
    platform::IPlatform& target_;
};
