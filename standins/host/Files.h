// Reading the host's text files: scripts, and the files a session prints.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

// The lines of a file (a UTF-8 byte-order mark and line-ending CRs removed), or none with `ok`
// false when it cannot be opened. Others may be writing the file meanwhile.
std::vector<std::string> ReadLines(const std::wstring& path, bool& ok);

// Writes a file whole for a reader that waits for it: under another name, then renamed.
bool WriteFileWhole(const std::wstring& path, const std::string& bytes);
// Writes "left top right bottom" of a screen rectangle into a file, for a picture taken from
// outside.
bool WriteRectFile(const std::wstring& path, const RECT& rect);

}  // namespace host
