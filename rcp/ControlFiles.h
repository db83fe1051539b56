// The device setups a song names in its header: a CM6 file (MT-32 / CM-64 sound memory) and GSD
// files (GS setups: system, effects, every part, voice reserve and drum setups), turned into the
// messages that load them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rcp/Commands.h"

namespace rcp {

struct SetupMessage {
    SysEx bytes;               // after F0, ending in F7
    uint32_t pauseMicros = 0;  // the device's own processing time after this message
};

// Devices of this generation drop data that arrives while they still store the last message.
constexpr uint32_t kSetupPauseMicros = 20'000;
constexpr uint32_t kResetPauseMicros = 50'000;

// A Roland address of three 7-bit bytes as one number, so that data fills consecutive ones.
constexpr uint32_t RolandAddress(uint8_t high, uint8_t mid, uint8_t low) {
    return uint32_t(high) << 14 | uint32_t(mid) << 7 | low;
}

// Whether `file` holds `text` at `offset`.
bool HasTextAt(const std::vector<uint8_t>& file, size_t offset, const char* text);

// Empty when `file` does not have the layout of a CM6 file.
std::vector<SetupMessage> Cm6Setup(const std::vector<uint8_t>& file);

struct GsdSetupResult {
    std::vector<SetupMessage> messages;
    // What was not sent and why, one plain line that does not name the file; empty when the
    // whole file was sent.
    std::string problem;
};

// A GS setup file as data-set messages: a GS reset, then everything the file holds whose
// meaning is known. A file without the layout sends nothing; a record holding a value its
// parameter cannot take is left out and the rest is sent.
GsdSetupResult GsdSetup(const std::vector<uint8_t>& file);

// Roland "data set" messages writing `size` bytes from `data` to consecutive addresses from
// `address` (three 7-bit bytes as one number), at most `chunk` bytes per message.
std::vector<SysEx> RolandDataSet(uint8_t model, uint32_t address, const uint8_t* data, size_t size,
                                 size_t chunk);

}  // namespace rcp
