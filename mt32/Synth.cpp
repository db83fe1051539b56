#include "mt32/Synth.h"

#include <algorithm>

#include "rcp/ControlFiles.h"
#include "smf/Resets.h"

namespace mt32 {
namespace {

constexpr uint8_t kGsModel = 0x42;

smf::Event Control(uint32_t tick, int channel, int controller, int value) {
    return {tick, uint8_t(0xB0 | channel), 0, {uint8_t(controller), uint8_t(value)}};
}

smf::Event GsDataSet(uint32_t tick, uint32_t address, const std::vector<uint8_t>& data) {
    return {tick, 0xF0, 0, rcp::RolandDataSet(kGsModel, address, data.data(), data.size(), 16)[0]};
}

constexpr uint32_t Linear(uint32_t high, uint32_t mid, uint32_t low) {
    return high << 14 | mid << 7 | low;
}

// GS numbers its parts' blocks 1-9 for channels 1-9, 0 for channel 10, then 10-15 (A-F).
int GsBlock(int channel) {
    return channel == 9 ? 0 : channel < 9 ? channel + 1 : channel;
}

}  // namespace

Synth::Synth(Target target) : target_(target) {
    // After a GS reset channel 10 alone plays drums.
    if (target == Target::GS)
        for (int channel = 0; channel < 16; ++channel) told_[channel].drums = channel == 9;
}

smf::Event Synth::Reset() const {
    return {0, 0xF0, 0,
            smf::ResetBytes(target_ == Target::GS ? smf::DeviceReset::GsReset
                                                  : smf::DeviceReset::GmSystemOn)};
}

void Synth::Rpn(int channel, int lsb, int valueMsb, int valueLsb, uint32_t tick,
                std::vector<smf::Event>& out) const {
    out.push_back(Control(tick, channel, 101, 0));
    out.push_back(Control(tick, channel, 100, lsb));
    out.push_back(Control(tick, channel, 6, valueMsb));
    out.push_back(Control(tick, channel, 38, valueLsb));
}

void Synth::Bring(int channel, const Voice& voice, uint32_t tick, std::vector<smf::Event>& out) {
    Told& told = told_[channel];
    const bool gs = target_ == Target::GS;
    if (gs && told.drums != voice.drums) {
        // "Use for rhythm part": drum set 1, or a normal part again.
        out.push_back(GsDataSet(tick, Linear(0x40, 0x10 | GsBlock(channel), 0x15),
                                {uint8_t(voice.drums ? 1 : 0)}));
        told.drums = voice.drums;
        told.program.reset();
    }
    if (told.program != voice.program ||
        (gs && (told.bankMsb != voice.bankMsb || told.bankLsb != voice.bankLsb))) {
        if (gs) {
            out.push_back(Control(tick, channel, 0, voice.bankMsb));
            out.push_back(Control(tick, channel, 32, voice.bankLsb));
            told.bankMsb = voice.bankMsb;
            told.bankLsb = voice.bankLsb;
        }
        out.push_back({tick, uint8_t(0xC0 | channel), 0, {uint8_t(voice.program)}});
        told.program = voice.program;
    }
    if (!voice.drums) {
        bool rpnSent = false;
        if (told.benderRange != voice.benderRange) {
            Rpn(channel, 0, voice.benderRange, 0, tick, out);
            told.benderRange = voice.benderRange;
            rpnSent = true;
        }
        if (told.fineTune != voice.fineTune) {
            const int value = 8192 + voice.fineTune * 8192 / 100;
            Rpn(channel, 1, std::min(value >> 7, 127), value & 0x7F, tick, out);
            told.fineTune = voice.fineTune;
            rpnSent = true;
        }
        if (told.keyShift != voice.keyShift) {
            Rpn(channel, 2, 64 + voice.keyShift, 0, tick, out);
            told.keyShift = voice.keyShift;
            rpnSent = true;
        }
        if (rpnSent) {
            out.push_back(Control(tick, channel, 101, told.rpnMsb));
            out.push_back(Control(tick, channel, 100, told.rpnLsb));
        }
    }
    if (told.volume != voice.volume) out.push_back(Control(tick, channel, 7, voice.volume));
    if (told.pan != voice.pan) out.push_back(Control(tick, channel, 10, voice.pan));
    if (told.reverb != voice.reverb) out.push_back(Control(tick, channel, 91, voice.reverb));
    told.volume = voice.volume;
    told.pan = voice.pan;
    told.reverb = voice.reverb;
}

void Synth::BringSystem(int masterVolume, int reverbMode, int reverbTime, int reverbLevel,
                        uint32_t tick, std::vector<smf::Event>& out) {
    if (masterVolume != masterVolume_) {
        const int value = masterVolume * 16383 / 100;
        out.push_back({tick,
                       0xF0,
                       0,
                       {0x7F, 0x7F, 0x04, 0x01, uint8_t(value & 0x7F), uint8_t(value >> 7), 0xF7}});
        masterVolume_ = masterVolume;
    }
    if (target_ != Target::GS) return;
    // The nearest GS reverb: Room 1, Hall 1, Plate, Delay, with the level and time scaled.
    static const int kMacros[4] = {0, 3, 5, 6};
    const std::array<int, 3> reverb{kMacros[reverbMode & 3], (reverbLevel * 127 + 3) / 7,
                                    (reverbTime * 127 + 3) / 7};
    if (reverb_ == reverb) return;
    // Macro, character (the macro's own), pre-LPF, level and time in one message.
    out.push_back(GsDataSet(
        tick, Linear(0x40, 0x01, 0x30),
        {uint8_t(reverb[0]), uint8_t(reverb[0]), 0, uint8_t(reverb[1]), uint8_t(reverb[2])}));
    reverb_ = reverb;
}

void Synth::SongSent(int channel, int controller, int value) {
    Told& told = told_[channel];
    switch (controller) {
        case 7:
            told.volume = value;
            break;
        case 10:
            told.pan = value;
            break;
        case 101:
            told.rpnMsb = value;
            break;
        case 100:
            told.rpnLsb = value;
            break;
        case 6:
            if (told.rpnMsb == 0 && told.rpnLsb == 0) told.benderRange = value;
            break;
        default:
            break;
    }
}

}  // namespace mt32
