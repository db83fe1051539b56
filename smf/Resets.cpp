#include "smf/Resets.h"

namespace smf {

const std::vector<uint8_t>& ResetBytes(DeviceReset reset) {
    static const std::vector<uint8_t> gm{0x7E, 0x7F, 0x09, 0x01, 0xF7};
    static const std::vector<uint8_t> gs{0x41, 0x10, 0x42, 0x12, 0x40,
                                         0x00, 0x7F, 0x00, 0x41, 0xF7};
    static const std::vector<uint8_t> xg{0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    switch (reset) {
        case DeviceReset::GmSystemOn:
            return gm;
        case DeviceReset::GsReset:
            return gs;
        case DeviceReset::XgSystemOn:
            break;
    }
    return xg;
}

std::optional<DeviceReset> ResetIn(const uint8_t* data, size_t size) {
    for (const DeviceReset reset :
         {DeviceReset::GmSystemOn, DeviceReset::GsReset, DeviceReset::XgSystemOn}) {
        const std::vector<uint8_t>& bytes = ResetBytes(reset);
        if (size != bytes.size()) continue;
        bool same = true;
        for (size_t i = 0; i < size && same; ++i) {
            if (i == 1)  // the device number: any, but XG keeps its high nibble
                same = reset != DeviceReset::XgSystemOn || (data[i] & 0xF0) == 0x10;
            else if (!(reset == DeviceReset::GsReset && i == 8))  // GS: any checksum
                same = data[i] == bytes[i];
        }
        if (same) return reset;
    }
    return std::nullopt;
}

}  // namespace smf
