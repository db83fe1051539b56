// Helpers for texts and paths held as bytes in the process's ANSI code page.
//
// Under code page 932 a double-byte character's trail byte may be 0x5C ('\\') or an ASCII
// letter, so these helpers step over double-byte characters instead of looking at single bytes:
// "ソ" (0x83 0x5C) is never a path separator and never changes case.
#pragma once

#include <string>

namespace mbcs {

// Lead byte of a double-byte character in the process's ANSI code page.
bool IsLeadByte(unsigned char byte);

// ASCII letters changed in case; double-byte characters left alone.
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);
bool SameText(const std::string& a, const std::string& b);

// Index of the last single-byte character of `text` that is one of `delimiters`; npos if none.
std::size_t LastDelimiter(const std::string& text, const std::string& delimiters);

// Extension from the last period that follows the last '\\' or ':' (period included); empty
// when there is none.
std::string ExtractFileExt(const std::string& path);
// Folder part with its trailing separator ("C:\\dir\\"), or empty.
std::string ExtractFilePath(const std::string& path);
// Folder part without a trailing separator ("C:\\dir"), except for a drive root ("C:\\").
std::string ExtractFileDir(const std::string& path);
// `path` with its extension replaced by `ext` (which includes the period).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

}  // namespace mbcs
