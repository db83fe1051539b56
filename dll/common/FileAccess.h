// File access shared by the two converter libraries. Paths arrive as zero-terminated byte strings
// in the process's ANSI code page (932 on the systems the libraries are made for) and go to the
// ANSI file functions unchanged, so a double-byte character whose trail byte is 0x5C is never
// taken for a separator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dllfront {

// The whole file at `path`, or nothing when it cannot be opened or read, or is larger than
// `limit` bytes (so that a huge file fails cleanly instead of exhausting a 32-bit process).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* path, std::size_t limit);

// Writes `bytes` to `path` whole or not at all: into a new file of a temporary name in the same
// folder, then renamed over `path`. On any failure the temporary file is removed and whatever
// `path` held before is left as it was.
bool WriteWholeOrNothing(const char* path, const std::vector<std::uint8_t>& bytes);

// Folder part of `path` with its trailing separator ("C:\\Songs\\"), or empty.
std::string FolderOf(const std::string& path);

// ASCII letters compared without case, double-byte characters byte for byte.
bool SameFileName(const std::string& a, const std::string& b);

// The full path of the file in `folder` (with its trailing separator, or empty for the current
// one) whose name equals `name` apart from the case of its letters; nothing when none does.
// Only names actually listed in the folder can match, so a stored name holding separators or
// ".." never reaches outside it.
std::optional<std::string> FindInFolder(const std::string& folder, const std::string& name);

}  // namespace dllfront
