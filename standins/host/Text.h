// Text conversions of the stand-in host. Script and transcript are UTF-8; the plug-in speaks
// bytes in the process's ANSI code page, as the real host hands them over.
#pragma once

#include <string>

namespace host {

std::wstring FromUtf8(const std::string& text);
std::string ToUtf8(const std::wstring& text);
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

// ANSI bytes as UTF-8 for the transcript.
inline std::string AnsiToUtf8(const std::string& text) {
    return ToUtf8(FromAnsi(text));
}

// One-line rendering of a text that may hold line breaks: \n, \r, \t and \\ escaped.
std::string Escape(const std::string& utf8);

// Little-endian bytes of UTF-16 text in lowercase hex, no separators.
std::string Utf16Hex(const std::wstring& text);

}  // namespace host
