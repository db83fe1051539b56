// A TORVO in a recording world: the fake system and the fake player share one call log.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "hostlink/orvo.h"
#include "tests/fake/FakeOrvoServer.h"
#include "tests/fake/FakePlatform.h"

class OrvoFixture : public ::testing::Test {
  protected:
    static constexpr platform::Handle kPlayerWindow = 0x5150;
    static constexpr const char* kAppPaths =
        "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ORVO.EXE";
    static constexpr const char* kUserKey = "HKCU\\Software\\QUARN\\ORVO";

    fake::FakePlatform os;
    fake::FakeOrvoServer server{os.calls};

    OrvoFixture() {
        os.windowsByClass["TFormORVO"] = kPlayerWindow;
        os.registry[kAppPaths] = "C:\\Player\\ORVO.EXE";
        os.comClasses.push_back(
            {Orvo_tlb::CLSID_ORVOControl, [this](const platform::Guid& iid, void** object) {
                 return server.QueryInterface(iid, object);
             }});
    }

    // Every automation string handed over in a test is freed by its end.
    void TearDown() override { EXPECT_EQ(os.liveBstrs, 0); }

    // A new component; its announcement to every client (itself included) already delivered.
    std::unique_ptr<TORVO> Make() {
        auto orvo = std::make_unique<TORVO>(nullptr);
        os.PumpMessages();
        return orvo;
    }

    std::unique_ptr<TORVO> MakeBound() {
        auto orvo = Make();
        orvo->Bind();
        EXPECT_TRUE(orvo->Bound);
        os.ClearCalls();
        return orvo;
    }

    // Delivers one "WM_ORVO" message as the system would.
    static std::intptr_t Deliver(TORVO& orvo, std::uint32_t wParam, std::uint32_t lParam) {
        return orvo.WndProc(orvo.MessageId, wParam,
                            static_cast<std::intptr_t>(static_cast<std::int32_t>(lParam)));
    }

    // The recorded calls that begin with one of `prefixes`, in order.
    std::vector<std::string> Only(std::initializer_list<std::string> prefixes) const {
        std::vector<std::string> out;
        for (const auto& c : os.calls)
            for (const auto& p : prefixes)
                if (c.compare(0, p.size(), p) == 0) {
                    out.push_back(c);
                    break;
                }
        return out;
    }

    std::string Win(platform::Handle h) const { return fake::Hex(h); }
};
