#include "dll/common/FileNames.h"

#include <cstring>

namespace filenames {

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NoLeadBytes(unsigned char) {
    return false;
}

std::string FolderOf(const std::string& path, LeadByteTest isLeadByte, const char* separators) {
    std::size_t folderEnd = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (isLeadByte(byte) && i + 1 < path.size())
            ++i;
        else if (byte != 0 && std::strchr(separators, byte))
            folderEnd = i + 1;
    }
    return path.substr(0, folderEnd);
}

bool SameFileName(const std::string& a, const std::string& b, LeadByteTest isLeadByte) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (isLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace filenames
