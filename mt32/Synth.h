// The GS or GM synthesizer an MT-32 song is rendered for: what each of its channels was last
// told, and the messages that bring a channel to what an MT-32 part plays, only what differs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "mt32/Target.h"
#include "smf/Smf.h"

namespace mt32 {

// What a channel should play.
struct Voice {
    bool drums = false;
    int bankMsb = 0, bankLsb = 0;  // GS only
    int program = 0;
    int benderRange = 2;  // semitones
    int keyShift = 0;     // semitones
    int fineTune = 0;     // cents
    int volume = 100, pan = 64, reverb = 40;
};

class Synth {
  public:
    explicit Synth(Target target);

    // The reset that starts the song: GS reset or GM System On.
    smf::Event Reset() const;

    // Appends to `out` what brings `channel` (0-15) to `voice`.
    void Bring(int channel, const Voice& voice, uint32_t tick, std::vector<smf::Event>& out);
    // The next Bring sends the bank and program again, even when they stay.
    void ForgetProgram(int channel) { told_[channel].program.reset(); }

    // Master volume (0-100) and reverb as the MT-32's system area holds them.
    void BringSystem(int masterVolume, int reverbMode, int reverbTime, int reverbLevel,
                     uint32_t tick, std::vector<smf::Event>& out);

    // What the song itself sends on a channel and is passed on as it is.
    void SongSent(int channel, int controller, int value);

  private:
    struct Told {
        std::optional<bool> drums;
        std::optional<int> bankMsb, bankLsb, program, benderRange, volume, pan, reverb;
        int keyShift = 0, fineTune = 0;  // what a reset leaves
        // The song's own registered parameter selection, put back after ours.
        int rpnMsb = 127, rpnLsb = 127;
    };
    void Rpn(int channel, int lsb, int valueMsb, int valueLsb, uint32_t tick,
             std::vector<smf::Event>& out) const;

    Target target_;
    std::array<Told, 16> told_{};
    int masterVolume_ = 100;
    std::optional<std::array<int, 3>> reverb_;
};

}  // namespace mt32
