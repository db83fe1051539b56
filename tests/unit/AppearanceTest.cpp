// The player's design, tool list, colours, fonts and form image.
#include "hostlink/font.h"
#include "tests/unit/CompanionFixture.h"

namespace {

constexpr char kIni[] = "C:\\Player\\ORVO.ini";

class Appearance : public CompanionFixture {
  protected:
    Appearance() {
        orvo->ExePath = "C:\\Player\\ORVO.EXE";
        os.windowsByClass["TFormORVO"] = kPlayerWindow;
        os.currentDirectory = "D:\\Work";
    }

    int ToolNotifications() const {
        int n = 0;
        for (const auto& m : os.posted)
            if (m.window == kPlayerWindow && m.message == orvo->MessageId && m.wParam == 0x403 &&
                m.lParam == 0)
                ++n;
        return n;
    }
};

TEST_F(Appearance, UnboundDesignIsMadeAbsoluteInThePlayersFolder) {
    os.SetIniText(kIni, "[ORVO]\nDesign=skin\\blue.ini\n");
    EXPECT_EQ(orvo->GetDesign(), "C:\\Player\\skin\\blue.ini");
    EXPECT_EQ(os.currentDirectory, "D:\\Work");
    EXPECT_EQ(os.CallsNamed("SetCurrentDirectory"),
              (std::vector<std::string>{"SetCurrentDirectory(\"C:\\x5cPlayer\")",
                                        "SetCurrentDirectory(\"D:\\x5cWork\")"}));

    os.SetIniText(kIni, "[ORVO]\nDesign=E:\\skins\\red.ini\n");
    EXPECT_EQ(orvo->GetDesign(), "E:\\skins\\red.ini");
    EXPECT_EQ(os.currentDirectory, "D:\\Work");
}

TEST_F(Appearance, UnboundMissingDesignLeavesTheCurrentDirectoryAlone) {
    os.SetIniText(kIni, "[ORVO]\nOther=1\n");
    EXPECT_EQ(orvo->GetDesign(), "");
    EXPECT_TRUE(os.CallsNamed("SetCurrentDirectory").empty());
    EXPECT_TRUE(os.CallsNamed("GetCurrentDirectory").empty());
}

TEST_F(Appearance, UnboundDesignIsWrittenAsGivenAndReadBackAbsolute) {
    orvo->SetDesign("skin\\green.ini");
    EXPECT_NE(os.IniText(kIni).find("Design=skin\\green.ini"), std::string::npos);
    EXPECT_EQ(orvo->GetDesign(), "C:\\Player\\skin\\green.ini");
}

TEST_F(Appearance, BoundDesignGoesThroughThePlayerAndLeavesTheIniAlone) {
    AttachServer();
    orvo->SetDesign("\x83\x5c.ini");  // ソ.ini
    EXPECT_EQ(server.design, u"\u30BD.ini");
    EXPECT_EQ(orvo->GetDesign(), "\x83\x5c.ini");
    EXPECT_TRUE(os.CallsNamed("WriteProfileString").empty());
    EXPECT_TRUE(os.CallsNamed("GetProfileString").empty());

    server.failingReads["Design"] = platform::kEFail;
    os.messageBoxAnswer = platform::kIdCancel;
    EXPECT_THROW(orvo->GetDesign(), EOleError);
    EXPECT_EQ(os.boxes.back().text.rfind("this->get_Design((BSTR*)&Value)\n", 0), 0u);
}

TEST_F(Appearance, EveryToolWriteTellsThePlayerOnce) {
    for (const bool bound : {false, true}) {
        if (bound) AttachServer();
        os.posted.clear();
        orvo->SetTool("Editor", "notepad.exe");
        EXPECT_TRUE(orvo->ToolExists("editor")) << "names compare without case";
        EXPECT_EQ(ToolNotifications(), 1);
        orvo->DeleteTool("Editor");
        EXPECT_FALSE(orvo->ToolExists("Editor"));
        EXPECT_EQ(ToolNotifications(), 2);
        orvo->DeleteTool("Editor");  // nothing left to delete: still told
        EXPECT_EQ(ToolNotifications(), 3);
        EXPECT_EQ(os.posted.size(), 3u);
    }
}

TEST_F(Appearance, ToolWithAnEmptyValueExists) {
    os.SetIniText(kIni, "[Tool]\nEmpty=\nOne=\x01\n");
    EXPECT_TRUE(orvo->ToolExists("Empty"));
    EXPECT_TRUE(orvo->ToolExists("One"));
    EXPECT_FALSE(orvo->ToolExists("Two"));
}

TEST_F(Appearance, UnboundLookGivesNoColourAndTheSameFont) {
    TFont* const font = orvo->GetFont(0);
    font->Name = "kept";
    EXPECT_EQ(orvo->GetColor(1), 0x1FFFFFFFu);
    EXPECT_EQ(orvo->GetFont(1), font);
    EXPECT_EQ(font->Name, "kept");
    orvo->GetFormImage("x");
    EXPECT_TRUE(os.calls.empty()) << os.calls.front();
}

TEST_F(Appearance, BoundLookComesFromThePlayer) {
    AttachServer();
    server.colors[2] = 0x123456;
    server.fonts[3] = {u"\u30B4\u30B7\u30C3\u30AF", 0x180, -12, 0x0A, 0xFF};
    EXPECT_EQ(orvo->GetColor(2), 0x123456u);
    TFont* const font = orvo->GetFont(3);
    EXPECT_EQ(font, orvo->Font.get());
    EXPECT_EQ(font->Name,
              "\x83S\x83V\x83"
              "b\x83N");  // ゴシック
    EXPECT_EQ(font->Charset, 0x80);
    EXPECT_EQ(font->Height, -12);
    EXPECT_EQ(font->Size, 9);
    EXPECT_FALSE(font->Bold);
    EXPECT_TRUE(font->Italic);
    EXPECT_FALSE(font->Underline);
    EXPECT_TRUE(font->StrikeOut);
    EXPECT_EQ(font->Color, 0xFFu);
    orvo->GetFormImage("form");
    EXPECT_EQ(os.calls.back(), "Control.GetFormImage(\"form\")");
}

TEST(Font, SizeAndHeightFollowEachOtherAtNinetySixPixelsPerInch) {
    TFont font;
    font.SetSize(10);
    EXPECT_EQ(font.Height, -13);
    font.SetSize(12);
    EXPECT_EQ(font.Height, -16);
    font.SetHeight(-16);
    EXPECT_EQ(font.Size, 12);
    font.SetHeight(-11);
    EXPECT_EQ(font.Size, 8);
    font.Assign("A", 0, 0, 0, 0);  // size 0 is a size, not a height
    EXPECT_EQ(font.Size, 0);
    EXPECT_EQ(font.Height, 0);
}

TEST(Font, StyleComesFromTheLowFourBitsOnly) {
    TFont font;
    font.Bold = true;
    font.SetStyleBits(0x0A);
    EXPECT_FALSE(font.Bold);
    EXPECT_TRUE(font.Italic);
    EXPECT_FALSE(font.Underline);
    EXPECT_TRUE(font.StrikeOut);
    font.SetStyleBits(0xF0);
    EXPECT_FALSE(font.Italic || font.StrikeOut || font.Bold || font.Underline);
}

}  // namespace
