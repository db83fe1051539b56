#include "rcp/ControlFiles.h"

#include <algorithm>
#include <cstring>

namespace rcp {
namespace {

constexpr uint8_t kMt32Model = 0x16;

struct Block {
    size_t offset;  // in the control file
    size_t size;
    uint32_t address;
};

void AddBlocks(std::vector<SetupMessage>& out, const std::vector<uint8_t>& file, uint8_t model,
               const Block* blocks, size_t count) {
    for (size_t index = 0; index < count; ++index) {
        const Block& block = blocks[index];
        for (SysEx& bytes :
             RolandDataSet(model, block.address, file.data() + block.offset, block.size, 128))
            out.push_back({std::move(bytes), kSetupPauseMicros});
    }
}

}  // namespace

bool HasTextAt(const std::vector<uint8_t>& file, size_t offset, const char* text) {
    const size_t length = std::strlen(text);
    return file.size() >= offset + length && std::memcmp(file.data() + offset, text, length) == 0;
}

std::vector<SysEx> RolandDataSet(uint8_t model, uint32_t address, const uint8_t* data, size_t size,
                                 size_t chunk) {
    std::vector<SysEx> messages;
    for (size_t done = 0; done < size; done += chunk) {
        const size_t length = std::min(chunk, size - done);
        const uint32_t at = address + uint32_t(done);
        SysEx message{0x41,
                      0x10,
                      model,
                      0x12,
                      uint8_t(at >> 14 & 0x7F),
                      uint8_t(at >> 7 & 0x7F),
                      uint8_t(at & 0x7F)};
        for (size_t index = 0; index < length; ++index)
            message.push_back(data[done + index] & 0x7F);
        unsigned sum = 0;
        for (size_t index = 4; index < message.size(); ++index) sum += message[index];
        message.push_back(RolandChecksum(sum));
        message.push_back(0xF7);
        messages.push_back(std::move(message));
    }
    return messages;
}

std::vector<SetupMessage> Cm6Setup(const std::vector<uint8_t>& file) {
    std::vector<SetupMessage> out;
    if (!HasTextAt(file, 0, "COME ON MUSIC") || !HasTextAt(file, 0x10, "R ") ||
        file.size() < 0x5843)
        return out;
    // The file mirrors the MT-32 memory map. Of the nine 16-byte records of the patch area only
    // the eight parts exist on the device; the rhythm part's settings are the rhythm setup.
    static const Block kLa[] = {
        {0x0080, 0x17, RolandAddress(0x10, 0, 0)},       // system area
        {0x00A0, 8 * 16, RolandAddress(0x03, 0, 0)},     // patch temporary area, parts 1-8
        {0x0130, 85 * 4, RolandAddress(0x03, 1, 0x10)},  // rhythm setup
        {0x0284, 8 * 0xF6, RolandAddress(0x04, 0, 0)},   // timbre temporary area
        {0x0A34, 128 * 8, RolandAddress(0x05, 0, 0)},    // patch memory
        {0x0E34, 64 * 256, RolandAddress(0x08, 0, 0)},   // timbre memory
    };
    AddBlocks(out, file, kMt32Model, kLa, sizeof kLa / sizeof kLa[0]);
    // The PCM section exists on the CM-64 only; an MT-32 would take these addresses as errors.
    if (HasTextAt(file, 0x10, "R CM-64")) {
        static const Block kPcm[] = {
            {0x4E34, 0x7E, RolandAddress(0x50, 0, 0)},   // patch temporary area
            {0x4EB2, 0x980, RolandAddress(0x51, 0, 0)},  // patch memory
            {0x5832, 0x11, RolandAddress(0x52, 0, 0)},   // system area
        };
        AddBlocks(out, file, kMt32Model, kPcm, sizeof kPcm / sizeof kPcm[0]);
    }
    return out;
}

}  // namespace rcp
