#include <gtest/gtest.h>

#include "smf/Smf.h"
#include "tests/converter/SmfBytes.h"

using namespace smfbytes;

namespace {

TEST(SmfReader, ReadsEventsWithRunningStatusAcrossChunksItSkips) {
    Bytes file = File(1,
                      {Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // tempo
                              0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7}),      // sysex
                       Track({0x00, 0x91, 0x3C, 0x64,                    // note on
                              0x81, 0x00, 0x3C, 0x00,                    // running status, 128
                              0x10, 0xC1, 0x05,                          // program change
                              0x00, 0x06})},                             // running status
                      480);
    // An unknown chunk between the tracks is skipped.
    Bytes withUnknown(file.begin(), file.begin() + 14 + 8 + 17);
    Append(withUnknown, Chunk("XXXX", {1, 2, 3}));
    withUnknown.insert(withUnknown.end(), file.begin() + 14 + 8 + 17, file.end());
    Append(withUnknown, {0, 0, 0});  // trailing padding is ignored

    const smf::File read = smf::Read(withUnknown);
    EXPECT_EQ(read.format, 1);
    EXPECT_EQ(read.division, 480);
    ASSERT_EQ(read.tracks.size(), 2u);
    EXPECT_EQ(Describe(read.tracks[0]), Lines({"0 FF 51 07 A1 20", "0 F0 7E 01 F7"}));
    EXPECT_EQ(Describe(read.tracks[1]),
              Lines({"0 91 3C 64", "128 91 3C 00", "144 C1 05", "144 C1 06"}));
    EXPECT_EQ(read.tracks[1].endTick, 144u);
}

TEST(SmfReader, RefusesDamagedFilesWithoutReadingPastTheEnd) {
    const Bytes good = File(0, {Track({0x00, 0x90, 0x3C, 0x64})});
    struct Case {
        const char* name;
        Bytes bytes;
    };
    Bytes lengthPastEnd = good;
    lengthPastEnd[14 + 7] = 0x40;  // MTrk length far beyond the file
    Bytes cutShort(good.begin(), good.end() - 3);
    Bytes fewerTracks = File(1, {Track({})});
    fewerTracks[11] = 2;
    const Case cases[] = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 10)},
        {"short MThd length", Chunk("MThd", {0, 0, 0, 1})},
        {"track length past the end", lengthPastEnd},
        {"truncated track chunk", cutShort},
        {"fewer tracks than announced", fewerTracks},
        {"running status at a track start", File(0, {Track({0x00, 0x3C, 0x64})})},
        {"no end-of-track", File(0, {Bytes{0x00, 0x90, 0x3C, 0x64}})},
        {"event cut inside the track", File(0, {Bytes{0x00, 0x90, 0x3C}})},
        {"five-byte delta time",
         File(0, {Track({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x64})})},
        {"status byte as data", File(0, {Track({0x00, 0x90, 0x3C, 0x90})})},
        {"sysex longer than its track", File(0, {Track({0x00, 0xF0, 0x7F, 0x01})})},
        {"meta longer than its track", File(0, {Bytes{0x00, 0xFF, 0x01, 0x20, 0x41}})},
        {"system real-time byte", File(0, {Track({0x00, 0xF8})})},
        {"zero division", File(0, {Track({})}, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(smf::Read(c.bytes.data(), c.bytes.size()), smf::FormatError);
    }
}

}  // namespace
