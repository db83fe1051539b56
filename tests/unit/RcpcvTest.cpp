#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "converters/LiveRegistry.h"
#include "converters/Texts.h"
#include "converters/rcpcv.h"
#include "tests/fake/FakePlatform.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

// An in-process RCPCV: records its calls with their handles and reports progress through a
// record laid out as the library lays it out.
struct FakeRcpcv {
    static inline std::vector<std::string> calls;
    static inline std::uint32_t object = 0x5001;
    static inline std::int32_t saveResult = 0;
    static inline std::vector<std::int32_t> progress;
    static inline std::vector<std::int32_t> answers;
    static inline std::uint32_t user = 0;

    static void Reset() {
        calls.clear();
        object = 0x5001;
        saveResult = 0;
        progress.clear();
        answers.clear();
    }

    static std::uint32_t VLC_STDCALL ConvertFile(const char* source, std::int32_t mode,
                                                 TRCPCV::ProgressCallbackFn cb,
                                                 std::int32_t reserved, std::uint32_t u) {
        calls.push_back("ConvertFile(" + std::string(source) + ", " + std::to_string(mode) + ", " +
                        std::to_string(reserved) +
                        (cb == &TRCPCV::ProgressCallback ? ", callback)" : ", ?)"));
        user = u;
        for (std::int32_t p : progress) {
            unsigned char record[20];
            std::memset(record, 0xEE, sizeof record);
            std::memcpy(record + 8, &p, 4);
            std::memcpy(record + 12, &u, 4);
            answers.push_back(cb(record));
        }
        return object;
    }
    static std::int32_t VLC_STDCALL SaveSmf(std::uint32_t handle, const char* dest) {
        calls.push_back("SaveSMF(" + fake::Hex(handle) + ", " + dest + ")");
        return saveResult;
    }
    static std::int32_t VLC_STDCALL DeleteObject(std::uint32_t handle) {
        calls.push_back("DeleteObject(" + fake::Hex(handle) + ")");
        return 1;
    }
    static std::int32_t VLC_STDCALL Other() {
        calls.push_back("unexpected");
        return 0;
    }
};

template <class F>
void* Fn(F f) {
    return reinterpret_cast<void*>(f);
}

fake::Exports FullLibrary(const std::string& prefix = "") {
    fake::Exports e = {{prefix + "rcpcvConvertFile", Fn(&FakeRcpcv::ConvertFile)},
                       {prefix + "rcpcvSaveSMF", Fn(&FakeRcpcv::SaveSmf)},
                       {prefix + "rcpcvDeleteObject", Fn(&FakeRcpcv::DeleteObject)}};
    for (const char* name : {"rcpcvConvertFileFromBuffer", "rcpcvGetSMF", "rcpcvGetSMFLength",
                             "rcpcvGetOriginalFileType", "rcpcvGetVersionMajor",
                             "rcpcvGetVersionMinor", "rcpcvGetCopyright"})
        e[prefix + name] = Fn(&FakeRcpcv::Other);
    return e;
}

class Rcpcv : public ::testing::Test {
  protected:
    void SetUp() override {
        FakeRcpcv::Reset();
        os.libraries["rcpcv.dll"] = FullLibrary();
    }

    fake::FakePlatform os;
    TRCPCV rcpcv;
};

// Loaded by full path; a library is found beside the host program first.
std::string LoadCall(const std::string& path) {
    return "LoadLibrary(" + fake::Quote(path) + ")";
}
const std::string kLoad = LoadCall("C:\\ORVO\\rcpcv.dll");
const std::vector<std::string> kEveryFolderTried = {kLoad, LoadCall("C:\\ORVO\\Plugins\\rcpcv.dll"),
                                                    LoadCall("C:\\Windows\\system32\\rcpcv.dll")};

TEST_F(Rcpcv, StartsOff) {
    EXPECT_FALSE(rcpcv.Enabled);
    EXPECT_FALSE(rcpcv.Loaded());
    EXPECT_EQ(rcpcv.ConvertedObject, 0u);
    EXPECT_EQ(rcpcv.LastResult, 0);
    EXPECT_THAT(os.calls, IsEmpty());
}

TEST_F(Rcpcv, SwitchingOnWithoutLibraryStaysOffSilently) {
    os.libraries.clear();

    rcpcv.SetEnabled(true);

    EXPECT_FALSE(rcpcv.Enabled);
    EXPECT_THAT(os.calls, ElementsAreArray(kEveryFolderTried));
}

TEST_F(Rcpcv, SwitchingOnProbesAllTenNamesInOrderAndFreesTheLibrary) {
    rcpcv.SetEnabled(true);

    EXPECT_TRUE(rcpcv.Enabled);
    EXPECT_TRUE(os.loadedLibraries.empty());
    const auto lookups = os.CallsNamed("GetProcAddress");
    EXPECT_THAT(
        lookups,
        ElementsAre("GetProcAddress(\"rcpcvConvertFile\")",
                    "GetProcAddress(\"rcpcvConvertFileFromBuffer\")",
                    "GetProcAddress(\"rcpcvDeleteObject\")", "GetProcAddress(\"rcpcvGetSMF\")",
                    "GetProcAddress(\"rcpcvSaveSMF\")", "GetProcAddress(\"rcpcvGetSMFLength\")",
                    "GetProcAddress(\"rcpcvGetOriginalFileType\")",
                    "GetProcAddress(\"rcpcvGetVersionMajor\")",
                    "GetProcAddress(\"rcpcvGetVersionMinor\")",
                    "GetProcAddress(\"rcpcvGetCopyright\")"));
    EXPECT_EQ(os.calls.front(), kLoad);
    EXPECT_EQ(os.calls.back().rfind("FreeLibrary(", 0), 0u);
}

TEST_F(Rcpcv, WhichLibrariesAreAccepted) {
    const auto only = [](std::initializer_list<const char*> names) {
        fake::Exports all = FullLibrary("");
        for (const auto& [name, address] : FullLibrary("_")) all[name] = address;
        fake::Exports out;
        for (const char* name : names) out[name] = all.at(name);
        return out;
    };
    struct Case {
        const char* name;
        fake::Exports exports;
        bool accepted;
    };
    const Case cases[] = {
        {"full", FullLibrary(), true},
        {"underscore names only", FullLibrary("_"), true},
        {"only the two required", only({"rcpcvConvertFile", "rcpcvSaveSMF"}), true},
        {"mixed forms", only({"_rcpcvConvertFile", "rcpcvSaveSMF"}), true},
        {"no save function", only({"rcpcvConvertFile", "rcpcvDeleteObject"}), false},
        {"no convert function", only({"_rcpcvSaveSMF", "rcpcvDeleteObject"}), false},
        {"nothing", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os.libraries["rcpcv.dll"] = c.exports;
        os.boxes.clear();

        rcpcv.SetEnabled(true);

        EXPECT_EQ(rcpcv.Enabled, c.accepted);
        EXPECT_TRUE(os.loadedLibraries.empty());
        ASSERT_EQ(os.boxes.size(), c.accepted ? 0u : 1u);
        if (!c.accepted) {
            EXPECT_EQ(os.boxes[0].text, converters::texts::kRcpcvUnusable);
            EXPECT_EQ(os.boxes[0].caption, "Vellacord");
            EXPECT_EQ(os.boxes[0].type, platform::kMbOk | platform::kMbIconError);
            EXPECT_EQ(os.boxes[0].codePage, 932u);
        }
    }
    EXPECT_THAT(os.CallsNamed("MessageBeep"), IsEmpty());
}

TEST_F(Rcpcv, SuccessfulConversionIsThreeCallsWithOneHandleAndKeepsTheLibrary) {
    rcpcv.SetEnabled(true);
    FakeRcpcv::object = 0x12345678;
    FakeRcpcv::saveResult = 9;

    rcpcv.Convert("C:\\song.rcp", "C:\\w\\VLCRD0.mid");

    EXPECT_THAT(FakeRcpcv::calls,
                ElementsAre("ConvertFile(C:\\song.rcp, 2, 0, callback)",
                            "SaveSMF(0x12345678, C:\\w\\VLCRD0.mid)", "DeleteObject(0x12345678)"));
    EXPECT_EQ(FakeRcpcv::user, converters::LiveRegistry<TRCPCV>::UserValue(&rcpcv));
    EXPECT_EQ(rcpcv.LastResult, 9);
    EXPECT_EQ(rcpcv.ConvertedObject, 0x12345678u);
    EXPECT_TRUE(rcpcv.Loaded());

    rcpcv.SetEnabled(false);
    EXPECT_TRUE(os.loadedLibraries.empty());
}

TEST_F(Rcpcv, NoObjectMeansNoSaveAndNoDelete) {
    rcpcv.SetEnabled(true);
    FakeRcpcv::object = 0;
    FakeRcpcv::saveResult = 9;

    rcpcv.Convert("a.rcp", "b.mid");

    EXPECT_EQ(FakeRcpcv::calls.size(), 1u);
    EXPECT_EQ(rcpcv.LastResult, 0);
}

TEST_F(Rcpcv, MissingDeleteFunctionSkipsOnlyTheRelease) {
    os.libraries["rcpcv.dll"].erase("rcpcvDeleteObject");
    rcpcv.SetEnabled(true);

    rcpcv.Convert("a.rcp", "b.mid");

    EXPECT_THAT(FakeRcpcv::calls,
                ElementsAre("ConvertFile(a.rcp, 2, 0, callback)", "SaveSMF(0x5001, b.mid)"));
}

TEST_F(Rcpcv, NoLibraryCallWhenOffOrAPathIsEmpty) {
    rcpcv.Convert("a.rcp", "b.mid");  // off
    EXPECT_THAT(os.calls, IsEmpty());

    rcpcv.SetEnabled(true);
    rcpcv.Convert("", "b.mid");
    rcpcv.Convert("a.rcp", "");
    EXPECT_THAT(FakeRcpcv::calls, IsEmpty());
    EXPECT_EQ(rcpcv.LastResult, 0);
}

TEST_F(Rcpcv, ConvertTurnsOffWhenTheLibraryWentAway) {
    rcpcv.SetEnabled(true);
    os.libraries["rcpcv.dll"].erase("rcpcvSaveSMF");

    rcpcv.Convert("a.rcp", "b.mid");
    EXPECT_FALSE(rcpcv.Enabled);
    EXPECT_EQ(os.boxes.size(), 1u);

    os.libraries.clear();
    rcpcv.SetEnabled(true);
    EXPECT_FALSE(rcpcv.Enabled);
    EXPECT_THAT(FakeRcpcv::calls, IsEmpty());
    EXPECT_TRUE(os.loadedLibraries.empty());
}

TEST_F(Rcpcv, SwitchingOnWhileLoadedLooksUpAgain) {
    rcpcv.SetEnabled(true);
    rcpcv.Convert("a.rcp", "b.mid");
    os.ClearCalls();

    rcpcv.SetEnabled(true);
    EXPECT_TRUE(rcpcv.Loaded());
    EXPECT_EQ(os.CallsNamed("GetProcAddress").size(), 10u);
    EXPECT_THAT(os.CallsNamed("LoadLibrary"), IsEmpty());

    os.libraries["rcpcv.dll"].erase("rcpcvConvertFile");
    rcpcv.SetEnabled(true);
    EXPECT_FALSE(rcpcv.Enabled);
    EXPECT_FALSE(rcpcv.Loaded());
    EXPECT_EQ(os.boxes.size(), 1u);
}

TEST_F(Rcpcv, SetEnabledClearsLastResultEitherWay) {
    rcpcv.SetEnabled(true);
    FakeRcpcv::saveResult = 4;
    for (bool value : {true, false}) {
        rcpcv.SetEnabled(true);
        rcpcv.Convert("a.rcp", "b.mid");
        ASSERT_EQ(rcpcv.LastResult, 4);
        rcpcv.SetEnabled(value);
        EXPECT_EQ(rcpcv.LastResult, 0) << value;
    }
}

TEST_F(Rcpcv, ProgressFromTheRecordReachesTheHandler) {
    rcpcv.SetEnabled(true);
    std::vector<std::int32_t> seen;
    rcpcv.OnProgress = [&](TRCPCV* sender, std::int32_t progress, bool& stop) {
        EXPECT_EQ(sender, &rcpcv);
        seen.push_back(progress);
        stop = progress < 0;
    };
    FakeRcpcv::progress = {40, -5, 100};

    rcpcv.Convert("a.rcp", "b.mid");

    EXPECT_THAT(seen, ElementsAre(40, -5, 100));
    EXPECT_THAT(FakeRcpcv::answers, ElementsAre(1, 0, 1));
}

TEST_F(Rcpcv, ForeignOrStaleUserValuesAreAnsweredWithGoOnAndFireNothing) {
    int fired = 0;
    rcpcv.OnProgress = [&](TRCPCV*, std::int32_t, bool& stop) {
        ++fired;
        stop = true;
    };
    auto record = [](std::uint32_t user) {
        std::vector<unsigned char> r(16, 0);
        r[8] = 40;
        std::memcpy(r.data() + 12, &user, 4);
        return r;
    };
    auto doomed = std::make_unique<TRCPCV>();
    doomed->OnProgress = rcpcv.OnProgress;
    const std::uint32_t stale = converters::LiveRegistry<TRCPCV>::UserValue(doomed.get());
    EXPECT_EQ(TRCPCV::ProgressCallback(record(stale).data()), 0);
    doomed.reset();
    fired = 0;

    for (std::uint32_t value : {stale, 0u, 0x12u, 0xDEADBEEFu, 0xFFFFFFFFu})
        EXPECT_EQ(TRCPCV::ProgressCallback(record(value).data()), 1) << value;
    EXPECT_EQ(TRCPCV::ProgressCallback(nullptr), 1);
    EXPECT_EQ(fired, 0);
}

}  // namespace
