// Writing JSON for tools that read song information.
#pragma once

#include <optional>
#include <string>

namespace cli {

// `text` quoted and escaped. The result is always valid UTF-8: a byte that starts no valid
// sequence (file names may hold any bytes) becomes U+FFFD.
std::string JsonString(const std::string& text);

// Seconds to the millisecond; null when there is no value.
std::string JsonSeconds(const std::optional<double>& seconds);

}  // namespace cli
