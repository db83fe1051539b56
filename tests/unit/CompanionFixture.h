// A TORVO on the fake platform, bound on demand to the fake automation server. Player calls and
// system calls land in one log, so "nothing reached the player" is an empty log.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hostlink/orvo.h"
#include "tests/fake/FakeOrvoServer.h"
#include "tests/fake/FakePlatform.h"

class CompanionFixture : public ::testing::Test {
  protected:
    static constexpr platform::Handle kPlayerWindow = 0x5150;

    CompanionFixture() { os.ClearCalls(); }

    ~CompanionFixture() override {
        orvo.reset();
        EXPECT_EQ(os.liveBstrs, 0) << "an automation string was not freed";
    }

    // Binds to the fake player through the system's class registry, as in the player's process.
    void AttachServer() {
        if (!registered_) {
            os.windowsByClass["TFormORVO"] = kPlayerWindow;
            os.comClasses.push_back(
                {Orvo_tlb::CLSID_ORVOControl, [this](const platform::Guid& iid, void** object) {
                     return server.QueryInterface(iid, object);
                 }});
            registered_ = true;
        }
        orvo->Bind();
        ASSERT_TRUE(orvo->Bound);
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

  private:
    bool registered_ = false;
};
