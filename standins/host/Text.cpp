#include "standins/host/Text.h"

#include <windows.h>

namespace host {
namespace {

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    const int size =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          size);
    return wide;
}

std::string FromWide(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          size, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::wstring FromUtf8(const std::string& text) {
    return ToWide(text, CP_UTF8);
}
std::string ToUtf8(const std::wstring& text) {
    return FromWide(text, CP_UTF8);
}
std::string ToAnsi(const std::wstring& text) {
    return FromWide(text, CP_ACP);
}
std::wstring FromAnsi(const std::string& text) {
    return ToWide(text, CP_ACP);
}

std::string Escape(const std::string& utf8) {
    std::string out;
    for (const char c : utf8) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Utf16Hex(const std::wstring& text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const wchar_t unit : text) {
        const unsigned value = static_cast<unsigned>(unit) & 0xFFFFu;
        for (const unsigned byte : {value & 0xFFu, value >> 8}) {
            out += digits[byte >> 4];
            out += digits[byte & 0xFu];
        }
    }
    return out;
}

}  // namespace host
