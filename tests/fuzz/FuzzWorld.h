// Shared pieces of the fuzz targets: a fresh faked world per input and a hard property check.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "hostlink/ORVO_TLB.h"
#include "tests/fake/FakeOrvoServer.h"
#include "tests/fake/FakePlatform.h"

namespace fuzz {

// A broken property is a finding like a crash: report it and stop so libFuzzer keeps the input.
inline void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

// The system and a running player whose automation server is reachable through COM.
struct World {
    static constexpr platform::Handle kPlayerWindow = 0x5150;

    fake::FakePlatform os;
    fake::FakeOrvoServer server{os.calls};

    World() {
        os.windowsByClass["TFormORVO"] = kPlayerWindow;
        os.registry["HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ORVO.EXE"] =
            "C:\\ORVO\\ORVO.exe";
        os.comClasses.push_back(
            {Orvo_tlb::CLSID_ORVOControl, [this](const platform::Guid& iid, void** object) {
                 return server.QueryInterface(iid, object);
             }});
    }

    // Whatever happened, every automation string and interface reference was given back.
    void CheckBalanced() {
        Check(os.liveBstrs == 0, "every automation string freed");
        Check(server.refCount == 1, "every server reference released");
    }
};

}  // namespace fuzz
