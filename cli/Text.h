// Text for people: inside the command line every path and text is UTF-8; songs hold theirs in
// code page 932 and are decoded only for showing (converted files keep the song's own bytes).
#pragma once

#include <cstdio>
#include <string>

namespace cli {

// Exact code page 932 decoding. A lead byte without its trail byte, a pair that is no
// character and a byte that is none each become U+FFFD; a byte that cannot be a trail byte is
// read again on its own, so ASCII after a broken character is never swallowed.
std::string Utf8FromCp932(const std::string& bytes);

// Writes UTF-8 text to stdout or stderr as the reader's terminal shows it. On Linux the bytes
// go out as they are. On Windows a console gets the text through the wide console calls, so
// Japanese shows whatever the system's code page; a file or pipe gets the UTF-8 bytes.
void WriteText(std::FILE* stream, const std::string& utf8);

}  // namespace cli
