// The MT-32's 128 preset timbres (program n of the power-on patch memory plays preset n) and
// what stands in for them on a General MIDI synthesizer.
#pragma once

#include <optional>
#include <string>

namespace mt32 {

constexpr int kPresets = 128;

// The preset's name as the device shows it ("Slap Bass1").
const char* PresetName(int preset);

// The General MIDI program (0-based) that usually plays preset `preset`.
int GmProgramOf(int preset);

// The preset a custom timbre named `name` is played as: the preset of the same name (letter case
// and blanks ignored), else one whose kind of sound the name says ("MY PAD", "FUNKY BASS"),
// else `fallback`.
int PresetForCustomTimbre(const std::string& name, int fallback);

}  // namespace mt32
