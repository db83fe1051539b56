// GS setup files (".gsd"): where each byte of the file goes in a GS module, which values it may
// hold there, and the order the module needs them in.
#include <string>

#include "rcp/ControlFiles.h"
#include "smf/Resets.h"

namespace rcp {
namespace {

constexpr uint8_t kGsModel = 0x42;
// Module input buffers take 128 data bytes a message; no message here comes near it.
constexpr size_t kChunk = 128;

// The file's layout. It ends in a master fine and coarse tuning that no GS address is documented
// to take; sent another way they could tune the module twice over with the system block's master
// tune, so they stay unread.
constexpr size_t kFileSize = 0xA71;
constexpr size_t kSystem = 0x20, kReverb = 0x27, kChorus = 0x2E;
constexpr size_t kParts = 0x36, kPartSize = 0x7A;
constexpr size_t kDrumMaps = 0x7D6, kDrumMapSize = 0x14C;
constexpr size_t kUsedSize = kDrumMaps + 2 * kDrumMapSize;
// In a part record.
constexpr size_t kRhythmUse = 0x15, kVoiceReserve = 0x79;
// A drum map holds four bytes (level, pan, reverb and chorus send) for each note from 27. Its
// 83rd entry would be note 109, which no drum set plays and whose use no format note knows:
// the 82 of notes 27-108 are sent.
constexpr uint8_t kFirstDrumNote = 27;
constexpr size_t kDrumNotes = 82;

// The values one parameter takes. With `nibbles`, its bytes are the four-bit digits of one
// value, high first, and [low, high] bounds that value; otherwise it bounds every byte.
struct Parameter {
    uint8_t offset;  // in its record
    uint8_t size;
    uint16_t low, high;
    bool nibbles = false;
};

// Bytes of a record that one message writes to consecutive addresses.
struct Run {
    uint8_t offset;  // in its record
    uint8_t size;
    uint32_t address;
};

// The reverb's seventh byte (address 40 01 36) belongs to no documented parameter: it stays in
// the file rather than write an address whose effect is unknown.
const Parameter kSystemValues[] = {
    {0x00, 4, 0x0018, 0x07E8, true},  // master tune, -100 to +100 cents
    {0x04, 1, 0x00, 0x7F},            // master volume
    {0x05, 1, 0x28, 0x58},            // master key shift, -24 to +24
    {0x06, 1, 0x01, 0x7F},            // master pan
};
const Parameter kReverbValues[] = {{0, 3, 0, 7}, {3, 3, 0, 0x7F}};
const Parameter kChorusValues[] = {{0, 2, 0, 7}, {2, 6, 0, 0x7F}};

const Parameter kPartValues[] = {
    {0x00, 2, 0x00, 0x7F},         // tone number: bank, program
    {0x02, 1, 0x00, 0x10},         // receive channel, 10 = off
    {0x03, 17, 0, 1},              // receive switches, mono/poly
    {0x14, 2, 0, 2},               // assign mode, use for rhythm part
    {0x16, 1, 0x28, 0x58},         // key shift
    {0x17, 2, 0x08, 0xF8, true},   // pitch offset fine
    {0x19, 6, 0x00, 0x7F},         // level, velocity sense, pan, key range
    {0x1F, 2, 0x00, 0x5F},         // controller numbers of CC1 and CC2
    {0x21, 2, 0x00, 0x7F},         // chorus and reverb send
    {0x23, 8 + 12 + 66, 0, 0x7F},  // tone modify, scale tuning, controller destinations
};
// A part's runs; the address's middle byte is completed with the part's block number. The
// tone number goes first, its two bytes in one message, as a module takes a multi-byte value.
const Run kPartRuns[] = {
    {0x00, 2, RolandAddress(0x40, 0x10, 0x00)},        // tone number
    {0x02, 0x21, RolandAddress(0x40, 0x10, 0x02)},     // receive channel to reverb send
    {0x23, 8, RolandAddress(0x40, 0x10, 0x30)},        // tone modify
    {0x2B, 12, RolandAddress(0x40, 0x10, 0x40)},       // scale tuning
    {0x37 + 0, 11, RolandAddress(0x40, 0x20, 0x00)},   // modulation
    {0x37 + 11, 11, RolandAddress(0x40, 0x20, 0x10)},  // pitch bend
    {0x37 + 22, 11, RolandAddress(0x40, 0x20, 0x20)},  // channel aftertouch
    {0x37 + 33, 11, RolandAddress(0x40, 0x20, 0x30)},  // polyphonic aftertouch
    {0x37 + 44, 11, RolandAddress(0x40, 0x20, 0x40)},  // CC1
    {0x37 + 55, 11, RolandAddress(0x40, 0x20, 0x50)},  // CC2
};
// Voice reserve values beyond the largest documented polyphony's are no reserve at all.
constexpr uint8_t kMostVoices = 0x40;
// The low nibble of the address's middle byte for each field of a drum-map entry, in order.
const uint8_t kDrumFields[] = {0x2, 0x4, 0x5, 0x6};  // level, pan, reverb send, chorus send

bool InRange(const uint8_t* record, const Parameter& parameter) {
    unsigned value = 0;
    for (size_t index = 0; index < parameter.size; ++index) {
        const uint8_t byte = record[parameter.offset + index];
        if (parameter.nibbles) {
            if (byte > 0x0F) return false;
            value = value << 4 | byte;
        } else if (byte < parameter.low || byte > parameter.high) {
            return false;
        }
    }
    return !parameter.nibbles || (value >= parameter.low && value <= parameter.high);
}

template <size_t count>
bool AllInRange(const uint8_t* record, const Parameter (&parameters)[count]) {
    for (const Parameter& parameter : parameters)
        if (!InRange(record, parameter)) return false;
    return true;
}

void Send(std::vector<SetupMessage>& out, uint32_t address, const uint8_t* data, size_t size) {
    for (SysEx& bytes : RolandDataSet(kGsModel, address, data, size, kChunk))
        out.push_back({std::move(bytes), kSetupPauseMicros});
}

// A module numbers its parts in blocks: channel 10's part (the rhythm part) is block 0,
// channels 1-9 blocks 1-9, channels 11-16 blocks 10-15. The file keeps them in channel order.
int ChannelOfBlock(int block) {
    return block == 0 ? 10 : block <= 9 ? block : block + 1;
}

const uint8_t* PartOfBlock(const std::vector<uint8_t>& file, int block) {
    return file.data() + kParts + size_t(ChannelOfBlock(block) - 1) * kPartSize;
}

uint32_t PartAddress(uint32_t address, int block) {
    return address + (uint32_t(block) << 7);
}

}  // namespace

GsdSetupResult GsdSetup(const std::vector<uint8_t>& file) {
    GsdSetupResult result;
    if (!HasTextAt(file, 0, "COME ON MUSIC") || !HasTextAt(file, 0x0E, "GS CONTROL 1.0")) {
        result.problem = "not sent: not a GS setup file";
        return result;
    }
    if (file.size() < kUsedSize) {
        result.problem = "not sent: cut short (" + std::to_string(file.size()) + " of " +
                         std::to_string(kFileSize) + " bytes)";
        return result;
    }
    std::vector<SetupMessage>& out = result.messages;
    std::string leftOut;
    const auto leave = [&](const std::string& what) {
        leftOut += (leftOut.empty() ? "" : ", ") + what;
    };

    // The settings are meant for a module in its GS start state: reset it first.
    out.push_back({smf::ResetBytes(smf::DeviceReset::GsReset), kResetPauseMicros});
    const uint8_t* system = file.data() + kSystem;
    if (AllInRange(system, kSystemValues))
        Send(out, RolandAddress(0x40, 0x00, 0x00), system, 7);
    else
        leave("master settings");
    // A macro byte sets the rest of its block to a preset: each block starts at its macro, so
    // that the file's own values come after it.
    const uint8_t* reverb = file.data() + kReverb;
    if (AllInRange(reverb, kReverbValues))
        Send(out, RolandAddress(0x40, 0x01, 0x30), reverb, 6);
    else
        leave("reverb");
    const uint8_t* chorus = file.data() + kChorus;
    if (AllInRange(chorus, kChorusValues))
        Send(out, RolandAddress(0x40, 0x01, 0x38), chorus, 8);
    else
        leave("chorus");

    bool partSent[16] = {};
    for (int block = 0; block < 16; ++block) {
        const uint8_t* part = PartOfBlock(file, block);
        if (!AllInRange(part, kPartValues)) {
            leave("the part of channel " + std::to_string(ChannelOfBlock(block)));
            continue;
        }
        for (const Run& run : kPartRuns)
            Send(out, PartAddress(run.address, block), part + run.offset, run.size);
        partSent[block] = true;
    }

    uint8_t reserve[16];
    bool reserveInRange = true;
    for (int block = 0; block < 16; ++block) {
        reserve[block] = PartOfBlock(file, block)[kVoiceReserve];
        reserveInRange = reserveInRange && reserve[block] <= kMostVoices;
    }
    if (reserveInRange)
        Send(out, RolandAddress(0x40, 0x01, 0x10), reserve, sizeof reserve);
    else
        leave("voice reserve");

    // Choosing a drum set loads its own levels, pans and sends, and a part may have become a
    // rhythm part only after its tone number came: each rhythm part's drum set is chosen again,
    // then the drum setups go over it.
    for (int block = 0; block < 16; ++block) {
        const uint8_t* part = PartOfBlock(file, block);
        if (partSent[block] && part[kRhythmUse] != 0)
            Send(out, PartAddress(kPartRuns[0].address, block), part, 2);
    }
    for (uint8_t map = 0; map < 2; ++map) {
        const uint8_t* entries = file.data() + kDrumMaps + map * kDrumMapSize;
        bool inRange = true;
        for (size_t index = 0; index < 4 * kDrumNotes; ++index)
            inRange = inRange && entries[index] <= 0x7F;
        if (!inRange) {
            leave("drum map " + std::to_string(map + 1));
            continue;
        }
        for (size_t field = 0; field < sizeof kDrumFields; ++field) {
            uint8_t values[kDrumNotes];
            for (size_t note = 0; note < kDrumNotes; ++note)
                values[note] = entries[4 * note + field];
            Send(out, RolandAddress(0x41, uint8_t(map << 4 | kDrumFields[field]), kFirstDrumNote),
                 values, kDrumNotes);
        }
    }
    if (!leftOut.empty()) result.problem = "values out of range, not sent: " + leftOut;
    return result;
}

}  // namespace rcp
