#include "mt32/Machine.h"

#include <algorithm>

namespace mt32 {
namespace {

constexpr uint8_t kRoland = 0x41, kModel = 0x16, kDataSet = 0x12, kUnit = 0x10;

// Where the areas start, as linear addresses (three 7-bit bytes as one number).
constexpr uint32_t Linear(uint32_t high, uint32_t mid, uint32_t low) {
    return high << 14 | mid << 7 | low;
}
constexpr uint32_t kPatchTemp = Linear(0x03, 0, 0), kPatchTempSize = kParts * 16;
constexpr uint32_t kPatchMemory = Linear(0x05, 0, 0), kPatchMemorySize = 128 * 8;
constexpr uint32_t kTimbreMemory = Linear(0x08, 0, 0), kTimbreMemorySize = 64 * 256;
constexpr uint32_t kSystem = Linear(0x10, 0, 0);
constexpr uint32_t kReset = Linear(0x7F, 0, 0);
// Sent to a part's channel as unit number, the patch temporary area of the parts listening there
// starts at 0.
constexpr uint32_t kPartPatchTempSize = 16;

// Power-on: what each melodic part plays and where it is panned (0-14, right to left).
constexpr int kPowerOnPrograms[kMelodicParts] = {68, 48, 95, 78, 41, 3, 110, 122};
constexpr int kPowerOnPanpots[kMelodicParts] = {7, 8, 7, 8, 4, 10, 0, 14};
constexpr int kPowerOnLevel = 80;

int VolumeOfLevel(int level) {
    return (std::min(level, 100) * 127 + 50) / 100;
}

// 0 at the right, 14 at the left: turned into CC#10, 0 at the left.
int PanOfPanpot(int panpot) {
    return ((14 - std::min(panpot, 14)) * 127 + 7) / 14;
}

}  // namespace

bool IsDataSet(const uint8_t* message, size_t size) {
    return size >= 10 && message[0] == kRoland && message[2] == kModel && message[3] == kDataSet &&
           message[size - 1] == 0xF7;
}

void Machine::PowerOn() {
    system_ = {0x4A, 0, 5, 3, 3, 10, 6, 4, 3, 0, 0, 0, 6, 1, 2, 3, 4, 5, 6, 7, 8, 9, 100};
    for (int part = 0; part < kParts; ++part) {
        Part& p = parts_[part];
        p = Part{};
        const int program = part < kMelodicParts ? kPowerOnPrograms[part] : 0;
        p.group = program < 64 ? TimbreGroup::A : TimbreGroup::B;
        p.timbre = program % 64;
        p.program = program;
        p.volume = VolumeOfLevel(kPowerOnLevel);
        p.pan = PanOfPanpot(part < kMelodicParts ? kPowerOnPanpots[part] : 7);
    }
    // Program n selects preset n, with the bender over an octave.
    for (int program = 0; program < 128; ++program)
        patchMemory_[program] = {uint8_t(program / 64), uint8_t(program % 64), 24, 50, 12, 0, 1, 0};
    for (auto& name : customNames_) name.fill(0);
}

std::optional<int> Machine::channelOf(int part) const {
    const int channel = system_[0x0D + part];
    return channel < 16 ? std::optional<int>(channel) : std::nullopt;
}

std::optional<int> Machine::partOn(int channel) const {
    for (int part = 0; part < kParts; ++part)
        if (channelOf(part) == channel) return part;
    return std::nullopt;
}

std::string Machine::customName(int slot) const {
    const auto& stored = customNames_[slot];
    std::string name(stored.begin(), stored.end());
    while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
    // The name goes into one-line reports: control characters written to it show as '?'.
    for (char& c : name)
        if (uint8_t(c) < 0x20 || uint8_t(c) == 0x7F) c = '?';
    return name;
}

void Machine::ProgramChange(int part, int program) {
    for (int offset = 0; offset < 7; ++offset)
        WritePatchField(part, offset, patchMemory_[program & 0x7F][offset]);
    parts_[part].program = program & 0x7F;
}

void Machine::SetBenderRange(int part, int semitones) {
    parts_[part].benderRange = std::min(semitones, 24);
}

void Machine::WritePatchField(int part, int offset, uint8_t value) {
    Part& p = parts_[part];
    switch (offset) {
        case 0:
            p.group = TimbreGroup(std::min<int>(value, 3));
            break;
        case 1:
            p.timbre = std::min<int>(value, 63);
            break;
        case 2:
            p.keyShift = std::min<int>(value, 48) - 24;
            break;
        case 3:
            p.fineTune = std::min<int>(value, 100) - 50;
            break;
        case 4:
            p.benderRange = std::min<int>(value, 24);
            break;
        case 6:
            p.reverb = value != 0;
            break;
        case 8:
            p.volume = VolumeOfLevel(value);
            break;
        case 9:
            p.pan = PanOfPanpot(value);
            break;
        default:  // assign mode and unused bytes: nothing a GS or GM synthesizer can follow
            break;
    }
}

void Machine::Write(uint32_t address, uint8_t value) {
    if (address >= kPatchTemp && address < kPatchTemp + kPatchTempSize) {
        const uint32_t offset = address - kPatchTemp;
        WritePatchField(int(offset / 16), int(offset % 16), value);
    } else if (address >= kPatchMemory && address < kPatchMemory + kPatchMemorySize) {
        const uint32_t offset = address - kPatchMemory;
        patchMemory_[offset / 8][offset % 8] = value;
    } else if (address >= kTimbreMemory && address < kTimbreMemory + kTimbreMemorySize) {
        const uint32_t offset = address - kTimbreMemory;
        if (offset % 256 < 10) customNames_[offset / 256][offset % 256] = char(value);
    } else if (address >= kSystem && address < kSystem + system_.size()) {
        static const uint8_t kMost[0x17] = {127, 3,  7,  7,  32, 32, 32, 32, 32, 32, 32, 32,
                                            32,  16, 16, 16, 16, 16, 16, 16, 16, 16, 100};
        const uint32_t offset = address - kSystem;
        system_[offset] = std::min(value, kMost[offset]);
    }
}

Received Machine::Receive(const uint8_t* message, size_t size) {
    if (!IsDataSet(message, size)) return Received::Other;
    const uint8_t unit = message[1];
    // Address, data and checksum add up to a multiple of 128; the device drops anything else.
    unsigned sum = 0;
    for (size_t index = 4; index + 1 < size; ++index) {
        if (message[index] > 0x7F) return Received::DataSet;
        sum += message[index];
    }
    if (sum % 128 != 0 || (unit != kUnit && unit > 0x0F)) return Received::DataSet;
    const uint32_t address = Linear(message[4], message[5], message[6]);
    const uint8_t* data = message + 7;
    const size_t count = size - 9;  // address, checksum and F7 left out
    if (unit == kUnit) {
        if (address == kReset) {
            PowerOn();
            return Received::Applied;
        }
        for (size_t index = 0; index < count; ++index)
            Write(address + uint32_t(index), data[index]);
        return Received::Applied;
    }
    for (int part = 0; part < kParts; ++part) {
        if (channelOf(part) != unit) continue;
        for (size_t index = 0; index < count && address + index < kPartPatchTempSize; ++index)
            WritePatchField(part, int(address + index), data[index]);
    }
    return Received::Applied;
}

}  // namespace mt32
