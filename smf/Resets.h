// The three resets that put a sound module back to its start state, as system exclusive bytes
// after F0 (ending in F7): one recognition and one set of bytes for every part of the converter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace smf {

enum class DeviceReset { GmSystemOn, GsReset, XgSystemOn };

// The bytes to send, to the default device number.
const std::vector<uint8_t>& ResetBytes(DeviceReset reset);

// Which reset `data` (the bytes after F0) is, sent to any device number and, for GS, with any
// checksum byte; nothing for any other message.
std::optional<DeviceReset> ResetIn(const uint8_t* data, size_t size);

}  // namespace smf
