#include "rcp/Commands.h"

namespace rcp {
namespace {

// Event values are 8 or 16 bits wide but a message data byte holds 7.
uint8_t Data(int value) {
    return uint8_t(value & 0x7F);
}

std::optional<uint8_t> YamahaSubStatus(uint8_t code) {
    switch (code) {
        case 0xC0:
            return 0x08;  // DX7 function
        case 0xC1:
            return 0x00;  // DX voice parameter
        case 0xC2:
            return 0x04;  // DX performance
        case 0xC3:
            return 0x11;  // TX function
        // FB-01 parameter: sources disagree whether the value is split into nibbles; the
        // unsplit form matches every sibling command.
        case 0xC5:
            return 0x15;
        case 0xC7:
            return 0x12;  // TX81Z VCED
        case 0xC8:
            return 0x13;  // TX81Z ACED
        case 0xC9:
            return 0x10;  // TX81Z PCED
        case 0xCC:
            return 0x1B;  // DX7II remote switch
        case 0xCD:
            return 0x18;  // DX7II ACED
        case 0xCE:
            return 0x19;  // DX7II PCED
        case 0xCF:
            return 0x1A;  // TX802 PCED
        default:
            return std::nullopt;
    }
}

}  // namespace

uint8_t RolandChecksum(unsigned sum) {
    return uint8_t((128 - sum % 128) % 128);
}

std::optional<SysEx> FillTemplate(const std::vector<uint8_t>& body, int p1, int p2, int channel) {
    SysEx message;
    unsigned sum = 0;
    const auto put = [&](uint8_t byte) {
        message.push_back(byte);
        sum += byte;
    };
    for (const uint8_t byte : body) {
        if (byte < 0x80) {
            put(byte);
        } else if (byte == 0x80) {
            put(Data(p1));
        } else if (byte == 0x81) {
            put(Data(p2));
        } else if (byte == 0x82) {
            if (channel < 0) return std::nullopt;
            put(uint8_t(channel));
        } else if (byte == 0x83) {
            sum = 0;
        } else if (byte == 0x84) {
            message.push_back(RolandChecksum(sum));
        } else if (byte == 0xF7) {
            break;
        } else {
            return std::nullopt;  // a status byte cannot travel inside a message
        }
    }
    if (message.empty()) return std::nullopt;
    message.push_back(0xF7);
    return message;
}

std::optional<SysEx> Shortcut(uint8_t code, int p1, int p2, int channel, DeviceState& state) {
    const uint8_t a = Data(p1), b = Data(p2);
    if (const std::optional<uint8_t> sub = YamahaSubStatus(code)) {
        if (channel < 0) return std::nullopt;
        return SysEx{0x43, uint8_t(0x10 + channel), *sub, a, b, 0xF7};
    }
    switch (code) {
        case 0xC6:  // FB-01 system: the plain channel, no 0x10
            if (channel < 0) return std::nullopt;
            return SysEx{0x43, 0x75, uint8_t(channel), 0x10, a, b, 0xF7};
        case 0xCA:
        case 0xCB:  // TX81Z system / effect
            if (channel < 0) return std::nullopt;
            return SysEx{
                0x43, uint8_t(0x10 + channel), 0x10, uint8_t(code == 0xCA ? 0x7B : 0x7C), a, b,
                0xF7};
        case 0xD0:
            state.yamahaAddressHigh = a;
            state.yamahaAddressMid = b;
            return std::nullopt;
        case 0xD1:
            state.yamahaDevice = a;
            state.yamahaModel = b;
            return std::nullopt;
        case 0xD2:
            // Yamaha parameter messages carry no checksum; appending one would turn it into an
            // extra data byte the device misreads.
            return SysEx{0x43,
                         state.yamahaDevice,
                         state.yamahaModel,
                         state.yamahaAddressHigh,
                         state.yamahaAddressMid,
                         a,
                         b,
                         0xF7};
        case 0xD3:  // XG parameter, always to the XG model
            return SysEx{0x43, 0x10, 0x4C, state.yamahaAddressHigh, state.yamahaAddressMid,
                         a,    b,    0xF7};
        case 0xDC:  // MKS-7
            if (channel < 0) return std::nullopt;
            return SysEx{0x41, 0x32, uint8_t(channel), a, b, 0xF7};
        case 0xDD:
            state.rolandAddressHigh = a;
            state.rolandAddressMid = b;
            return std::nullopt;
        case 0xDE: {
            const unsigned sum = state.rolandAddressHigh + state.rolandAddressMid + a + b;
            return SysEx{0x41,
                         state.rolandDevice,
                         state.rolandModel,
                         0x12,
                         state.rolandAddressHigh,
                         state.rolandAddressMid,
                         a,
                         b,
                         RolandChecksum(sum),
                         0xF7};
        }
        case 0xDF:
            state.rolandDevice = a;
            state.rolandModel = b;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace rcp
