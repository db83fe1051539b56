// Track records, the playlist, lyrics lines and the display text as the player hands them over.
#include "tests/unit/CompanionFixture.h"

namespace {

using Tracks = CompanionFixture;

fake::HostTrack CdTrack(std::int32_t kind, std::uint32_t packed, const std::u16string& path) {
    fake::HostTrack t;
    t.texts[2] = path;
    t.values[3] = kind;
    t.values[4] = static_cast<std::int32_t>(packed);
    return t;
}

TEST_F(Tracks, UnboundGivesEmptyResultsWithoutAnyCall) {
    TLyrics* const text = orvo->GetText();
    text->Text = "kept";
    EXPECT_EQ(orvo->GetTracks(), 0);
    EXPECT_EQ(orvo->PlayList->GetSelectedTrack(), -1);
    const TTrackInfo info = orvo->GetTrackInfo(0);
    EXPECT_EQ(info.FileName, "");
    EXPECT_EQ(info.Kind, 0);
    EXPECT_EQ(orvo->GetLyricsText(0), nullptr);
    EXPECT_EQ(orvo->GetText(), text);
    EXPECT_EQ(text->Text, "kept");
    orvo->SetTrackInfo(0, info);
    orvo->New();
    orvo->Add("a.mid");
    orvo->Load("a.m3u");
    orvo->Save("a.m3u");
    EXPECT_TRUE(os.calls.empty()) << os.calls.front();
}

TEST_F(Tracks, CdTrackNumbersComeFromThePathWhenThePlayerLeftThemOut) {
    struct Case {
        std::int32_t kind;
        std::uint32_t packed;
        std::u16string path;
        std::int32_t drive, trackNo;
    };
    const Case cases[] = {
        {16, 0, u"D:\\Track03.cda", 3, 3},
        {16, 0, u"e:\\track12.cda", 4, 12},
        {16, 0, u"x:\\track.cda", 23, 0},         // no number between the two
        {16, 0, u"Track03.cda", 0, 0},            // no drive letter
        {5, 0, u"D:\\Track03.cda", 0, 0},         // not a CD track
        {17, 0x20005, u"D:\\Track03.cda", 2, 5},  // both given: the player's values hold
        {17, 0x00007, u"f:\\track09.cda", 5, 9},  // drive missing
        {16, 0x00004, u"D:\\music.cda", 3, 4},    // no "track": the player's number stays
        {16, 0x00004, u"D:\\track04.wav", 3, 4},  // no ".cda": the player's number stays
        {16, 0, u"1:\\track3.cda", 0, 3},         // not a letter: drive 0
        {16, 0, u"D:\\trackXY.cda", 3, 0},
        {5, 0xFFFF0001u, u"", 65535, 1},  // both halves read unsigned
        // A trail byte 't' ("フ" is 0x83 0x74) must not start "track".
        {16, 0, u"D:\\\u30D5rack5.cda", 3, 0},
    };
    AttachServer();
    for (const Case& c : cases) {
        server.tracks = {CdTrack(c.kind, c.packed, c.path)};
        const TTrackInfo info = orvo->GetTrackInfo(0);
        EXPECT_EQ(info.Drive, c.drive) << fake::FakeOrvoServer::Narrow(c.path);
        EXPECT_EQ(info.TrackNo, c.trackNo) << fake::FakeOrvoServer::Narrow(c.path);
    }
}

TEST_F(Tracks, TrackRecordsRoundTripWithTheirTextsConverted) {
    AttachServer();
    TTrackInfo info;
    info.Text0 = "\x90\xdd\x92\xe8";  // 設定
    info.Text1 = "one";
    info.FileName = "C:\\\x83\x5c\\song.rcp";  // C:\ソ\song.rcp
    info.Text3 = "three";
    info.Text4 = "four";
    info.Value0 = 10;
    info.Value1 = -11;
    info.Value2 = 12;
    info.Kind = 3;
    info.Drive = 2;
    info.TrackNo = 7;
    info.Value5 = 15;
    info.Value6 = 16;
    info.Spare = 99;
    orvo->SetTrackInfo(1, info);
    EXPECT_EQ(os.calls.back(), "PlayList.SetTrackInfo(1, 10, -11, 12, 3, 131079, 15, 16)");
    ASSERT_EQ(server.tracks.size(), 2u);
    EXPECT_EQ(server.tracks[1].texts[0], u"\u8A2D\u5B9A");
    EXPECT_EQ(server.tracks[1].texts[2], u"C:\\\u30BD\\song.rcp");

    const TTrackInfo back = orvo->GetTrackInfo(1);
    EXPECT_EQ(back.Text0, info.Text0);
    EXPECT_EQ(back.Text1, info.Text1);
    EXPECT_EQ(back.FileName, info.FileName);
    EXPECT_EQ(back.Text3, info.Text3);
    EXPECT_EQ(back.Text4, info.Text4);
    EXPECT_EQ(back.Value0, 10);
    EXPECT_EQ(back.Value1, -11);
    EXPECT_EQ(back.Value2, 12);
    EXPECT_EQ(back.Kind, 3);
    EXPECT_EQ(back.Drive, 2);
    EXPECT_EQ(back.TrackNo, 7);
    EXPECT_EQ(back.Value5, 15);
    EXPECT_EQ(back.Value6, 16);
    EXPECT_EQ(back.Spare, 0);
    // Five texts handed over and five handed back, each freed again.
    EXPECT_EQ(os.bstrAllocations, 10);
    EXPECT_EQ(os.liveBstrs, 0);
}

TEST_F(Tracks, TrackNumberOutsideSixteenBitsSpillsIntoTheDrive) {
    AttachServer();
    TTrackInfo info;
    info.Drive = 3;
    info.TrackNo = 0x12345;
    orvo->SetTrackInfo(0, info);
    EXPECT_EQ(server.tracks[0].values[4], 0x32345);  // 0x30000 | 0x12345
    info.Drive = 1;
    info.TrackNo = -1;
    orvo->SetTrackInfo(0, info);
    EXPECT_EQ(server.tracks[0].values[4], -1);
}

TEST_F(Tracks, CountsAndSelectionAreCheckedReads) {
    AttachServer();
    server.tracks.resize(3);
    server.selectedTrack = 2;
    EXPECT_EQ(orvo->GetTracks(), 3);
    EXPECT_EQ(orvo->PlayList->GetSelectedTrack(), 2);

    os.messageBoxAnswer = platform::kIdCancel;
    server.failingReads["Tracks"] = platform::kEFail;
    server.failingReads["SelectedTrack"] = platform::kEFail;
    server.failingReads["Lines"] = platform::kEFail;
    EXPECT_THROW(orvo->GetTracks(), EOleError);
    EXPECT_THROW(orvo->PlayList->GetSelectedTrack(), EOleError);
    EXPECT_THROW(orvo->GetLyricsText(0), EOleError);
    ASSERT_EQ(os.boxes.size(), 3u);
    EXPECT_EQ(os.boxes[0].text.rfind("this->get_Tracks((long*)&Value)\n", 0), 0u);
    EXPECT_EQ(os.boxes[1].text.rfind("this->get_SelectedTrack((long*)&Value)\n", 0), 0u);
    EXPECT_EQ(os.boxes[2].text.rfind("this->get_Lines((long*)&Value)\n", 0), 0u);
}

TEST_F(Tracks, PlaylistFileOperationsPassTheirPaths) {
    AttachServer();
    orvo->New();
    orvo->Add("C:\\\x83\x5c.mid");  // C:\ソ.mid
    orvo->Load("list.m3u");
    orvo->Save("out.m3u");
    EXPECT_EQ(os.calls, (std::vector<std::string>{
                            "PlayList.New()",
                            "PlayList.Add(\"C:\\x5c\\xe3\\x82\\xbd.mid\")",
                            "PlayList.Load(\"list.m3u\")",
                            "PlayList.Save(\"out.m3u\")",
                        }));
}

fake::HostTextRecord Line(std::int32_t number, const std::u16string& text) {
    fake::HostTextRecord r;
    r.number = number;
    r.text = text;
    r.adjust = 0x1FF;
    r.flags = 0x00010000;                      // ShowAccel off, Option on
    r.faceName = u"\u30B4\u30B7\u30C3\u30AF";  // ゴシック
    r.charSet = 0x180;
    r.size = -16;
    r.style = 0xF5;
    r.color = 0x00FF00;
    r.extra = -5;
    return r;
}

TEST_F(Tracks, LyricsLineIsFilledFromThePlayersRecord) {
    AttachServer();
    server.lyrics = {Line(0, u"a"), Line(1, u"b"), Line(7, u"\u6B4C\u8A5E")};
    const TLyrics* line = orvo->GetLyricsText(2);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->Number, 7);
    EXPECT_EQ(line->Text, "\x89\xcc\x8e\x8c");  // 歌詞
    EXPECT_EQ(line->Adjust, 0xFF);
    EXPECT_FALSE(line->ShowAccel);
    EXPECT_TRUE(line->Option);
    EXPECT_EQ(line->Extra, -5);
    EXPECT_EQ(line->Font.Name,
              "\x83S\x83V\x83"
              "b\x83N");  // ゴシック
    EXPECT_EQ(line->Font.Charset, 0x80);
    EXPECT_EQ(line->Font.Height, -16);
    EXPECT_EQ(line->Font.Size, 12);
    EXPECT_TRUE(line->Font.Bold);
    EXPECT_FALSE(line->Font.Italic);
    EXPECT_TRUE(line->Font.Underline);
    EXPECT_FALSE(line->Font.StrikeOut);
    EXPECT_EQ(line->Font.Color, 0x00FF00u);
    EXPECT_EQ(orvo->GetLyricsText(3), nullptr);
    EXPECT_EQ(orvo->GetLyricsText(-1), nullptr);
}

TEST_F(Tracks, LyricsLinesAreReusedUntilCutOffOrCleared) {
    AttachServer();
    server.lyrics = {Line(0, u"a"), Line(1, u"b"), Line(2, u"c")};
    TLyrics* const first = orvo->GetLyricsText(2);
    ASSERT_NE(first, nullptr);
    first->Spare = 42;  // never touched by a refill: marks this very object
    server.lyrics[2].text = u"changed";
    EXPECT_EQ(orvo->GetLyricsText(2), first);
    EXPECT_EQ(first->Text, "changed");
    EXPECT_EQ(first->Spare, 42);

    server.lyrics.resize(2);
    EXPECT_EQ(orvo->GetLyricsText(2), nullptr);
    server.lyrics.push_back(Line(2, u"c"));
    EXPECT_EQ(orvo->GetLyricsText(2)->Spare, 0) << "the cut-off line was kept";

    orvo->GetLyricsText(2)->Spare = 42;
    orvo->LyricsList->Clear();
    EXPECT_EQ(orvo->GetLyricsText(2)->Spare, 0) << "Clear kept a line";
}

TEST_F(Tracks, NegativeLineCountMeansNoLines) {
    AttachServer();
    server.lyrics = {Line(0, u"a")};
    orvo->GetLyricsText(0);
    server.properties["Lines"] = -3;
    EXPECT_EQ(orvo->LyricsList->Count(), 0);
    EXPECT_EQ(orvo->GetLyricsText(0), nullptr);
}

TEST_F(Tracks, DisplayTextIsRefilledInTheSameObject) {
    AttachServer();
    TLyrics* const before = orvo->GetText();
    server.displayText = Line(5, u"title");
    server.displayText.flags = 0x00000001;  // ShowAccel on, Option off
    server.displayText.size = 10;
    server.displayText.style = 0x0A;
    TLyrics* const text = orvo->GetText();
    EXPECT_EQ(text, before);
    EXPECT_EQ(text->Number, -1) << "the display text has no number of its own";
    EXPECT_EQ(text->Text, "title");
    EXPECT_TRUE(text->ShowAccel);
    EXPECT_FALSE(text->Option);
    EXPECT_EQ(text->Font.Size, 10);
    EXPECT_EQ(text->Font.Height, -13);
    EXPECT_TRUE(text->Font.Italic);
    EXPECT_TRUE(text->Font.StrikeOut);
    EXPECT_FALSE(text->Font.Bold);
}

}  // namespace
