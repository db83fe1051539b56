#include "cli/StopRequests.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <initializer_list>

namespace cli {
namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

void OnSignal(int) {
    stopRequested = true;
}

}  // namespace

void CatchStopRequests() {
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;  // reads and writes in progress go on; the flag is read after
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    // A reader that goes away (a closed pipe) must not end the process in the middle of a write.
    ::signal(SIGPIPE, SIG_IGN);
}

bool StopRequested() {
    return stopRequested;
}

void StopHandled() {}

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

}  // namespace cli
