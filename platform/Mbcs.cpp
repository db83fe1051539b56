#include "platform/Mbcs.h"

#include "platform/Platform.h"

namespace mbcs {

namespace {

bool Is932() {
    return platform::Os().AnsiCodePage() == platform::kCodePage932;
}

bool IsLead932(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

template <typename Fn>
std::string MapSingleBytes(const std::string& text, Fn fn) {
    const bool dbcs = Is932();
    std::string out = text;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (dbcs && IsLead932(b)) {
            ++i;  // skip the trail byte
            continue;
        }
        out[i] = fn(out[i]);
    }
    return out;
}

}  // namespace

bool IsLeadByte(unsigned char byte) {
    return Is932() && IsLead932(byte);
}

std::string UpperCase(const std::string& text) {
    return MapSingleBytes(text, [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; });
}

std::string LowerCase(const std::string& text) {
    return MapSingleBytes(text, [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; });
}

bool SameText(const std::string& a, const std::string& b) {
    // Compared in place: the cache looks up every song the host plays in its lists, and a copy
    // of both texts per entry cost more than the existence check the lookup exists for.
    if (a.size() != b.size()) return false;
    const bool dbcs = Is932();
    const auto upper = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (dbcs && IsLead932(x)) {
            // A double-byte character matches only itself; its trail byte is never folded.
            if (y != x || i + 1 == a.size()) return y == x;
            ++i;
            if (a[i] != b[i]) return false;
            continue;
        }
        if (upper(x) != upper(y)) return false;
    }
    return true;
}

std::size_t LastDelimiter(const std::string& text, const std::string& delimiters) {
    const bool dbcs = Is932();
    std::size_t found = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (dbcs && IsLead932(b)) {
            ++i;
            continue;
        }
        if (delimiters.find(text[i]) != std::string::npos) found = i;
    }
    return found;
}

std::string ExtractFileExt(const std::string& path) {
    const std::size_t at = LastDelimiter(path, ".\\:");
    if (at == std::string::npos || path[at] != '.') return {};
    return path.substr(at);
}

std::string ExtractFilePath(const std::string& path) {
    const std::size_t at = LastDelimiter(path, "\\:");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string ExtractFileDir(const std::string& path) {
    const std::size_t at = LastDelimiter(path, "\\:");
    if (at == std::string::npos) return {};
    // Drop the trailing separator unless it follows a drive or another separator ("C:\\").
    const bool dropSeparator =
        at > 0 && path[at] == '\\' && LastDelimiter(path.substr(0, at), "\\:") != at - 1;
    return path.substr(0, dropSeparator ? at : at + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    const std::size_t at = LastDelimiter(path, ".\\:");
    if (at == std::string::npos || path[at] != '.') return path + ext;
    return path.substr(0, at) + ext;
}

}  // namespace mbcs
