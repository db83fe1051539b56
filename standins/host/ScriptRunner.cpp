#include "standins/host/ScriptRunner.h"

#include <windows.h>

#include "standins/host/Files.h"
#include "standins/host/MainWindow.h"
#include "standins/host/ShellRecorder.h"
#include "standins/host/StepWords.h"
#include "standins/host/Text.h"

namespace host {
namespace {

std::string Ansi(const std::string& utf8) {
    return ToAnsi(FromUtf8(utf8));
}

bool FileExists(const std::string& ansiPath) {
    return ::GetFileAttributesA(ansiPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool ScriptRunner::Run(const std::vector<std::string>& steps) {
    for (const std::string& step : steps) {
        if (!Step(step)) return false;
    }
    return true;
}

bool ScriptRunner::RequireLoaded(const std::string& step) {
    if (library_.Loaded()) return true;
    transcript_.Line(step + ": FAIL no plug-in loaded");
    return false;
}

void ScriptRunner::Pump(DWORD milliseconds) {
    MainWindow::Pump(milliseconds, [this] { EndAbortedClient(); });
}

// A client that asked to be ended through the automation server is ended here, from the
// message loop, as the player does: never inside the client's own call.
void ScriptRunner::EndAbortedClient() {
    if (!services_.state.abortRequested) return;
    services_.state.abortRequested = false;
    if (!library_.Loaded()) return;
    transcript_.Line("host: ending the client, _pinAbort");
    library_.abort();
    transcript_.Line("host: client ended");
}

bool ScriptRunner::Step(const std::string& line) {
    const std::vector<std::string> words = Words(line);
    if (words.empty() || words[0][0] == '#') return true;
    const std::string& name = words[0];
    const std::string rest = Rest(line);
    long long number = 0;
    const bool hasNumber = words.size() >= 2 && Number(words[1], number);
    if (name != "echo") transcript_.Line("step: " + line);

    if (name == "load") {
        std::string reason;
        if (!library_.Load(Ansi(rest), reason)) {
            transcript_.Line("load: FAIL " + reason);
            return false;
        }
        if (!fileNameSet_) settings_.fileName = library_.FullPath();
        transcript_.Line("load: ok " + AnsiToUtf8(library_.FullPath()));
    } else if (name == "shell" && words.size() == 2 && words[1] == "record") {
        if (!RequireLoaded(name)) return false;
        if (!RecordShellCalls(library_.Module(), transcript_)) {
            transcript_.Line("shell: FAIL the plug-in does not import ShellExecuteA");
            return false;
        }
    } else if (name == "version" && hasNumber) {
        settings_.version = static_cast<Orvo_tlb::Long>(number);
    } else if (name == "accept" && words.size() == 2 && (words[1] == "yes" || words[1] == "no")) {
        settings_.accepts = words[1] == "yes";
    } else if (name == "decline" && hasNumber) {
        settings_.decline = static_cast<Orvo_tlb::Long>(number);
    } else if (name == "filename") {
        settings_.fileName = Ansi(rest);
        fileNameSet_ = true;
    } else if (name == "owner" && hasNumber) {
        settings_.owner = reinterpret_cast<void*>(static_cast<std::uintptr_t>(number));
    } else if (name == "answer" && hasNumber) {
        boxes_.SetAnswer(static_cast<int>(number));
    } else if (name == "abort-in-next-box") {
        boxes_.SetInsideNextBox([this] {
            if (!library_.Loaded()) return;
            transcript_.Line("host: _pinAbort inside the box");
            library_.abort();
            transcript_.Line("host: _pinAbort returned inside the box");
        });
    } else if (name == "run") {
        if (!RequireLoaded(name)) return false;
        const std::intptr_t result = library_.run(&host_);
        transcript_.Line("run: result=" + Transcript::Hex(static_cast<std::uintptr_t>(result)) +
                         (result != 0 ? " nonzero" : " zero") +
                         " decline=" + (result == settings_.decline ? "yes" : "no"));
    } else if (name == "abort") {
        if (!RequireLoaded(name)) return false;
        library_.abort();
        transcript_.Line("abort: returned");
    } else if (name == "open" || name == "play") {
        if (!RequireLoaded(name)) return false;
        const std::string given = Ansi(rest);
        const char* result = library_.openPlayFile(given.c_str());
        transcript_.Line("open: result=" + (result ? AnsiToUtf8(result) : std::string("(null)")) +
                         " same-pointer=" + (result == given.c_str() ? "yes" : "no"));
    } else if (name == "pump" && hasNumber) {
        Pump(static_cast<DWORD>(number));
    } else if (name == "sleep" && hasNumber) {
        ::Sleep(static_cast<DWORD>(number));
    } else if (name == "touch" && !rest.empty()) {
        const HANDLE file = ::CreateFileA(Ansi(rest).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            transcript_.Line("touch: FAIL error " + std::to_string(::GetLastError()));
            return false;
        }
        ::CloseHandle(file);
    } else if (name == "wait-for-file" && words.size() >= 2) {
        long long timeout = 30000;
        if (words.size() >= 3 && !Number(words[2], timeout)) timeout = 30000;
        const std::string path = Ansi(words[1]);
        const DWORD start = ::GetTickCount();
        while (!FileExists(path)) {
            if (::GetTickCount() - start >= static_cast<DWORD>(timeout)) {
                transcript_.Line("wait-for-file: FAIL timed out");
                return false;
            }
            Pump(50);
        }
        transcript_.Line("wait-for-file: found");
    } else if (name == "mkdir" && !rest.empty()) {
        if (!::CreateDirectoryA(Ansi(rest).c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            transcript_.Line("mkdir: FAIL error " + std::to_string(::GetLastError()));
            return false;
        }
    } else if (name == "copy" && words.size() == 3) {
        if (!::CopyFileA(Ansi(words[1]).c_str(), Ansi(words[2]).c_str(), FALSE)) {
            transcript_.Line("copy: FAIL error " + std::to_string(::GetLastError()));
            return false;
        }
    } else if (name == "acp") {
        transcript_.Line("acp: " + std::to_string(::GetACP()));
    } else if (name == "echo") {
        transcript_.Line(rest);
    } else {
        Outcome outcome = StateStep(words, line);
        if (outcome == Outcome::NotMine) outcome = SessionStep(words, line);
        if (outcome == Outcome::NotMine) outcome = BenchStep(words);
        if (outcome == Outcome::NotMine) outcome = ConversionStep(words, line);
        if (outcome == Outcome::NotMine) outcome = DialogStep(words, line);
        if (outcome == Outcome::NotMine) transcript_.Line("step: FAIL cannot read this step");
        return outcome == Outcome::Done;
    }
    return true;
}

std::vector<std::string> ScriptRunner::ReadScriptFile(const std::wstring& path, bool& ok) {
    std::vector<std::string> steps;
    for (std::string& line : ReadLines(path, ok))
        if (!line.empty()) steps.push_back(std::move(line));
    return steps;
}

}  // namespace host
