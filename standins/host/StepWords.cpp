#include "standins/host/StepWords.h"

#include <windows.h>

#include <cstdlib>

#include "standins/host/Text.h"

namespace host {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::string Rest(const std::string& line, int skip) {
    std::size_t at = 0;
    for (int i = 0; i < skip; ++i) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string::npos) return {};
        at = line.find_first_of(" \t", at);
        if (at == std::string::npos) return {};
    }
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos) return {};
    std::string rest = line.substr(at);
    if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
        rest = rest.substr(1, rest.size() - 2);
    return rest;
}

bool Number(const std::string& text, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 0);
    return *end == '\0';
}

std::wstring ExpandedPath(const std::string& utf8) {
    const std::wstring path = FromUtf8(utf8);
    const DWORD size = ::ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    std::wstring expanded(size, L'\0');
    ::ExpandEnvironmentStringsW(path.c_str(), expanded.data(), size);
    if (!expanded.empty() && expanded.back() == L'\0') expanded.pop_back();
    return expanded;
}

}  // namespace host
