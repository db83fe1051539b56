// Ch10: rhythm parts played on other channels are merged into channel 10, the channel every
// General MIDI device keeps for its drum kit.
#include "knife/Rules.h"

namespace knife {

bool IsRhythmPartMessage(const smf::Event& e, int* channel) {
    // F0 41 dev 42 12 40 1x 15 vv sum F7: part x uses drum map vv (0 = a normal part).
    const std::vector<uint8_t>& d = e.data;
    if (e.status != 0xF0 || d.size() != 10 || d[0] != 0x41 || d[2] != 0x42 || d[3] != 0x12 ||
        d[4] != 0x40 || (d[5] & 0xF0) != 0x10 || d[6] != 0x15 || d[9] != 0xF7) {
        return false;
    }
    if (d[7] != 1 && d[7] != 2) return false;
    // Parts count 10, 1..9, 11..16: part number 0 is channel 10.
    const int part = d[5] & 0x0F;
    *channel = part == 0 ? 9 : part <= 9 ? part - 1 : part;
    return true;
}

ChannelSet RhythmChannels(const smf::File& file, const Config& config) {
    ChannelSet rhythm = config.rhythm;
    for (const smf::Track& track : file.tracks) {
        for (const smf::Event& e : track.events) {
            int channel = 0;
            if (IsRhythmPartMessage(e, &channel)) rhythm[channel] = true;
        }
    }
    rhythm[9] = false;
    return rhythm;
}

void MergeRhythm(smf::File& file, const ChannelSet& rhythm, Report& report) {
    size_t notes = 0, removed = 0, sysEx = 0;
    for (smf::Track& track : file.tracks) {
        std::vector<smf::Event> kept;
        kept.reserve(track.events.size());
        for (smf::Event& e : track.events) {
            int channel = 0;
            if (IsRhythmPartMessage(e, &channel)) {
                if (rhythm[channel]) {
                    ++sysEx;
                    continue;
                }
            } else if (e.isChannel() && rhythm[e.channel()]) {
                const int kind = e.kind();
                if (kind == 0x80 || kind == 0x90 || kind == 0xA0) {
                    e.status = static_cast<uint8_t>(kind | 9);
                    if (kind == 0x90 && e.data[1] > 0) ++notes;
                } else if (kind == 0xB0 || kind == 0xC0) {
                    // The moved part's program, bank and controllers would clobber the kit.
                    ++removed;
                    continue;
                }
            }
            kept.push_back(std::move(e));
        }
        track.events = std::move(kept);
    }
    std::string channels;
    for (int ch = 0; ch < 16; ++ch) {
        if (rhythm[ch]) channels += (channels.empty() ? "" : " ") + std::to_string(ch + 1);
    }
    if (notes || removed || sysEx) {
        AddLine(
            report, "Ch10",
            {"rhythm channels " + channels + " merged into channel 10", Count(notes, "notes moved"),
             Count(removed, "program, bank and controller messages removed"),
             Count(sysEx, "rhythm part SysEx removed")});
    }
}

}  // namespace knife
