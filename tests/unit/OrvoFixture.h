// A TORVO on the fake platform, with the fake automation server attached as a successful Bind
// leaves it. Player calls and system calls land in one log, so "nothing reached the player" is
// an empty log.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hostlink/orvo.h"
#include "tests/fake/FakeOrvoServer.h"
#include "tests/fake/FakePlatform.h"

class OrvoFixture : public ::testing::Test {
  protected:
    static constexpr platform::Handle kPlayerWindow = 0x5150;

    OrvoFixture() { os.ClearCalls(); }

    ~OrvoFixture() override {
        orvo.reset();
        EXPECT_EQ(os.liveBstrs, 0) << "an automation string was not freed";
    }

    // The four interfaces, held as Bind holds them.
    void AttachServer() {
        server.AddRef();
        orvo->ControlIntf.Reset(server.Control());
        server.AddRef();
        orvo->PlayListIntf.Reset(server.PlayList());
        server.AddRef();
        orvo->LyricsIntf.Reset(server.Lyrics());
        server.AddRef();
        orvo->MenuIntf.Reset(server.Menu());
        orvo->HostWnd = kPlayerWindow;
        orvo->Bound = true;
        os.ClearCalls();
    }

    bool Logged(const std::string& line) const {
        return std::find(os.calls.begin(), os.calls.end(), line) != os.calls.end();
    }

    int CountLogged(const std::string& line) const {
        return static_cast<int>(std::count(os.calls.begin(), os.calls.end(), line));
    }

    fake::FakePlatform os;
    fake::FakeOrvoServer server{os.calls};
    std::unique_ptr<TORVO> orvo = std::make_unique<TORVO>(nullptr);
};
