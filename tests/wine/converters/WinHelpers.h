// The few system calls the test program makes for itself, kept apart from the Win32 headers.
#pragma once

#include <string>

namespace wintest {

std::string ExeDirectory();                                      // with a trailing backslash
void SetEnv(const std::string& name, const std::string& value);  // empty value removes
bool RenameFile(const std::string& from, const std::string& to);
bool MakeFolder(const std::string& path);  // also true when it exists

}  // namespace wintest
