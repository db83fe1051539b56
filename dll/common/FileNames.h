// Folder split and file-name comparison for paths held as bytes, one implementation for the
// converter libraries (paths in the system's ANSI code page) and the command line (UTF-8).
// The caller says which bytes start a double-byte character in its encoding: the second byte of
// such a character may be 0x5C or an ASCII letter, and is then neither a separator nor a letter.
#pragma once

#include <string>

namespace filenames {

using LeadByteTest = bool (*)(unsigned char);

// An ASCII capital as its small letter; every other byte as it is.
char FoldAscii(char c);

// For UTF-8 and single-byte code pages, where every byte of a longer character is 0x80 or more.
bool NoLeadBytes(unsigned char byte);

// Everything up to and including the last byte of `separators` that is not the second byte of
// a double-byte character; empty when there is none.
std::string FolderOf(const std::string& path, LeadByteTest isLeadByte, const char* separators);

// Equal apart from the case of ASCII letters; double-byte characters compared byte for byte.
bool SameFileName(const std::string& a, const std::string& b, LeadByteTest isLeadByte);

}  // namespace filenames
