#include "mt32/Presets.h"

#include <cctype>
#include <cstring>

namespace mt32 {
namespace {

const char* const kNames[kPresets] = {
    "AcouPiano1", "AcouPiano2", "AcouPiano3", "ElecPiano1", "ElecPiano2", "ElecPiano3",
    "ElecPiano4", "Honkytonk",  "Elec Org 1", "Elec Org 2", "Elec Org 3", "Elec Org 4",
    "Pipe Org 1", "Pipe Org 2", "Pipe Org 3", "Accordion",  "Harpsi 1",   "Harpsi 2",
    "Harpsi 3",   "Clavi 1",    "Clavi 2",    "Clavi 3",    "Celesta 1",  "Celesta 2",
    "Syn Brass1", "Syn Brass2", "Syn Brass3", "Syn Brass4", "Syn Bass 1", "Syn Bass 2",
    "Syn Bass 3", "Syn Bass 4", "Fantasy",    "Harmo Pan",  "Chorale",    "Glasses",
    "Soundtrack", "Atmosphere", "Warm Bell",  "Funny Vox",  "Echo Bell",  "Ice Rain",
    "Oboe 2001",  "Echo Pan",   "DoctorSolo", "Schooldaze", "BellSinger", "SquareWave",
    "Str Sect 1", "Str Sect 2", "Str Sect 3", "Pizzicato",  "Violin 1",   "Violin 2",
    "Cello 1",    "Cello 2",    "Contrabass", "Harp 1",     "Harp 2",     "Guitar 1",
    "Guitar 2",   "Elec Gtr 1", "Elec Gtr 2", "Sitar",      "Acou Bass1", "Acou Bass2",
    "Elec Bass1", "Elec Bass2", "Slap Bass1", "Slap Bass2", "Fretless 1", "Fretless 2",
    "Flute 1",    "Flute 2",    "Piccolo 1",  "Piccolo 2",  "Recorder",   "Panpipes",
    "Sax 1",      "Sax 2",      "Sax 3",      "Sax 4",      "Clarinet 1", "Clarinet 2",
    "Oboe",       "Engl Horn",  "Bassoon",    "Harmonica",  "Trumpet 1",  "Trumpet 2",
    "Trombone 1", "Trombone 2", "Fr Horn 1",  "Fr Horn 2",  "Tuba",       "Brs Sect 1",
    "Brs Sect 2", "Vibe 1",     "Vibe 2",     "Syn Mallet", "Wind Bell",  "Glock",
    "Tube Bell",  "Xylophone",  "Marimba",    "Koto",       "Sho",        "Shakuhachi",
    "Whistle 1",  "Whistle 2",  "BottleBlow", "BreathPipe", "Timpani",    "MelodicTom",
    "Deep Snare", "Elec Perc1", "Elec Perc2", "Taiko",      "Taiko Rim",  "Cymbal",
    "Castanets",  "Triangle",   "Orche Hit",  "Telephone",  "Bird Tweet", "OneNoteJam",
    "WaterBells", "JungleTune"};

const unsigned char kGmPrograms[kPresets] = {
    0,   1,   0,   2,   4,   4,   5,   3,   16, 17,  18,  16,  16, 19, 20, 21, 6,  6,  6,
    7,   7,   7,   8,   112, 62,  62,  63,  63, 38,  38,  39,  39, 88, 95, 52, 98, 97, 99,
    14,  54,  102, 96,  53,  102, 81,  100, 14, 80,  48,  48,  49, 45, 41, 40, 42, 42, 43,
    46,  45,  24,  25,  28,  27,  104, 32,  32, 34,  33,  36,  37, 35, 35, 79, 73, 72, 72,
    74,  75,  64,  65,  66,  67,  71,  71,  68, 69,  70,  22,  56, 59, 57, 57, 60, 60, 58,
    61,  61,  11,  11,  98,  14,  9,   14,  13, 12,  107, 107, 77, 78, 78, 76, 76, 47, 117,
    127, 118, 118, 116, 115, 119, 115, 112, 55, 124, 123, 0,   14, 117};

// Words of custom timbres' names and the preset of that kind of sound, the more particular
// words first ("SYNBASS" before "BASS", "BASSOON" before both).
struct Kind {
    const char* word;  // upper case, no blanks
    int preset;
};
const Kind kKinds[] = {
    {"BASSOON", 86},  {"SYNBASS", 28},    {"SYNTHBASS", 28},  {"SLAP", 68},      {"FRETLESS", 70},
    {"ACOUBASS", 64}, {"WOODBASS", 64},   {"CONTRABASS", 56}, {"BASS", 66},      {"EPIANO", 3},
    {"E.PIANO", 3},   {"ELECPIANO", 3},   {"HONKY", 7},       {"PIANO", 0},      {"PIPE", 12},
    {"ORGAN", 8},     {"ACCORD", 15},     {"HARPSI", 16},     {"CLAV", 19},      {"CELES", 22},
    {"SYNBRASS", 24}, {"SYNTHBRASS", 24}, {"BRASS", 95},      {"BRS", 95},       {"PAD", 32},
    {"CHOIR", 34},    {"VOICE", 34},      {"VOX", 39},        {"BELL", 38},      {"PIZZ", 51},
    {"VIOLIN", 52},   {"CELLO", 54},      {"STRING", 48},     {"HARP", 57},      {"SITAR", 63},
    {"ELECGTR", 61},  {"EGTR", 61},       {"DIST", 62},       {"GUITAR", 59},    {"GTR", 59},
    {"FLUTE", 72},    {"PICCOLO", 74},    {"RECORDER", 76},   {"PANPIPE", 77},   {"SAX", 78},
    {"CLARI", 82},    {"OBOE", 84},       {"HARMONICA", 87},  {"TRUMPET", 88},   {"TRP", 88},
    {"TROMBONE", 90}, {"HORN", 92},       {"TUBA", 94},       {"VIBE", 97},      {"MARIMBA", 104},
    {"XYLO", 103},    {"GLOCK", 101},     {"KOTO", 105},      {"SHAKU", 107},    {"WHISTLE", 108},
    {"TIMPANI", 112}, {"SNARE", 114},     {"ORCHHIT", 122},   {"ORCHEHIT", 122}, {"CYMBAL", 119},
    {"SQUARE", 47},   {"SAW", 24},        {"LEAD", 47},
};

// Upper case, blanks left out: how names are compared.
std::string Folded(const std::string& name) {
    std::string folded;
    for (const char c : name)
        if (c != ' ' && c != '\t' && c != '\0')
            folded += char(std::toupper(static_cast<unsigned char>(c)));
    return folded;
}

}  // namespace

const char* PresetName(int preset) {
    return kNames[preset & 0x7F];
}

int GmProgramOf(int preset) {
    return kGmPrograms[preset & 0x7F];
}

int PresetForCustomTimbre(const std::string& name, int fallback) {
    const std::string folded = Folded(name);
    if (folded.empty()) return fallback;
    for (int preset = 0; preset < kPresets; ++preset)
        if (folded == Folded(kNames[preset])) return preset;
    for (const Kind& kind : kKinds)
        if (folded.find(kind.word) != std::string::npos) return kind.preset;
    return fallback;
}

}  // namespace mt32
