// Remote control of the player: neutral values while unbound, the forms values take at the
// player's interface, and what a failed read leads to.
#include <functional>

#include "tests/unit/CompanionFixture.h"

namespace {

using Read = std::function<std::int64_t(TORVO&)>;

struct ReadCase {
    const char* property;  // the fake server's name for it
    Read read;
    std::int64_t neutral;
    const char* callText;
};

// clang-format off
const ReadCase kReads[] = {
    {"Visible", [](TORVO& o) { return o.GetVisible(); }, 0, "this->get_Visible((long*)&Value)"},
    {"Left", [](TORVO& o) { return o.GetLeft(); }, -1, "this->get_Left((long*)&Value)"},
    {"Top", [](TORVO& o) { return o.GetTop(); }, -1, "this->get_Top((long*)&Value)"},
    {"Width", [](TORVO& o) { return o.GetWidth(); }, -1, "this->get_Width((long*)&Value)"},
    {"Height", [](TORVO& o) { return o.GetHeight(); }, -1, "this->get_Height((long*)&Value)"},
    {"PlayStatus", [](TORVO& o) { return o.GetPlayStatus(); }, 524, "this->get_PlayStatus((long*)&Value)"},
    {"Track", [](TORVO& o) { return o.GetTrack(); }, 0, "this->get_Track((long*)&Value)"},
    {"Length", [](TORVO& o) { return o.GetLength(); }, 0, "this->get_Length((long*)&Value)"},
    {"Volume", [](TORVO& o) { return o.GetVolume(); }, 0, "this->get_Volume((long*)&Value)"},
    {"Counter", [](TORVO& o) { return o.GetCounter(); }, 0, "this->get_Counter((long*)&Value)"},
    {"Repeat", [](TORVO& o) { return o.GetRepeat(); }, 0, "this->get_Repeat((VARIANT_BOOL*)&Value)"},
    {"Random", [](TORVO& o) { return o.GetRandom(); }, 0, "this->get_Random((VARIANT_BOOL*)&Value)"},
    {"RemainTime", [](TORVO& o) { return o.GetRemainTime(); }, 0, "this->get_RemainTime((VARIANT_BOOL*)&Value)"},
    {"DisplayMode", [](TORVO& o) { return o.GetDisplayMode(); }, 0, "this->get_DisplayMode((Orvo_tlb::TORVODisplayMode*)&Mode)"},
    {"OnTimer", [](TORVO& o) { return o.GetOnTimer(); }, 0, "this->get_OnTimer((VARIANT_BOOL*)&Value)"},
    {"OnTime", [](TORVO& o) { return o.GetOnTime(); }, 0, "this->get_OnTime((long*)&Value)"},
    {"OffTimer", [](TORVO& o) { return o.GetOffTimer(); }, 0, "this->get_OffTimer((VARIANT_BOOL*)&Value)"},
    {"OffTime", [](TORVO& o) { return o.GetOffTime(); }, 0, "this->get_OffTime((long*)&Value)"},
    {"ShutDownRecord", [](TORVO& o) { return o.GetShutDownRecord(); }, 0, "this->get_ShutDownRecord((VARIANT_BOOL*)&Value)"},
    {"RecLevel", [](TORVO& o) { return o.GetRecLevel(); }, 100, "this->get_RecLevel((long*)&Value)"},
    {"Rate", [](TORVO& o) { return o.GetRate(); }, 100, "this->get_Rate((long*)&Value)"},
    {"Position", [](TORVO& o) { return o.GetPosition(); }, 0, "this->get_Position((long*)&Value)"},
};

struct WriteCase {
    std::function<void(TORVO&)> write;
    const char* logged;
};

const WriteCase kWrites[] = {
    {[](TORVO& o) { o.SetVisible(true); }, "Control.set_Visible(1)"},
    {[](TORVO& o) { o.SetVisible(false); }, "Control.set_Visible(0)"},
    {[](TORVO& o) { o.SetLeft(-20); }, "Control.set_Left(-20)"},
    {[](TORVO& o) { o.SetTop(30); }, "Control.set_Top(30)"},
    {[](TORVO& o) { o.SetTrack(4); }, "Control.set_Track(4)"},
    {[](TORVO& o) { o.SetPosition(90000); }, "Control.set_Position(90000)"},
    {[](TORVO& o) { o.SetVolume(77); }, "Control.set_Volume(77)"},
    {[](TORVO& o) { o.SetCounter(42); }, "Control.set_Counter(42)"},
    {[](TORVO& o) { o.SetRepeat(true); }, "Control.set_Repeat(-1)"},
    {[](TORVO& o) { o.SetRepeat(false); }, "Control.set_Repeat(0)"},
    {[](TORVO& o) { o.SetRandom(true); }, "Control.set_Random(-1)"},
    {[](TORVO& o) { o.SetRemainTime(true); }, "Control.set_RemainTime(-1)"},
    {[](TORVO& o) { o.SetDisplayMode(3); }, "Control.set_DisplayMode(3)"},
    {[](TORVO& o) { o.SetOnTimer(true); }, "Control.set_OnTimer(-1)"},
    {[](TORVO& o) { o.SetOnTime(600); }, "Control.set_OnTime(600)"},
    {[](TORVO& o) { o.SetOffTimer(true); }, "Control.set_OffTimer(-1)"},
    {[](TORVO& o) { o.SetOffTime(700); }, "Control.set_OffTime(700)"},
    {[](TORVO& o) { o.SetShutDownRecord(true); }, "Control.set_ShutDownRecord(-1)"},
    {[](TORVO& o) { o.SetRecLevel(80); }, "Control.set_RecLevel(80)"},
    {[](TORVO& o) { o.SetRate(150); }, "Control.set_Rate(150)"},
    {[](TORVO& o) { o.Stop(); }, "Control.Stop()"},
    {[](TORVO& o) { o.Pause(); }, "Control.Pause()"},
    {[](TORVO& o) { o.Play(); }, "Control.Play()"},
    {[](TORVO& o) { o.FF(true); }, "Control.FF(1)"},
    {[](TORVO& o) { o.Rewind(false); }, "Control.Rewind(0)"},
    {[](TORVO& o) { o.Next(); }, "Control.Next()"},
    {[](TORVO& o) { o.Back(); }, "Control.Back()"},
    {[](TORVO& o) { o.Eject(); }, "Control.Eject()"},
    {[](TORVO& o) { o.Seek(5, -6); }, "Control.Seek(5, -6)"},
    {[](TORVO& o) { o.ShowPlayList(); }, "Control.ShowPlayList()"},
    {[](TORVO& o) { o.ShowProperty(); }, "Control.ShowProperty()"},
    {[](TORVO& o) { o.ShowMenu(); }, "Control.ShowMenu()"},
    {[](TORVO& o) { o.ShowToolMenu(); }, "Control.ShowToolMenu()"},
    {[](TORVO& o) { o.Click(-3); }, "Control.Click(-3)"},
    {[](TORVO& o) { o.KeyDown(13, 0x04 | 0x01); }, "Control.KeyDown(13, 5)"},  // ctrl, shift
    // Keys above 0x7FFF stay positive; bits beyond the seven flags are not passed on.
    {[](TORVO& o) { o.KeyDown(0xFFFF, 0xFFFFFFFFu); }, "Control.KeyDown(65535, 127)"},
    {[](TORVO& o) { o.SaveORVOini(); }, "Control.SaveORVOini()"},
};
// clang-format on

bool IsFlag(const ReadCase& c) {
    return std::string(c.callText).find("VARIANT_BOOL") != std::string::npos ||
           std::string(c.property) == "Visible";
}

using RemoteControl = CompanionFixture;

TEST_F(RemoteControl, UnboundReadsGiveNeutralValuesWithoutAnyCall) {
    for (const ReadCase& c : kReads) EXPECT_EQ(c.read(*orvo), c.neutral) << c.property;
    std::int32_t first = 9, second = 9;
    orvo->GetVolumes(first, second);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
    std::int32_t speana[11];
    std::fill(std::begin(speana), std::end(speana), 9);
    orvo->GetSpeana(speana);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(speana[i], 0) << i;
    EXPECT_EQ(speana[10], 9) << "wrote past the ten values";
    EXPECT_TRUE(os.calls.empty()) << os.calls.front();
}

TEST_F(RemoteControl, UnboundWritesAndCommandsDoNothing) {
    for (const WriteCase& c : kWrites) c.write(*orvo);
    EXPECT_TRUE(os.calls.empty()) << os.calls.front();
}

TEST_F(RemoteControl, ReadsReachTheirOperationAndAnyNonZeroIsTrue) {
    AttachServer();
    for (const ReadCase& c : kReads) {
        os.ClearCalls();
        server.properties[c.property] = 2;
        EXPECT_EQ(c.read(*orvo), IsFlag(c) ? 1 : 2) << c.property;
        EXPECT_EQ(os.calls,
                  std::vector<std::string>{"Control.get_" + std::string(c.property) + "()"});
    }
    // The 32-bit form is not cut to 16 bits.
    server.properties["Visible"] = 0x10000;
    EXPECT_TRUE(orvo->GetVisible());
    server.properties["Repeat"] = 1;
    EXPECT_TRUE(orvo->GetRepeat());
    server.properties["Repeat"] = 0;
    EXPECT_FALSE(orvo->GetRepeat());
}

TEST_F(RemoteControl, WritesAndCommandsPassTheirForms) {
    AttachServer();
    for (const WriteCase& c : kWrites) {
        os.ClearCalls();
        c.write(*orvo);
        ASSERT_EQ(os.calls.size(), 1u) << c.logged;
        EXPECT_EQ(os.calls[0], c.logged);
    }
}

TEST_F(RemoteControl, MultiValueReadingsTakeWhatThePlayerWrites) {
    AttachServer();
    server.properties["VolumeLeft"] = 11;
    server.properties["VolumeRight"] = 22;
    std::int32_t first = 0, second = 0;
    orvo->GetVolumes(first, second);
    EXPECT_EQ(first, 11);
    EXPECT_EQ(second, 22);
    std::int32_t speana[10] = {};
    orvo->GetSpeana(speana);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(speana[i], 100 + i) << "value " << i << " out of order";
}

TEST_F(RemoteControl, FailedReadShowsItsCallTextAndContinuesWithTheValueAsLeft) {
    AttachServer();
    os.messageBoxAnswer = platform::kIdOk;
    for (const ReadCase& c : kReads) {
        server.properties[c.property] = 7;
        server.failingReads[c.property] = platform::kEFail;
        os.boxes.clear();
        const std::int64_t value = c.read(*orvo);
        ASSERT_EQ(os.boxes.size(), 1u) << c.property;
        EXPECT_EQ(os.boxes[0].text.rfind(std::string(c.callText) + "\n", 0), 0u)
            << os.boxes[0].text;
        EXPECT_EQ(value, IsFlag(c) ? 1 : 7) << c.property << ": the player's value was dropped";
    }
    EXPECT_TRUE(orvo->Bound);
}

TEST_F(RemoteControl, FailedReadRaisesWhenTheUserStops) {
    AttachServer();
    os.messageBoxAnswer = platform::kIdCancel;
    for (const ReadCase& c : kReads) {
        if (std::string(c.property) == "Position") continue;
        server.failingReads[c.property] = platform::kEFail;
        EXPECT_THROW(c.read(*orvo), EOleError) << c.property;
    }
    EXPECT_TRUE(orvo->Bound);
}

TEST_F(RemoteControl, PositionReadThatIsStoppedUnbindsAndGivesZero) {
    AttachServer();
    server.properties["Position"] = 1234;
    EXPECT_EQ(orvo->GetPosition(), 1234);

    server.failingReads["Position"] = platform::kEFail;
    os.messageBoxAnswer = platform::kIdCancel;
    std::int32_t position = -1;
    EXPECT_NO_THROW(position = orvo->GetPosition());
    EXPECT_EQ(position, 0);
    EXPECT_FALSE(orvo->Bound);
    EXPECT_FALSE(orvo->ControlIntf);
    EXPECT_TRUE(Logged("Control.Detach(" + std::to_string(orvo->MessageWindow) + ")"));
}

}  // namespace
