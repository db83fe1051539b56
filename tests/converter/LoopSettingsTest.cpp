// rcpcv.ini as users may write it: every value that is not plainly valid keeps its default.
#include <gtest/gtest.h>

#include <string>

#include "dll/rcpcv/LoopSettings.h"
#include "rcp/LoopValues.h"

namespace {

using rcp::ParseFadeSeconds;
using rcp::ParseLoopPasses;
using rcpcvdll::LoopSettings;
using rcpcvdll::ReadLoopSettings;

constexpr LoopSettings kDefaults{2, 10.0};

TEST(LoopSettingsTest, ValuesInRangeAreTakenAndAnythingElseRefused) {
    EXPECT_EQ(ParseLoopPasses("1"), 1);
    EXPECT_EQ(ParseLoopPasses(" 99\t"), 99);
    EXPECT_EQ(ParseLoopPasses("007"), 7);
    for (const char* bad :
         {"", "  ", "0", "100", "-1", "+3", "2.0", "3 passes", "x", "2,", "99999999999999999999"})
        EXPECT_FALSE(ParseLoopPasses(bad)) << '"' << bad << '"';

    EXPECT_EQ(ParseFadeSeconds("0"), 0.0);
    EXPECT_EQ(ParseFadeSeconds("60"), 60.0);
    EXPECT_EQ(ParseFadeSeconds("60.000"), 60.0);
    EXPECT_DOUBLE_EQ(*ParseFadeSeconds(" 7.25 "), 7.25);
    EXPECT_DOUBLE_EQ(*ParseFadeSeconds(".5"), 0.5);
    EXPECT_DOUBLE_EQ(*ParseFadeSeconds("5."), 5.0);
    // A comma is refused rather than read as a decimal point some locales use.
    for (const char* bad : {"", " ", ".", "60.0000001", "61", "-0.5", "2,5", "1e1", "1.2.3", "10 s",
                            "nan", "inf", "99999999999999999999"})
        EXPECT_FALSE(ParseFadeSeconds(bad)) << '"' << bad << '"';
}

TEST(LoopSettingsTest, TheFileIsReadAsTheSystemsOwnProfileFunctionsReadIt) {
    const auto read = [](const std::string& ini) { return ReadLoopSettings(ini, kDefaults); };
    const LoopSettings set = read(
        "\xEF\xBB\xBF; written by hand\r\n[Other]\r\nLoopPasses=9\r\n\r\n  [ RCPCV ]  \r\n"
        "  loopPASSES = 3 \r\nfadeseconds=4.5\r\nLoopPasses=7\r\n[other]\r\nFadeSeconds=1\r\n");
    EXPECT_EQ(set.passes, 3);
    EXPECT_EQ(set.fadeSeconds, 4.5);

    // One key set, the other missing; Unix line ends; no line end at all.
    EXPECT_EQ(read("[rcpcv]\nFadeSeconds=0").passes, 2);
    EXPECT_EQ(read("[rcpcv]\nFadeSeconds=0").fadeSeconds, 0.0);

    // A bad value keeps its own default and leaves the other setting alone; keys outside the
    // section, a section never closed and a key without "=" count for nothing.
    const LoopSettings mixed = read("[rcpcv]\r\nLoopPasses=0\r\nFadeSeconds=1.5\r\n");
    EXPECT_EQ(mixed.passes, 2);
    EXPECT_EQ(mixed.fadeSeconds, 1.5);
    for (const std::string& ignored :
         {std::string("LoopPasses=1\r\nFadeSeconds=0\r\n"),
          std::string("[rcpcv\r\nLoopPasses=1\r\n"), std::string("[rcpcv]\r\nLoopPasses 1\r\n"),
          std::string("[rcpcv]\r\n;LoopPasses=1\r\nFadeSeconds=\r\n"),
          std::string("\x00\x01[rcpcv]\x7F\x80LoopPasses=\x00\x01\xFF", 25)}) {
        const LoopSettings got = read(ignored);
        EXPECT_EQ(got.passes, 2) << ignored;
        EXPECT_EQ(got.fadeSeconds, 10.0) << ignored;
    }
}

TEST(LoopSettingsTest, TheTargetIsNoneGsOrGmAndAnythingElseKeepsTheDefault) {
    const auto target = [](const std::string& ini) {
        return ReadLoopSettings(ini, kDefaults).target;
    };
    EXPECT_EQ(target("[rcpcv]\r\ntarget = GS \r\nTarget=gm\r\n"), mt32::Target::GS);
    EXPECT_EQ(target("[rcpcv]\nLoopPasses=3\nTARGET=gm"), mt32::Target::GM);
    for (const char* other : {"[rcpcv]\nTarget=xg\n", "[rcpcv]\nTarget=\n", "[rcpcv]\nTarget=g s\n",
                              "[other]\nTarget=gs\n", "[rcpcv]\nTarget=none\n"})
        EXPECT_EQ(target(other), mt32::Target::None) << other;
}

}  // namespace
