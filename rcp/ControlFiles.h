// The device setups a song names in its header: a CM6 file (MT-32 / CM-64 sound memory) and GSD
// files (GS system settings), turned into the messages that load them.
#pragma once

#include <cstdint>
#include <vector>

#include "rcp/Commands.h"

namespace rcp {

struct SetupMessage {
    SysEx bytes;               // after F0, ending in F7
    uint32_t pauseMicros = 0;  // the device's own processing time after this message
};

// Empty when `file` does not have the layout of its kind.
std::vector<SetupMessage> Cm6Setup(const std::vector<uint8_t>& file);
std::vector<SetupMessage> GsdSetup(const std::vector<uint8_t>& file);

// Roland "data set" messages writing `size` bytes from `data` to consecutive addresses from
// `address` (three 7-bit bytes as one number), at most `chunk` bytes per message.
std::vector<SysEx> RolandDataSet(uint8_t model, uint32_t address, const uint8_t* data, size_t size,
                                 size_t chunk);

}  // namespace rcp
