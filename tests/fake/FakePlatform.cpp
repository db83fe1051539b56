#include "tests/fake/FakePlatform.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "platform/Mbcs.h"

namespace fake {

namespace {

std::string Upper(const std::string& s) {
    return mbcs::UpperCase(s);
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::string Convert(const std::string& from, const std::string& to, const std::string& in) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open " + from);
    std::string out(in.size() * 4 + 8, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            // Like the system: an unconvertible character becomes a default character.
            ++src;
            --srcLeft;
            *dst++ = '?';
            --dstLeft;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

std::string CodePageName(unsigned codePage) {
    if (codePage == 65001) return "UTF-8";
    return codePage == 932 ? "CP932" : "CP" + std::to_string(codePage);
}

// The lines of an INI text, with helpers to find sections and keys without regard to case.
struct IniLines {
    std::vector<std::string> lines;

    explicit IniLines(const std::string& text) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    std::string Text() const {
        std::string out;
        for (const auto& l : lines) out += l + "\n";
        return out;
    }
    static bool IsSection(const std::string& line, std::string* name) {
        const std::string t = Trim(line);
        if (t.size() < 2 || t.front() != '[') return false;
        const auto close = t.find(']');
        if (close == std::string::npos) return false;
        if (name) *name = Trim(t.substr(1, close - 1));
        return true;
    }
    // [begin, end) of the section's body, or begin == npos when missing.
    std::pair<std::size_t, std::size_t> Section(const std::string& section) const {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::string name;
            if (IsSection(lines[i], &name) && Upper(name) == Upper(section)) {
                std::size_t j = i + 1;
                while (j < lines.size() && !IsSection(lines[j], nullptr)) ++j;
                return {i + 1, j};
            }
        }
        return {std::string::npos, 0};
    }
    std::size_t Key(std::size_t begin, std::size_t end, const std::string& key) const {
        for (std::size_t i = begin; i < end; ++i) {
            const auto eq = lines[i].find('=');
            if (eq != std::string::npos && Upper(Trim(lines[i].substr(0, eq))) == Upper(key))
                return i;
        }
        return std::string::npos;
    }
};

}  // namespace

std::string Hex(std::uint64_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(value));
    return buf;
}

std::string Quote(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out + "\"";
}

FakePlatform::FakePlatform() {
    platform::SetPlatform(this);
}

FakePlatform::~FakePlatform() {
    platform::SetPlatform(nullptr);
}

std::vector<std::string> FakePlatform::CallsNamed(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& c : calls)
        if (c.compare(0, name.size() + 1, name + "(") == 0) out.push_back(c);
    return out;
}

std::string FakePlatform::IniText(const std::string& file) const {
    const auto it = iniFiles.find(Upper(file));
    return it == iniFiles.end() ? std::string() : it->second;
}

void FakePlatform::SetIniText(const std::string& file, const std::string& text) {
    iniFiles[Upper(file)] = text;
}

void FakePlatform::AddFile(const std::string& path) {
    files.insert(Upper(path));
}

bool FakePlatform::HasFile(const std::string& path) const {
    return files.count(Upper(path)) > 0;
}

namespace {
// The folder of a path, upper-cased, without trailing separators (a doubled one included).
std::string FolderOf(const std::string& path) {
    std::string folder = Upper(mbcs::ExtractFileDir(path));
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}
}  // namespace

bool FakePlatform::WriteFile(const std::string& path) {
    const std::string folder = FolderOf(path);
    if (unwritableFolders.count(folder) || files.count(folder) || readOnlyFiles.count(Upper(path)))
        return false;
    files.insert(Upper(path));
    return true;
}

int FakePlatform::PumpMessages() {
    int delivered = 0;
    while (!ownQueue_.empty()) {
        const PostedMessage m = ownQueue_.front();
        ownQueue_.pop_front();
        const auto it = ownWindows_.find(m.window);
        if (it == ownWindows_.end()) continue;
        const platform::WindowProc proc = it->second;  // the window may go during the call
        proc(m.message, m.wParam, m.lParam);
        ++delivered;
    }
    return delivered;
}

platform::Handle FakePlatform::CreateMutex(const std::string& name) {
    Record("CreateMutex(" + Quote(name) + ")");
    if (failMutexCreation) {
        lastError_ = 5;
        return 0;
    }
    const bool exists = existingMutexes.count(name) > 0 || mutexRefs_[name] > 0;
    lastError_ = exists ? platform::kErrorAlreadyExists : 0;
    ++mutexRefs_[name];
    const platform::Handle h = nextHandle_++;
    mutexHandles_[h] = name;
    return h;
}

std::uint32_t FakePlatform::GetLastError() {
    Record("GetLastError() -> " + std::to_string(lastError_));
    return lastError_;
}

bool FakePlatform::ReleaseMutex(platform::Handle mutex) {
    Record("ReleaseMutex(" + Hex(mutex) + ")");
    return false;  // never owned
}

bool FakePlatform::CloseHandle(platform::Handle handle) {
    Record("CloseHandle(" + Hex(handle) + ")");
    const auto it = mutexHandles_.find(handle);
    if (it != mutexHandles_.end()) {
        --mutexRefs_[it->second];
        mutexHandles_.erase(it);
    }
    return true;
}

void FakePlatform::MessageBeep(std::uint32_t type) {
    Record("MessageBeep(" + Hex(type) + ")");
}

void FakePlatform::RunWhileShown() {
    const std::function<void()> callback = std::move(whileShown);
    whileShown = nullptr;
    if (callback) callback();
}

int FakePlatform::MessageBox(platform::Handle owner, const std::string& text,
                             const std::string& caption, std::uint32_t type, unsigned codePage) {
    Record("MessageBox(" + Hex(type) + ", " + Quote(text) + ")");
    boxes.push_back({owner, text, caption, type, codePage});
    RunWhileShown();
    return messageBoxAnswer;
}

platform::Handle FakePlatform::LoadLibrary(const std::string& path) {
    Record("LoadLibrary(" + Quote(path) + ")");
    std::string key = mbcs::LowerCase(path);
    const std::string folder = mbcs::LowerCase(mbcs::ExtractFilePath(path));
    if (libraries.count(key) == 0 && folder == mbcs::LowerCase(mbcs::ExtractFilePath(programFile)))
        key = key.substr(folder.size());  // a library known by its bare name
    // The system loads by full path only; a bare name here would be a search.
    if (folder.empty() || libraries.count(key) == 0) return 0;
    const platform::Handle h = nextHandle_++;
    loadedLibraries[h] = key;
    return h;
}

void* FakePlatform::GetProcAddress(platform::Handle module, const std::string& name) {
    Record("GetProcAddress(" + Quote(name) + ")");
    const auto lib = loadedLibraries.find(module);
    if (lib == loadedLibraries.end()) return nullptr;
    const auto& exports = libraries[lib->second];
    const auto fn = exports.find(name);
    return fn == exports.end() ? nullptr : fn->second;
}

bool FakePlatform::FreeLibrary(platform::Handle module) {
    Record("FreeLibrary(" + Hex(module) + ")");
    return loadedLibraries.erase(module) > 0;
}

platform::Handle FakePlatform::ThisModule() {
    return 0x10000000;
}

std::string FakePlatform::ModuleFileName(platform::Handle module) {
    if (module == 0) return programFile;
    return module == ThisModule() ? pluginFile : std::string();
}

std::string FakePlatform::SystemDirectory() {
    return systemDirectory;
}

std::uint32_t FakePlatform::RegisterWindowMessage(const std::string& name) {
    Record("RegisterWindowMessage(" + Quote(name) + ")");
    auto it = registeredMessages_.find(name);
    if (it == registeredMessages_.end())
        it = registeredMessages_.emplace(name, 0xC000 + registeredMessages_.size()).first;
    return it->second;
}

platform::Handle FakePlatform::FindWindow(const std::string& className) {
    Record("FindWindow(" + Quote(className) + ")");
    const auto it = windowsByClass.find(className);
    return it == windowsByClass.end() ? 0 : it->second;
}

bool FakePlatform::PostMessage(platform::Handle window, std::uint32_t message,
                               std::uintptr_t wParam, std::intptr_t lParam) {
    Record("PostMessage(" + Hex(window) + ", " + Hex(message) + ", " + Hex(wParam) + ", " +
           Hex(static_cast<std::uint32_t>(lParam)) + ")");
    if (failPostMessage) return false;
    const PostedMessage m{window, message, wParam, lParam};
    if (window == platform::kHwndBroadcast) {
        for (const auto& w : ownWindows_) ownQueue_.push_back({w.first, message, wParam, lParam});
        posted.push_back(m);
        return true;
    }
    if (ownWindows_.count(window)) {
        ownQueue_.push_back(m);
        return true;
    }
    bool known = false;
    for (const auto& w : windowsByClass) known = known || w.second == window;
    if (!known) return false;
    posted.push_back(m);
    return true;
}

bool FakePlatform::SendMessageTimeout(platform::Handle window, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam,
                                      std::uint32_t flags, std::uint32_t timeoutMs,
                                      std::intptr_t& result) {
    Record("SendMessageTimeout(" + Hex(window) + ", " + Hex(message) + ", " + Hex(wParam) + ", " +
           Hex(static_cast<std::uint32_t>(lParam)) + ", " + Hex(flags) + ", " +
           std::to_string(timeoutMs) + ")");
    const auto own = ownWindows_.find(window);
    if (own != ownWindows_.end()) {
        result = own->second(message, wParam, lParam);
        return true;
    }
    if (!sendAnswer) return false;
    const auto answer = sendAnswer({window, message, wParam, lParam});
    if (!answer) return false;
    result = *answer;
    return true;
}

platform::Handle FakePlatform::CreateMessageWindow(platform::WindowProc proc) {
    const platform::Handle h = nextHandle_++;
    Record("CreateMessageWindow() -> " + Hex(h));
    ownWindows_[h] = std::move(proc);
    return h;
}

void FakePlatform::DestroyWindow(platform::Handle window) {
    Record("DestroyWindow(" + Hex(window) + ")");
    ownWindows_.erase(window);
}

std::intptr_t FakePlatform::DefWindowProc(platform::Handle window, std::uint32_t message,
                                          std::uintptr_t, std::intptr_t) {
    Record("DefWindowProc(" + Hex(window) + ", " + Hex(message) + ")");
    return 0;
}

std::optional<std::string> FakePlatform::GetOpenFileName(const platform::OpenFileRequest& request) {
    Record("GetOpenFileName(" + Quote(request.title) + ", " + Quote(request.filter) + ", " +
           std::to_string(request.filterIndex) + ", " + Quote(request.initialFile) + ", " +
           Quote(request.defaultExt) + ", " + Hex(request.flags) + ")");
    openFileRequests.push_back(request);
    RunWhileShown();
    return openFileAnswer;
}

std::intptr_t FakePlatform::ShellExecute(platform::Handle parent, const std::string& file,
                                         int show) {
    Record("ShellExecute(" + Hex(parent) + ", " + Quote(file) + ", " + std::to_string(show) + ")");
    return 42;
}

std::string FakePlatform::GetProfileString(const std::string& file, const std::string& section,
                                           const std::string& key, const std::string& def) {
    Record("GetProfileString(" + Quote(file) + ", " + Quote(section) + ", " + Quote(key) + ")");
    const IniLines ini(IniText(file));
    const auto [begin, end] = ini.Section(section);
    if (begin == std::string::npos) return def;
    const auto at = ini.Key(begin, end, key);
    if (at == std::string::npos) return def;
    std::string value = Trim(ini.lines[at].substr(ini.lines[at].find('=') + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

bool FakePlatform::WriteProfileString(const std::string& file, const std::string& section,
                                      const std::string& key,
                                      const std::optional<std::string>& value) {
    Record("WriteProfileString(" + Quote(file) + ", " + Quote(section) + ", " + Quote(key) + ", " +
           (value ? Quote(*value) : std::string("none")) + ")");
    if (readOnlyFiles.count(Upper(file))) return false;
    IniLines ini(IniText(file));
    auto [begin, end] = ini.Section(section);
    if (begin == std::string::npos) {
        if (!value) return true;
        ini.lines.push_back("[" + section + "]");
        begin = end = ini.lines.size();
    }
    const auto at = ini.Key(begin, end, key);
    if (!value) {
        if (at != std::string::npos) ini.lines.erase(ini.lines.begin() + at);
    } else if (at != std::string::npos) {
        ini.lines[at] = Trim(ini.lines[at].substr(0, ini.lines[at].find('='))) + "=" + *value;
    } else {
        ini.lines.insert(ini.lines.begin() + end, key + "=" + *value);
    }
    SetIniText(file, ini.Text());
    return true;
}

std::optional<std::string> FakePlatform::ReadRegistryDefault(platform::RegRoot root,
                                                             const std::string& subKey) {
    const std::string path =
        (root == platform::RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + subKey;
    Record("ReadRegistryDefault(" + Quote(path) + ")");
    if (unreadableRegistryKeys.count(path)) return std::string();
    const auto it = registry.find(path);
    if (it == registry.end()) return std::nullopt;
    return it->second;
}

platform::Handle FakePlatform::CreateProcess(const platform::ProcessStart& start) {
    Record("CreateProcess(" + Quote(start.applicationName) + ", " + Quote(start.commandLine) +
           ", " + (start.currentDir ? Quote(*start.currentDir) : std::string("none")) + ")");
    startedProcesses.push_back(start);
    return failCreateProcess ? 0 : nextProcess;
}

std::uint32_t FakePlatform::WaitForInputIdle(platform::Handle process, std::uint32_t timeoutMs) {
    Record("WaitForInputIdle(" + Hex(process) + ", " + Hex(timeoutMs) + ")");
    return waitForInputIdleResult;
}

std::uint32_t FakePlatform::CurrentProcessId() {
    return 4242;
}

std::vector<std::string> FakePlatform::CommandLineArguments() {
    return commandLine;
}

bool FakePlatform::FileExists(const std::string& path) {
    Record("FileExists(" + Quote(path) + ")");
    return HasFile(path);
}

bool FakePlatform::DeleteFile(const std::string& path) {
    Record("DeleteFile(" + Quote(path) + ")");
    if (unwritableFolders.count(FolderOf(path)) || readOnlyFiles.count(Upper(path))) return false;
    return files.erase(Upper(path)) > 0;
}

std::string FakePlatform::GetCurrentDirectory() {
    Record("GetCurrentDirectory()");
    return currentDirectory;
}

bool FakePlatform::SetCurrentDirectory(const std::string& path) {
    Record("SetCurrentDirectory(" + Quote(path) + ")");
    currentDirectory = path;
    return true;
}

std::string FakePlatform::GetFullPathName(const std::string& path) {
    Record("GetFullPathName(" + Quote(path) + ")");
    if (path.size() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'))) return path;
    std::string base = currentDirectory;
    if (!base.empty() && base.back() != '\\') base += '\\';
    if (!path.empty() && path[0] == '\\') return base.substr(0, 2) + path;
    return base + path;
}

platform::HResult FakePlatform::CoInitialize() {
    Record("CoInitialize()");
    return coInitializeResult;
}

void FakePlatform::CoUninitialize() {
    Record("CoUninitialize()");
}

platform::HResult FakePlatform::CoCreateInstance(const platform::Guid& clsid, std::uint32_t context,
                                                 const platform::Guid& iid, void** object) {
    Record("CoCreateInstance(" + Hex(clsid.data1) + ", " + Hex(context) + ")");
    *object = nullptr;
    for (const auto& c : comClasses)
        if (c.first == clsid) return c.second(iid, object);
    return static_cast<platform::HResult>(0x80040154u);  // class not registered
}

platform::Bstr FakePlatform::SysAllocString(const std::u16string& text) {
    ++liveBstrs;
    ++bstrAllocations;
    // Like the system's: a length prefix, then the characters and a terminator.
    auto* block = new char16_t[text.size() + 3];
    const std::uint32_t bytes = static_cast<std::uint32_t>(text.size() * 2);
    std::memcpy(block, &bytes, sizeof bytes);
    std::copy(text.begin(), text.end(), block + 2);
    block[text.size() + 2] = u'\0';
    return block + 2;
}

std::string FakePlatform::DescribeStatus(platform::HResult status) {
    const auto it = statusDescriptions.find(status);
    return it == statusDescriptions.end() ? std::string() : it->second;
}

void FakePlatform::SysFreeString(platform::Bstr text) {
    if (!text) return;
    --liveBstrs;
    delete[](text - 2);
}

unsigned FakePlatform::AnsiCodePage() {
    return ansiCodePage;
}

std::u16string FakePlatform::ToUtf16(const std::string& bytes, unsigned codePage) {
    const std::string raw = Convert(CodePageName(codePage), "UTF-16LE", bytes);
    std::u16string out(raw.size() / 2, u'\0');
    std::memcpy(out.data(), raw.data(), out.size() * 2);
    return out;
}

std::string FakePlatform::FromUtf16(const std::u16string& text, unsigned codePage) {
    const std::string raw(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return Convert("UTF-16LE", CodePageName(codePage), raw);
}

}  // namespace fake

namespace platform {
// Native builds have no system platform; a test that forgets to install a fake fails loudly.
IPlatform& DefaultPlatform() {
    throw std::logic_error("no platform installed in this test");
}
}  // namespace platform
