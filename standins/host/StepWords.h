// How a script step is read: words split at blanks, double quotes grouping; numbers in C
// notation (decimal, 0x hex); paths with %VARIABLES% expanded from the environment.
#pragma once

#include <string>
#include <vector>

namespace host {

std::vector<std::string> Words(const std::string& line);
// Everything after the step's first `skip` words, unquoted when quoted as a whole.
std::string Rest(const std::string& line, int skip = 1);
bool Number(const std::string& text, long long& value);
// A UTF-8 path of the script with environment variables expanded, as UTF-16.
std::wstring ExpandedPath(const std::string& utf8);

}  // namespace host
