#include "cli/StopRequests.h"

#include <io.h>
#include <windows.h>

#include <atomic>

namespace cli {
namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> stopHandled{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    stopRequested = true;
    // The system ends the process as soon as this returns from a closed window, a logoff or a
    // shutdown: wait (within the few seconds it grants) until the workers have wound down.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        for (int waited = 0; waited < 450 && !stopHandled; ++waited) Sleep(10);
    return TRUE;
}

}  // namespace

void CatchStopRequests() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StopRequested() {
    return stopRequested;
}

void StopHandled() {
    stopHandled = true;
}

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

}  // namespace cli
