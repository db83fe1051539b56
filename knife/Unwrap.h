// Finding the Standard MIDI File inside what the player hands over: a bare file, a RIFF "RMID"
// file, or a file that came from a Mac with its 128-byte MacBinary header still in front.
#pragma once

#include <cstddef>
#include <cstdint>

namespace knife {

struct Bytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool macBinaryCut = false;  // a MacBinary header stood in front and was cut off
};

// Whether the first bytes of a file lead to "MThd" in one of the ways Unwrap knows, whatever
// the options: for telling MIDI files apart from other files by their first 132 bytes.
bool LeadsToMidi(const uint8_t* head, size_t size);

// The bytes from "MThd" on. A MacBinary header is cut only when `macCut` is set; without it
// such a file, like anything else that does not lead to "MThd", raises Error(Failure::NotSmf).
Bytes Unwrap(const uint8_t* data, size_t size, bool macCut);

}  // namespace knife
