#include <gtest/gtest.h>

#include "knife/Config.h"

namespace {

TEST(KnifeConfig, ReadsDirectivesInAnyCaseWithCommentsInEitherEncoding) {
    // A UTF-8 byte order mark, CRLF line ends, a comment in UTF-8 and one in code page 932
    // ("ドラム" as 83 68 83 89 83 80).
    const std::string text =
        "\xEF\xBB\xBF# \xE8\xA8\xAD\xE5\xAE\x9A\r\n"
        "TARGET Gs\r\n"
        "\tRhythm 11 12 ; \x83\x68\x83\x89\x83\x80\r\n"
        "channel 16 1\n"
        "transpose ALL -3\n"
        "transpose 5 +7\n"
        "velocity 2 80\n"
        "program 1 1 128\n"
        "drop Aftertouch 4\n"
        "drop PITCHBEND all\n"
        "drop sysex ALL\n"
        "\n   ;\n";
    const knife::Config c = knife::ParseConfig(text);
    EXPECT_EQ(c.target, knife::Target::GS);
    EXPECT_TRUE(c.rhythm[10] && c.rhythm[11] && !c.rhythm[9]);
    EXPECT_EQ(c.channelTo[15], 0);
    EXPECT_EQ(c.channelTo[0], 0);
    EXPECT_EQ(c.transpose[0], -3);
    EXPECT_EQ(c.transpose[4], 7);
    EXPECT_EQ(c.velocityPercent[1], 80);
    EXPECT_EQ(c.velocityPercent[0], 100);
    EXPECT_EQ(c.program[0][0], 127);
    EXPECT_EQ(c.program[1][0], 0);
    EXPECT_TRUE(c.dropAftertouch[3] && !c.dropAftertouch[2]);
    EXPECT_TRUE(c.dropPitchBend[9]);
    EXPECT_TRUE(c.dropSysEx);
}

TEST(KnifeConfig, BadLinesFailNamingTheirLine) {
    const char* bad[] = {
        "transpos 1 2",    "target gx",       "target",          "rhythm",
        "rhythm 0",        "rhythm 17",       "channel 1",       "channel 1 2 3",
        "transpose 1 200", "transpose one 2", "transpose 1 2.5", "velocity all 0",
        "velocity 1 1001", "program 1 0 5",   "program 1 5 129", "drop sysex 1",
        "drop notes all",  "drop pitchbend",  "\x83\x68 1",      "transpose 1 99999999999",
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        try {
            knife::ParseConfig(std::string("target gm\n; fine\n") + line + "\n");
            ADD_FAILURE() << "accepted";
        } catch (const knife::Error& e) {
            EXPECT_EQ(e.failure, knife::Failure::BadConfig);
            EXPECT_EQ(e.line, 3);
            EXPECT_EQ(std::string(e.what()).rfind("line 3: ", 0), 0u) << e.what();
        }
    }
}

}  // namespace
