// Stands in for the shell where the plug-in asks it to open a file: the plug-in's import of
// ShellExecuteA is pointed at a recorder, which prints what it was handed and whether that
// file exists, and opens nothing (a help viewer would outlive a headless run).
#pragma once

#include <windows.h>

#include "standins/host/Transcript.h"

namespace host {

// Redirects the module's imported ShellExecuteA; false when the module does not import it.
bool RecordShellCalls(HMODULE module, Transcript& transcript);

}  // namespace host
