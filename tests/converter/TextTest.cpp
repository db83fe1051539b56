// Song texts decoded for people, and paths split and matched as the system would, under the
// code pages the songs and their users have.
#include <gtest/gtest.h>

#include "cli/Text.h"
#include "dll/common/FileNames.h"
#include "rcp/Convert.h"

namespace {

using filenames::FolderOf;
using filenames::NoLeadBytes;
using filenames::SameFileName;

TEST(Text, DecodesCodePage932AndReplacesWhatIsNoCharacter) {
    // "【 Grand Slam 】ｂｙ　あ", with a full-width and a half-width form.
    EXPECT_EQ(
        "\xE3\x80\x90 Grand Slam \xE3\x80\x91\xEF\xBD\x82\xEF\xBD\x99\xE3\x80\x80\xE3\x81\x82"
        "\xEF\xBD\xB1",
        cli::Utf8FromCp932("\x81y Grand Slam \x81z\x82\x82\x82\x99\x81@\x82\xA0\xB1"));
    // A lead byte at the end, in a pair that is no character, before a quote: each one U+FFFD,
    // and what follows read on its own.
    EXPECT_EQ("a\xEF\xBF\xBD", cli::Utf8FromCp932("a\x81"));
    EXPECT_EQ("\xEF\xBF\xBD\xEF\xBD\xAD", cli::Utf8FromCp932("\x81\xAD"));
    EXPECT_EQ("\xEF\xBF\xBD\"x", cli::Utf8FromCp932("\x82\"x"));
}

// What the system's lead-byte test answers under code page 932.
bool Lead932(unsigned char byte) {
    return rcp::IsCp932LeadByte(byte);
}

TEST(FileNames, FolderEndsAtARealSeparatorInEachCodePage) {
    // Under 1252 (no lead bytes) "é" is a letter and the backslash after it a separator.
    EXPECT_EQ("C:\\Musik\\Caf\xE9\\",
              FolderOf("C:\\Musik\\Caf\xE9\\song.rcp", NoLeadBytes, "\\/:"));
    // Under 932 the trail byte 0x5C of "ソ" and "表" is part of the character.
    EXPECT_EQ("C:\\\x83\x5C\x95\x5C\\",
              FolderOf("C:\\\x83\x5C\x95\x5C\\\x83\x5C.rcp", Lead932, "\\/:"));
    EXPECT_EQ("", FolderOf("\x95\x5C.rcp", Lead932, "\\/:"));
    // A folder name is a name like any other where only "/" separates.
    EXPECT_EQ("/songs/", FolderOf("/songs/a\\b.rcp", NoLeadBytes, "/"));
}

TEST(FileNames, NamesMatchWithoutCaseButNeverByAFoldedTrailByte) {
    EXPECT_TRUE(SameFileName("Setup.GSD", "SETUP.gsd", NoLeadBytes));
    EXPECT_TRUE(SameFileName("\x83\x41.gsd", "\x83\x41.GSD", Lead932));
    // "ア" (0x83 0x41) and "ャ" (0x83 0x61) differ only in a trail byte that looks like a letter.
    EXPECT_FALSE(SameFileName("\x83\x41.gsd", "\x83\x61.gsd", Lead932));
    EXPECT_TRUE(SameFileName("Caf\xC9.cm6", "caf\xC9.CM6", NoLeadBytes));
    EXPECT_FALSE(SameFileName("Caf\xC9.cm6", "Caf\xE9.cm6", NoLeadBytes));  // letters beyond ASCII
}

}  // namespace
