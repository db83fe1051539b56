// The MT-32's state as a song changes it: which channel each part listens on, what each part
// plays (its patch temporary area), what each program number selects (patch memory), the names
// of the custom timbres (timbre memory) and the system area's reverb and master volume. Fed with
// the song's messages in playing order; it starts in the device's power-on state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace mt32 {

constexpr int kMelodicParts = 8;
constexpr int kRhythmPart = 8;  // the ninth part
constexpr int kParts = 9;

enum class TimbreGroup { A, B, Memory, Rhythm };

// One part as it plays now. Volume and pan are held as a General MIDI synthesizer takes them
// (CC#7, and CC#10 with 0 at the left), since the song's own controllers reach both.
struct Part {
    TimbreGroup group = TimbreGroup::A;
    int timbre = 0;        // 0-63 within the group
    int keyShift = 0;      // semitones, -24 to 24
    int fineTune = 0;      // cents, -50 to 50
    int benderRange = 12;  // semitones, 0 to 24
    bool reverb = true;
    int volume = 102;
    int pan = 64;
    // The program change that set the patch last; for parts not changed since power-on, the
    // program their power-on patch stands for.
    int program = 0;
};

// What a system exclusive message was to the device.
enum class Received { Other, DataSet, Applied };

class Machine {
  public:
    Machine() { PowerOn(); }
    void PowerOn();

    // A system exclusive message (the bytes after F0, F7 included). Data sets of the MT-32 family
    // (model 16h) sent to unit 10h or to a part's channel (00h-0Fh) with a right checksum are
    // applied; `Received::DataSet` is one the device does not take.
    Received Receive(const uint8_t* message, size_t size);

    // Program change `program` for part `part` (0-7): the patch it selects in patch memory.
    void ProgramChange(int part, int program);
    void SetVolume(int part, int cc7) { parts_[part].volume = cc7; }
    void SetPan(int part, int cc10) { parts_[part].pan = cc10; }
    void SetBenderRange(int part, int semitones);

    const Part& part(int part) const { return parts_[part]; }
    // 0-15, or nothing when the part is switched off.
    std::optional<int> channelOf(int part) const;
    // The part that plays what comes in on `channel`: the first melodic part listening on it,
    // else the rhythm part when it listens there.
    std::optional<int> partOn(int channel) const;
    // The name custom timbre `slot` (0-63) was given, trailing blanks removed.
    std::string customName(int slot) const;

    int masterVolume() const { return system_[0x16]; }  // 0-100
    int reverbMode() const { return system_[0x01]; }    // 0 room, 1 hall, 2 plate, 3 tap delay
    int reverbTime() const { return system_[0x02]; }    // 0-7
    int reverbLevel() const { return system_[0x03]; }   // 0-7

  private:
    void Write(uint32_t address, uint8_t value);
    void WritePatchField(int part, int offset, uint8_t value);

    std::array<uint8_t, 0x17> system_{};
    std::array<Part, kParts> parts_{};
    std::array<std::array<uint8_t, 8>, 128> patchMemory_{};
    std::array<std::array<char, 10>, 64> customNames_{};
};

// Whether the bytes after F0 are a data set of the MT-32 family, whatever its unit and checksum.
bool IsDataSet(const uint8_t* message, size_t size);

}  // namespace mt32
