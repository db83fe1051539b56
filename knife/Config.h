// The post-processor's configuration file: plain text, one `directive arguments` per line,
// `;` or `#` starting a comment, directives in any letter case, code page 932 or UTF-8 (only the
// comments may hold anything beyond ASCII). docs/post-processor.md describes the format for users.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "knife/Knife.h"

namespace knife {

enum class Target { None, GM, GS, XG };

// Channels are held 0-based (0 = channel 1); programs 0-based (0 = program 1).
struct Config {
    Target target = Target::None;           // `target`: the device's reset, Bank's rule
    std::array<bool, 16> rhythm{};          // `rhythm`: extra rhythm channels for Ch10
    std::array<uint8_t, 16> channelTo{};    // `channel FROM TO`: where a channel goes
    std::array<int, 16> transpose{};        // `transpose`: semitones per channel
    std::array<int, 16> velocityPercent{};  // `velocity`: note-on velocity scale
    std::array<std::array<uint8_t, 128>, 16> program{};  // `program`: program map per channel
    bool dropSysEx = false;                              // `drop sysex all`
    std::array<bool, 16> dropAftertouch{};               // `drop aftertouch`: Ax and Dx messages
    std::array<bool, 16> dropPitchBend{};                // `drop pitchbend`

    Config();  // the empty configuration: changes nothing
};

// Parses a configuration file's bytes. Raises Error with Failure::BadConfig, a message that
// names the line ("line 4: unknown directive 'transpos'") and that line's number.
Config ParseConfig(const uint8_t* data, size_t size);
inline Config ParseConfig(const std::string& text) {
    return ParseConfig(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace knife
