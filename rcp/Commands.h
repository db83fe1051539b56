// System exclusive messages a song asks for: its exclusive templates and the shortcut commands
// for Roland and Yamaha devices. Every message is returned as the bytes after F0, ending in F7,
// the way the SMF model stores it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace rcp {

using SysEx = std::vector<uint8_t>;

// The device and base address the shortcut commands address; set by DD/DF and D0/D1.
struct DeviceState {
    uint8_t rolandDevice = 0x10;
    uint8_t rolandModel = 0x16;
    uint8_t rolandAddressHigh = 0;
    uint8_t rolandAddressMid = 0;
    uint8_t yamahaDevice = 0x10;
    uint8_t yamahaModel = 0x4C;
    uint8_t yamahaAddressHigh = 0;
    uint8_t yamahaAddressMid = 0;
};

// (128 - sum mod 128) mod 128: what Roland devices expect before the closing F7.
uint8_t RolandChecksum(unsigned sum);

// Fills an exclusive template: 80/81 are the invoking event's two values, 82 the channel,
// 83 starts a checksum, 84 writes it, F7 ends the message (appended when the body lacks it).
// Nothing when the template holds a byte no message may carry, needs the channel of a track
// whose channel is off (`channel` < 0), or would send an empty message.
std::optional<SysEx> FillTemplate(const std::vector<uint8_t>& body, int p1, int p2, int channel);

// The message of a shortcut command C0-CF, D2, D3, DC or DE, or nothing for other codes and for
// channel-addressed ones when `channel` < 0. D0/D1/DD/DF update `state` and return nothing.
std::optional<SysEx> Shortcut(uint8_t code, int p1, int p2, int channel, DeviceState& state);

}  // namespace rcp
