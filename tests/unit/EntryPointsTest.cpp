#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "plugin/Messages.h"
#include "plugin/main.h"
#include "tests/fake/FakePlatform.h"
#include "tests/fake/FakePluginHost.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class EntryPoints : public ::testing::Test {
  protected:
    void TearDown() override { pinAbort(); }

    fake::FakePlatform os;
    fake::FakePluginHost host{os.calls};
};

TEST_F(EntryPoints, AcceptedStartCreatesThePluginObject) {
    const std::intptr_t result = pinRun(&host);

    EXPECT_NE(result, 0);
    EXPECT_EQ(result, reinterpret_cast<std::intptr_t>(ThePlugin));
    EXPECT_EQ(HostPlugin, &host);
    EXPECT_EQ(PluginPath, host.pluginFileName);
    EXPECT_NE(InstanceMutex, 0u);
    const std::vector<std::string> start(os.calls.begin(), os.calls.begin() + 6);
    EXPECT_THAT(start, ElementsAre("Host.AcceptsVersion(6000)", "Host.HostVersion()",
                                   "CreateMutex(\"Vellacord\")", "GetLastError() -> 0",
                                   "Host.PluginFileName()", "Host.PluginOwner()"));
}

TEST_F(EntryPoints, TooOldHostIsRefusedWithBeepAndWarning) {
    host.hostVersion = 5999;

    EXPECT_EQ(pinRun(&host), host.declineValue);

    const std::string box = "MessageBox(0x30, " + fake::Quote(messages::kHostRefused) + ")";
    EXPECT_THAT(os.calls, ElementsAre("Host.AcceptsVersion(6000)", "Host.HostVersion()",
                                      "MessageBeep(0x30)", box, "Host.Decline()"));
    EXPECT_EQ(ThePlugin, nullptr);
    EXPECT_EQ(InstanceMutex, 0u);
}

TEST_F(EntryPoints, HostNotAcceptingTheVersionIsRefusedWithoutAskingItsVersion) {
    host.accepts = false;

    EXPECT_EQ(pinRun(&host), host.declineValue);

    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_THAT(os.CallsNamed("Host.HostVersion"), IsEmpty());
    EXPECT_EQ(os.calls.back(), "Host.Decline()");
}

TEST_F(EntryPoints, RefusalTextIsTheJapaneseMessageInCodePage932) {
    host.hostVersion = 1;
    pinRun(&host);

    ASSERT_EQ(os.boxes.size(), 1u);
    const auto& box = os.boxes[0];
    EXPECT_EQ(box.codePage, 932u);
    EXPECT_EQ(box.type, platform::kMbOk | platform::kMbIconWarning);
    EXPECT_EQ(os.ToUtf16(box.text, box.codePage),
              u"Vellacord\n\nこのバージョンのORVOには対応していません\n対応版をお使いください");
}

TEST_F(EntryPoints, SecondInstanceIsRefusedSilentlyAndLetsGoOfTheName) {
    os.existingMutexes.insert("Vellacord");

    EXPECT_EQ(pinRun(&host), host.declineValue);

    EXPECT_EQ(ThePlugin, nullptr);
    EXPECT_THAT(os.CallsNamed("MessageBeep"), IsEmpty());
    EXPECT_THAT(os.boxes, IsEmpty());
    EXPECT_EQ(InstanceMutex, 0u);
    EXPECT_EQ(os.CallsNamed("CloseHandle").size(), 1u);
    // The other instance ends. This host never calls _pinAbort after the refusal, yet its next
    // start is accepted: nothing of the refused one keeps the name alive.
    os.existingMutexes.clear();
    EXPECT_NE(pinRun(&host), host.declineValue);
    EXPECT_NE(ThePlugin, nullptr);
}

TEST_F(EntryPoints, SecondRunWithoutAbortKeepsTheFirstInstanceAndItsHandleOnly) {
    const std::intptr_t first = pinRun(&host);
    const platform::Handle held = InstanceMutex;

    EXPECT_EQ(pinRun(&host), host.declineValue);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(ThePlugin), first);
    EXPECT_EQ(InstanceMutex, held);

    pinAbort();
    EXPECT_NE(pinRun(&host), host.declineValue);  // the refused start left no handle open
}

TEST_F(EntryPoints, MutexThatCannotBeCreatedRefusesSilently) {
    os.failMutexCreation = true;

    EXPECT_EQ(pinRun(&host), host.declineValue);
    EXPECT_EQ(ThePlugin, nullptr);
    EXPECT_THAT(os.boxes, IsEmpty());
    EXPECT_THAT(os.CallsNamed("Host.PluginFileName"), IsEmpty());
}

TEST_F(EntryPoints, OpenPlayFilePassesThePointerThroughWhenNotRunning) {
    const char* path = "C:\\songs\\a.rcp";
    EXPECT_EQ(pinOpenPlayFile(path), path);

    ASSERT_NE(pinRun(&host), 0);
    pinAbort();
    EXPECT_EQ(pinOpenPlayFile(path), path);

    host.hostVersion = 10;
    pinRun(&host);
    EXPECT_EQ(pinOpenPlayFile(path), path);
}

TEST_F(EntryPoints, AbortTwiceIsHarmless) {
    ASSERT_NE(pinRun(&host), 0);
    pinAbort();
    os.ClearCalls();
    pinAbort();
    EXPECT_THAT(os.calls, IsEmpty());
    EXPECT_EQ(ThePlugin, nullptr);
    EXPECT_EQ(InstanceMutex, 0u);
}

TEST_F(EntryPoints, RunAfterAbortStartsAgain) {
    ASSERT_NE(pinRun(&host), 0);
    pinAbort();
    EXPECT_NE(pinRun(&host), 0);
    EXPECT_NE(ThePlugin, nullptr);
}

}  // namespace
