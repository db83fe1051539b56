// GS setup files as a module receives them: the converted song is read back through midicsv,
// its data-set messages are checked and replayed into the state of a module's GS addresses by a
// decoder written here, and that state is compared with what the file's documented layout says.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <sstream>

#include "SongBuilder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using State = std::map<uint32_t, uint8_t>;  // GS address (7-bit bytes as one number) -> value

constexpr size_t kDataBytesAModuleTakes = 128;

uint32_t At(int high, int middle, int low) {
    return uint32_t(high) << 14 | uint32_t(middle) << 7 | uint32_t(low);
}

// One GS data-set message as it left the converter.
struct Write {
    int port;
    uint32_t tick;
    uint32_t address;
    Bytes data;
    size_t wireBytes;  // F0 to F7
};

struct Received {
    std::vector<Write> writes;  // in the order sent
    std::map<int, State> ports;
    uint32_t firstNote = UINT32_MAX;
};

Received Receive(const std::vector<std::string>& csv) {
    Received received;
    std::map<int, int> portOfTrack;
    for (const std::string& line : csv) {
        std::istringstream in(line);
        std::string track, tick, kind;
        std::getline(in, track, ',');
        std::getline(in, tick, ',');
        std::getline(in, kind, ',');
        kind = kind.substr(1);
        if (kind == "MIDI_port") {
            in >> portOfTrack[std::stoi(track)];
        } else if (kind == "Note_on_c") {
            received.firstNote = std::min(received.firstNote, uint32_t(std::stoul(tick)));
        } else if (kind == "System_exclusive") {
            std::vector<int> bytes;  // after F0: the length, then the bytes up to F7
            for (std::string value; std::getline(in, value, ',');)
                bytes.push_back(std::stoi(value));
            bytes.erase(bytes.begin());
            if (bytes.size() < 9 || bytes[0] != 0x41 || bytes[1] != 0x10 || bytes[2] != 0x42 ||
                bytes[3] != 0x12 || bytes.back() != 0xF7) {
                ADD_FAILURE() << "not a GS data set: " << line;
                continue;
            }
            int sum = 0;
            for (size_t index = 4; index + 1 < bytes.size(); ++index) {
                EXPECT_LT(bytes[index], 0x80);
                sum += bytes[index];
            }
            EXPECT_EQ(0, sum % 128) << "checksum of " << line;
            Write write{portOfTrack[std::stoi(track)], uint32_t(std::stoul(tick)),
                        At(bytes[4], bytes[5], bytes[6]), Bytes(bytes.begin() + 7, bytes.end() - 2),
                        bytes.size() + 1};
            EXPECT_LE(write.data.size(), kDataBytesAModuleTakes);
            State& state = received.ports[write.port];
            for (size_t index = 0; index < write.data.size(); ++index)
                state[write.address + uint32_t(index)] = write.data[index];
            received.writes.push_back(std::move(write));
        }
    }
    return received;
}

size_t PartRecord(int channel) {
    return 0x36 + size_t(channel - 1) * 0x7A;
}

int BlockOf(int channel) {
    return channel == 10 ? 0 : channel < 10 ? channel : channel - 1;
}

size_t DrumEntry(int map, int note) {
    return 0x7D6 + size_t(map) * 0x14C + size_t(note - 27) * 4;
}

// The state a GS module holds after the file: its documented fields at their GS addresses, the
// reset included. The reverb's seventh byte, the master tunings at the file's end and each drum
// map's 83rd entry have no known address and must leave none written.
State Expected(const Bytes& gsd) {
    State state{{At(0x40, 0x00, 0x7F), 0}};
    for (int index = 0; index < 7; ++index) state[At(0x40, 0, index)] = gsd[0x20 + index];
    for (int index = 0; index < 6; ++index) state[At(0x40, 1, 0x30 + index)] = gsd[0x27 + index];
    for (int index = 0; index < 8; ++index) state[At(0x40, 1, 0x38 + index)] = gsd[0x2E + index];
    for (int channel = 1; channel <= 16; ++channel) {
        const uint8_t* part = gsd.data() + PartRecord(channel);
        const int block = BlockOf(channel);
        for (int index = 0; index <= 0x22; ++index)
            state[At(0x40, 0x10 | block, index)] = part[index];
        for (int index = 0; index < 8; ++index)
            state[At(0x40, 0x10 | block, 0x30 + index)] = part[0x23 + index];
        for (int index = 0; index < 12; ++index)
            state[At(0x40, 0x10 | block, 0x40 + index)] = part[0x2B + index];
        for (int source = 0; source < 6; ++source)
            for (int index = 0; index < 11; ++index)
                state[At(0x40, 0x20 | block, source * 16 + index)] =
                    part[0x37 + source * 11 + index];
        state[At(0x40, 1, 0x10 + block)] = part[0x79];
    }
    for (int map = 0; map < 2; ++map)
        for (int note = 27; note <= 108; ++note) {
            const uint8_t* entry = gsd.data() + DrumEntry(map, note);
            state[At(0x41, map << 4 | 2, note)] = entry[0];
            state[At(0x41, map << 4 | 4, note)] = entry[1];
            state[At(0x41, map << 4 | 5, note)] = entry[2];
            state[At(0x41, map << 4 | 6, note)] = entry[3];
        }
    return state;
}

// Every field away from the GS start state and within its range; values differ from part to
// part and from map to map (more so with another `variant`), so that a record sent to another
// part's or map's addresses shows.
Bytes EveryFieldAway(int variant) {
    Bytes gsd = testsong::GsdFile();
    const uint8_t global[] = {0x00, 0x05, 0x0A, 0x03, 0x60, 0x45, 0x20,  // master
                              0x06, 0x05, 0x03, 0x50, 0x30, 0x20, 0x11,  // reverb, 7th unknown
                              0x05, 0x04, 0x50, 0x20, 0x60, 0x10, 0x30, 0x25};  // chorus
    std::memcpy(gsd.data() + 0x20, global, sizeof global);
    gsd[0x24] = uint8_t(0x60 + variant);
    gsd[0xA6E] = 0x00, gsd[0xA6F] = 0x30, gsd[0xA70] = 0x42;  // master fine and coarse tuning
    for (int channel = 1; channel <= 16; ++channel) {
        uint8_t* part = gsd.data() + PartRecord(channel);
        const int i = channel - 1 + variant;
        part[0x00] = uint8_t(8 + i), part[0x01] = uint8_t(0x10 + i);
        part[0x02] = uint8_t(channel % 16);  // receives another part's channel
        std::memset(part + 0x03, 0, 17);     // every switch off, mono
        part[0x14] = 2;                      // full multi
        part[0x15] = channel % 2 ? 1 : 2;    // every part a rhythm part
        part[0x16] = uint8_t(0x30 + i);      // key shift
        const int fine = 0x10 + 9 * i;       // never 80, the centre
        part[0x17] = uint8_t(fine >> 4), part[0x18] = uint8_t(fine & 15);
        const uint8_t middle[] = {uint8_t(0x20 + i), uint8_t(0x41 + i), uint8_t(0x30 + i),
                                  uint8_t(0x10 + i), uint8_t(0x10 + i), uint8_t(0x60 + i),
                                  uint8_t(0x20 + i), uint8_t(0x30 + i), uint8_t(0x10 + i),
                                  uint8_t(0x50 + i)};
        std::memcpy(part + 0x19, middle, sizeof middle);
        for (int index = 0; index < 8 + 12; ++index) part[0x23 + index] = uint8_t(0x10 + i + index);
        for (int index = 0; index < 66; ++index)
            part[0x37 + index] = uint8_t(0x45 + (i + index) % 0x30);
        part[0x79] = channel % 3 ? 0 : 3;  // voice reserve
    }
    for (int map = 0; map < 2; ++map)
        for (int note = 27; note <= 109; ++note) {
            uint8_t* entry = gsd.data() + DrumEntry(map, note);
            const int k = note + map * 7 + variant;
            entry[0] = uint8_t(0x10 + k % 0x60), entry[1] = uint8_t(0x01 + k * 3 % 0x7E);
            entry[2] = uint8_t(0x20 + k % 0x40), entry[3] = uint8_t(0x05 + k * 2 % 0x50);
        }
    return gsd;
}

struct Conversion {
    Received received;
    std::vector<std::string> warnings;
};

// One note, after the setups of the files given by name; 480 ticks a beat at 120 beats a
// minute, so that a tick is about a millisecond.
Conversion Convert(rcp::SongInfo::Variant variant, const std::map<std::string, Bytes>& files) {
    testsong::Song song;
    song.variant = variant;
    song.timebase = 480;
    song.gsd = "SETUP.GSD";
    if (files.count("SETUP_B.GSD")) song.gsdB = "SETUP_B.GSD";
    if (files.count("SOUNDS.CM6")) song.cm6 = "SOUNDS.CM6";
    song.tracks = {{0, 0, 0, false, "", {{60, 10, 5, 100}}}};
    Conversion conversion;
    rcp::Options options;
    options.readControlFile = [&](const std::string& name) -> std::optional<Bytes> {
        const auto found = files.find(name);
        if (found == files.end()) return std::nullopt;
        return found->second;
    };
    options.warning = [&](const std::string& line) { conversion.warnings.push_back(line); };
    conversion.received = Receive(testsong::Csv(testsong::Build(song), options));
    EXPECT_NE(UINT32_MAX, conversion.received.firstNote) << "the song still plays";
    return conversion;
}

// The positions of the messages that write `address`, in the order sent.
std::vector<size_t> Writing(const std::vector<Write>& writes, uint32_t address) {
    std::vector<size_t> found;
    for (size_t index = 0; index < writes.size(); ++index)
        if (writes[index].address <= address &&
            address < writes[index].address + writes[index].data.size())
            found.push_back(index);
    return found;
}

TEST(GsSetup, EveryFieldReachesTheModuleInOrderAndBeforeTheFirstNote) {
    const Bytes gsd = EveryFieldAway(0);
    const Conversion conversion = Convert(rcp::SongInfo::Variant::Rcp2, {{"SETUP.GSD", gsd}});
    EXPECT_TRUE(conversion.warnings.empty());
    const Received& received = conversion.received;
    ASSERT_EQ(1u, received.ports.size());
    ASSERT_EQ(Expected(gsd), received.ports.at(0));  // so every address below has a message

    const std::vector<Write>& writes = received.writes;
    EXPECT_EQ(At(0x40, 0, 0x7F), writes[0].address) << "the reset comes first";
    EXPECT_LT(writes.back().tick, received.firstNote);
    // Each message leaves its wire time (320 us a byte) and the module's pause, 50 ms after the
    // reset and 20 ms after the others, less a tick of rounding.
    const double microsPerTick = 500'000.0 / 480;
    for (size_t index = 0; index + 1 < writes.size(); ++index) {
        const double needed = writes[index].wireBytes * 320.0 + (index == 0 ? 50'000 : 20'000);
        EXPECT_GE((writes[index + 1].tick - writes[index].tick + 1) * microsPerTick, needed)
            << "after message " << index;
    }
    // System and effects, then the parts, then the voice reserve; each rhythm part's drum set
    // is chosen after the part became one, and the drum setups come after every drum set.
    const size_t firstPart = Writing(writes, At(0x40, 0x10, 0)).front();
    for (const uint32_t global : {At(0x40, 0, 0), At(0x40, 1, 0x30), At(0x40, 1, 0x38)})
        EXPECT_LT(Writing(writes, global).front(), firstPart);
    const size_t reserve = Writing(writes, At(0x40, 1, 0x10)).front();
    const size_t firstDrum = Writing(writes, At(0x41, 0x02, 27)).front();
    for (int block = 0; block < 16; ++block) {
        EXPECT_LT(Writing(writes, At(0x40, 0x20 | block, 0x50)).back(), reserve);
        const size_t drumSet = Writing(writes, At(0x40, 0x10 | block, 1)).back();
        EXPECT_GT(drumSet, Writing(writes, At(0x40, 0x10 | block, 0x15)).back());
        EXPECT_LT(drumSet, firstDrum);
    }
}

TEST(GsSetup, EachPortGetsTheSetupNamedForIt) {
    const Bytes forA = EveryFieldAway(0), forB = EveryFieldAway(1);
    const Conversion conversion =
        Convert(rcp::SongInfo::Variant::Rcp3G36, {{"SETUP.GSD", forA}, {"SETUP_B.GSD", forB}});
    EXPECT_TRUE(conversion.warnings.empty());
    ASSERT_EQ(2u, conversion.received.ports.size());
    EXPECT_EQ(Expected(forA), conversion.received.ports.at(0));
    EXPECT_EQ(Expected(forB), conversion.received.ports.at(1));
}

State Without(State state, uint32_t from, uint32_t to) {
    state.erase(state.lower_bound(from), state.lower_bound(to));
    return state;
}

TEST(GsSetup, DamagedFilesAreNamedAndTheSongStillPlays) {
    Bytes signature = testsong::GsdFile();
    signature[0x19] = '2';  // GS CONTROL 2.0
    Bytes cut = testsong::GsdFile();
    cut.resize(0x900);
    for (const Bytes& unusable : {signature, cut}) {
        const Conversion conversion =
            Convert(rcp::SongInfo::Variant::Rcp2, {{"SETUP.GSD", unusable}});
        EXPECT_TRUE(conversion.received.writes.empty());
        ASSERT_EQ(1u, conversion.warnings.size());
        EXPECT_NE(std::string::npos, conversion.warnings[0].find("SETUP.GSD"))
            << conversion.warnings[0];
    }
    {  // a damaged header's name, control characters and all, still makes one line
        testsong::Song song;
        song.gsd = "A\nB.GSD";
        song.tracks = {{0, 0, 0, false, "", {{60, 10, 5, 100}}}};
        rcp::Options options;
        std::vector<std::string> lines;
        options.readControlFile = [&](const std::string&) -> std::optional<Bytes> { return cut; };
        options.warning = [&](const std::string& line) { lines.push_back(line); };
        testsong::Csv(testsong::Build(song), options);
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(0u, lines[0].find("control file A?B.GSD: ")) << lines[0];
    }
    const Conversion noCm6 =
        Convert(rcp::SongInfo::Variant::Rcp2, {{"SOUNDS.CM6", Bytes(0x5849, 0)}});
    ASSERT_EQ(1u, noCm6.warnings.size());
    EXPECT_NE(std::string::npos, noCm6.warnings[0].find("SOUNDS.CM6")) << noCm6.warnings[0];

    // Values out of range leave out their record alone: the reverb, channel 3's part (block 3),
    // drum map 2.
    Bytes bad = EveryFieldAway(0);
    bad[0x27] = 8;
    bad[PartRecord(3) + 0x16] = 0x70;
    bad[DrumEntry(1, 40) + 2] = 0x80;
    const Conversion conversion = Convert(rcp::SongInfo::Variant::Rcp2, {{"SETUP.GSD", bad}});
    State expected = Without(Expected(bad), At(0x40, 1, 0x30), At(0x40, 1, 0x36));
    expected = Without(expected, At(0x40, 0x13, 0), At(0x40, 0x14, 0));
    expected = Without(expected, At(0x40, 0x23, 0), At(0x40, 0x24, 0));
    expected = Without(expected, At(0x41, 0x10, 0), At(0x41, 0x20, 0));
    EXPECT_EQ(expected, conversion.received.ports.at(0));
    ASSERT_EQ(1u, conversion.warnings.size());
    const std::string& line = conversion.warnings[0];
    for (const char* named : {"SETUP.GSD", "reverb", "channel 3", "drum map 2"})
        EXPECT_NE(std::string::npos, line.find(named)) << line;
}

}  // namespace
