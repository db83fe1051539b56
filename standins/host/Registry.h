// What the player leaves in the system for its clients to find it: the App Paths value naming
// its executable, and "ORVO.ini" beside the executable. Written at start, into whatever prefix
// the host runs in (the suite's throwaway one).
#pragma once

#include <string>

#include "standins/host/Transcript.h"

namespace host {

// The host's own full path, and its folder with a trailing separator.
std::wstring ExecutablePath();
std::wstring ExecutableFolder();

// HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\ORVO.EXE", default value = path.
void WriteAppPath(const std::wstring& path, Transcript& transcript);

// Creates the INI file beside the executable when missing (empty).
void EnsureIniFile(const std::wstring& path, Transcript& transcript);

}  // namespace host
