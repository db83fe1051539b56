// Reading a 32-bit decimal integer from text typed by a person or stored in an INI file.
#pragma once

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

// The value of `text` (blanks around it allowed, an optional sign, decimal digits only), or
// none when it is not such a number or does not fit in 32 bits.
inline std::optional<std::int32_t> ParseDecimal(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    const std::string number = text.substr(begin, end - begin);
    const std::size_t digits = (!number.empty() && (number[0] == '+' || number[0] == '-')) ? 1 : 0;
    if (digits == number.size()) return std::nullopt;
    for (std::size_t i = digits; i < number.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(number[i]))) return std::nullopt;
    errno = 0;
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}
