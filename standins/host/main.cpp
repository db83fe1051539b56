// ORVO.exe, the stand-in host:
//   ORVO.exe [--window TFormORVO|TOrvoForm|none] [--script <file>] [<step> ...]
// Each further argument is one script step (see ScriptRunner.h); a script file's steps run
// first. Exit code 0 when every step was carried out, 1 otherwise, 2 for a bad command line.
#include <windows.h>

#include <string>
#include <vector>

#include "standins/host/AutomationServer.h"
#include "standins/host/BoxAnswerer.h"
#include "standins/host/ClassObject.h"
#include "standins/host/HostState.h"
#include "standins/host/MainWindow.h"
#include "standins/host/Notifier.h"
#include "standins/host/Registry.h"
#include "standins/host/ScriptRunner.h"
#include "standins/host/Text.h"
#include "standins/host/Transcript.h"

int wmain(int argc, wchar_t** argv) {
    host::Transcript transcript;
    std::wstring windowClass = L"TFormORVO";
    std::vector<std::string> steps;

    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--window" && i + 1 < argc) {
            windowClass = argv[++i];
            if (windowClass == L"none") windowClass.clear();
        } else if (arg == L"--script" && i + 1 < argc) {
            bool ok = false;
            const std::vector<std::string> lines =
                host::ScriptRunner::ReadScriptFile(argv[++i], ok);
            if (!ok) {
                transcript.Line("host: FAIL cannot read script " + host::ToUtf8(argv[i]));
                return 2;
            }
            steps.insert(steps.end(), lines.begin(), lines.end());
        } else {
            steps.push_back(host::ToUtf8(arg));
        }
    }

    host::MainWindow window(transcript, windowClass);
    transcript.Line("host: started pid=" + std::to_string(::GetCurrentProcessId()) +
                    " acp=" + std::to_string(::GetACP()) + " window=" +
                    (window.Handle() ? host::ToUtf8(windowClass) : std::string("none")) +
                    " WM_ORVO=" + host::Transcript::Hex(window.OrvoMessage()));

    // What the player leaves for clients to find it by, in whatever prefix it runs in.
    const std::wstring exePath = host::ExecutablePath();
    host::WriteAppPath(exePath, transcript);
    host::EnsureIniFile(exePath.substr(0, exePath.find_last_of(L'.')) + L".ini", transcript);
    ::SetEnvironmentVariableW(L"HOSTDIR", host::ExecutableFolder().c_str());

    host::HostState state;
    state.mainWindow = window.Handle();
    window.SetOrvoHandler([&state, &transcript](WPARAM wParam, LPARAM lParam) {
        // A new client announces its window by broadcast; the player remembers it for Open.
        if (wParam == 0x401) state.RememberWindow(static_cast<host::Long>(lParam));
        if (wParam == 0x403) transcript.Line("host: the tool list changed");
    });
    host::AutomationServer server(state, transcript, window.OrvoMessage());
    host::ClassObject classObject(server, transcript);
    const host::ClassRegistration registration(classObject, transcript);
    host::Notifier notifier(state, transcript, window.OrvoMessage());

    host::BoxAnswerer boxes(transcript);
    host::ScriptRunner runner(transcript, boxes, host::HostServices{state, server, notifier});
    const bool ok = runner.Run(steps);
    transcript.Line(ok ? "host: done" : "host: stopped");
    return ok ? 0 : 1;
}
