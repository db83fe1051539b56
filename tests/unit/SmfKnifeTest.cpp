#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "converters/LiveRegistry.h"
#include "converters/Texts.h"
#include "converters/smfknife.h"
#include "tests/fake/FakePlatform.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

// An in-process SMF Knife: records what it was given and calls back as a library would.
struct FakeSmfk {
    static inline std::vector<std::string> calls;
    static inline std::int32_t result = 0;
    static inline std::vector<std::int32_t> progress;  // reported in this order
    static inline std::vector<std::int32_t> answers;   // what the callback said
    static inline unsigned char record[24];
    static inline platform::Handle window = 0;
    static inline std::string source, dest, config;
    static inline std::int32_t reserved = -7;
    static inline TSMFKnife::ProgressCallbackFn callback = nullptr;

    static void Reset() {
        calls.clear();
        result = 0;
        progress.clear();
        answers.clear();
        std::memset(record, 0xCC, sizeof record);
        callback = nullptr;
    }

    static std::int32_t VLC_STDCALL Convert(platform::Handle w, const char* s, const char* d,
                                            const char* c, std::int32_t r, TSMFKOptions* options,
                                            TSMFKnife::ProgressCallbackFn cb) {
        calls.push_back("SmfkConvert");
        window = w;
        source = s;
        dest = d;
        config = c;
        reserved = r;
        callback = cb;
        std::memcpy(record, options, sizeof record);
        for (std::int32_t p : progress) answers.push_back(cb(p, options->Owner));
        return result;
    }
    static std::int32_t VLC_STDCALL Version() { return 1; }
};

fake::Exports PlainNames() {
    return {{"SmfkConvert", reinterpret_cast<void*>(&FakeSmfk::Convert)},
            {"GetSmfkVersion", reinterpret_cast<void*>(&FakeSmfk::Version)}};
}

class SmfKnife : public ::testing::Test {
  protected:
    void SetUp() override {
        FakeSmfk::Reset();
        os.libraries["smfk32.dll"] = PlainNames();
    }

    // The library-facing calls only, without handles.
    std::vector<std::string> LibraryCalls() const {
        std::vector<std::string> out;
        for (const auto& call : os.calls)
            out.push_back(call.rfind("FreeLibrary(", 0) == 0 ? "FreeLibrary" : call);
        return out;
    }

    fake::FakePlatform os;
    TSMFKnife knife{0x4242};
};

// Loaded by full path; a library is found beside the host program first.
std::string LoadCall(const std::string& path) {
    return "LoadLibrary(" + fake::Quote(path) + ")";
}
const std::string kLoad = LoadCall("C:\\ORVO\\smfk32.dll");
const std::vector<std::string> kEveryFolderTried = {kLoad,
                                                    LoadCall("C:\\ORVO\\Plugins\\smfk32.dll"),
                                                    LoadCall("C:\\Windows\\system32\\smfk32.dll")};
const std::string kBox =
    "MessageBox(0x10, " + fake::Quote(converters::texts::kSmfKnifeUnusable) + ")";

TEST_F(SmfKnife, StartsOffWithDefaultOptions) {
    EXPECT_FALSE(knife.Enabled);
    EXPECT_FALSE(knife.Loaded());
    EXPECT_EQ(knife.Window, 0x4242u);
    EXPECT_EQ(knife.Options.Size, 24);
    EXPECT_EQ(knife.Options.Ch10, -1);
    EXPECT_EQ(knife.Options.Bank, -1);
    EXPECT_EQ(knife.Options.CC64, -1);
    EXPECT_EQ(knife.Options.Mac, -1);
    EXPECT_EQ(knife.Options.Owner, converters::LiveRegistry<TSMFKnife>::UserValue(&knife));
    EXPECT_THAT(os.calls, IsEmpty());
}

TEST_F(SmfKnife, SwitchingOnWithoutLibraryStaysOffSilently) {
    os.libraries.clear();

    knife.SetEnabled(true);

    EXPECT_FALSE(knife.Enabled);
    EXPECT_THAT(os.calls, ElementsAreArray(kEveryFolderTried));
    EXPECT_TRUE(os.loadedLibraries.empty());
}

TEST_F(SmfKnife, SwitchingOnIsAProbeThatLeavesTheLibraryFree) {
    for (int round = 0; round < 2; ++round) {
        os.ClearCalls();
        knife.SetEnabled(true);

        EXPECT_TRUE(knife.Enabled);
        EXPECT_FALSE(knife.Loaded());
        EXPECT_TRUE(os.loadedLibraries.empty());
        EXPECT_THAT(LibraryCalls(), ElementsAre(kLoad, "GetProcAddress(\"GetSmfkVersion\")",
                                                "GetProcAddress(\"SmfkConvert\")", "FreeLibrary"));
    }
}

TEST_F(SmfKnife, LibraryWithoutConversionFunctionIsRefusedWithOneBox) {
    os.libraries["smfk32.dll"] = {{"GetSmfkVersion", reinterpret_cast<void*>(&FakeSmfk::Version)}};

    knife.SetEnabled(true);

    EXPECT_FALSE(knife.Enabled);
    EXPECT_TRUE(os.loadedLibraries.empty());
    EXPECT_THAT(
        LibraryCalls(),
        ElementsAre(kLoad, "GetProcAddress(\"GetSmfkVersion\")", "GetProcAddress(\"SmfkConvert\")",
                    "GetProcAddress(\"_SmfkConvert\")", kBox, "FreeLibrary"));
    ASSERT_EQ(os.boxes.size(), 1u);
    EXPECT_EQ(os.boxes[0].caption, "Vellacord");
    EXPECT_EQ(os.boxes[0].codePage, 932u);
    EXPECT_EQ(std::string(converters::texts::kSmfKnifeUnusable),
              "SMF\x83\x69\x83\x43\x83\x74\x82\xaa\x8e\x67\x97\x70\x82\xc5\x82\xab\x82\xdc\x82\xb9"
              "\x82\xf1");
}

TEST_F(SmfKnife, UnderscoreNamesAreAccepted) {
    os.libraries["smfk32.dll"] = {{"_SmfkConvert", reinterpret_cast<void*>(&FakeSmfk::Convert)},
                                  {"_GetSmfkVersion", reinterpret_cast<void*>(&FakeSmfk::Version)}};
    knife.ConfigFile = "k.cfg";

    knife.SetEnabled(true);
    EXPECT_TRUE(knife.Enabled);
    EXPECT_EQ(knife.Convert("a.mid", "b.mid"), 0);
    EXPECT_THAT(FakeSmfk::calls, ElementsAre("SmfkConvert"));
}

TEST_F(SmfKnife, ConvertWhileOffTouchesNoLibraryButKeepsThePaths) {
    knife.ConfigFile = "k.cfg";

    EXPECT_EQ(knife.Convert("a.mid", "b.mid"), 0);

    EXPECT_THAT(os.calls, IsEmpty());
    EXPECT_EQ(knife.SourceFile, "a.mid");
    EXPECT_EQ(knife.DestFile, "b.mid");
    EXPECT_EQ(knife.LastResult, 0);
}

TEST_F(SmfKnife, FirstConversionLoadsAndTheLibraryStaysUntilSwitchedOff) {
    knife.SetEnabled(true);
    knife.ConfigFile = "k.cfg";
    os.ClearCalls();

    EXPECT_EQ(knife.Convert("a.mid", "b.mid"), 0);
    EXPECT_EQ(knife.Convert("c.mid", "d.mid"), 0);

    EXPECT_TRUE(knife.Loaded());
    EXPECT_THAT(os.CallsNamed("LoadLibrary"), ElementsAre(kLoad));
    EXPECT_THAT(os.CallsNamed("FreeLibrary"), IsEmpty());
    EXPECT_THAT(FakeSmfk::calls, ElementsAre("SmfkConvert", "SmfkConvert"));

    knife.SetEnabled(false);
    EXPECT_FALSE(knife.Enabled);
    EXPECT_TRUE(os.loadedLibraries.empty());
}

TEST_F(SmfKnife, SwitchingOnWhileLoadedLooksUpAgainAndKeepsTheLibrary) {
    knife.SetEnabled(true);
    knife.ConfigFile = "k.cfg";
    knife.Convert("a.mid", "b.mid");
    os.ClearCalls();

    knife.SetEnabled(true);

    EXPECT_TRUE(knife.Enabled);
    EXPECT_TRUE(knife.Loaded());
    EXPECT_THAT(os.calls, ElementsAre("GetProcAddress(\"GetSmfkVersion\")",
                                      "GetProcAddress(\"SmfkConvert\")"));

    // The same library, asked again, no longer has its conversion function.
    os.libraries["smfk32.dll"].erase("SmfkConvert");
    os.ClearCalls();
    knife.SetEnabled(true);

    EXPECT_FALSE(knife.Enabled);
    EXPECT_FALSE(knife.Loaded());
    EXPECT_EQ(os.CallsNamed("MessageBox").size(), 1u);
    EXPECT_TRUE(os.loadedLibraries.empty());
}

TEST_F(SmfKnife, ConvertWhenLoadingFailsReturnsMinusOneButLastResultZero) {
    knife.ConfigFile = "k.cfg";
    struct Case {
        const char* name;
        bool present;
        size_t boxes;
    };
    for (const Case& c :
         {Case{"library gone", false, 0}, Case{"no conversion function", true, 1}}) {
        SCOPED_TRACE(c.name);
        os.libraries["smfk32.dll"] = PlainNames();
        knife.SetEnabled(true);  // on, not loaded
        ASSERT_TRUE(knife.Enabled);
        os.libraries.clear();
        if (c.present)
            os.libraries["smfk32.dll"] = {
                {"GetSmfkVersion", reinterpret_cast<void*>(&FakeSmfk::Version)}};
        os.boxes.clear();

        EXPECT_EQ(knife.Convert("a.mid", "b.mid"), -1);
        EXPECT_EQ(knife.LastResult, 0);
        EXPECT_FALSE(knife.Enabled);
        EXPECT_TRUE(os.loadedLibraries.empty());
        EXPECT_EQ(os.boxes.size(), c.boxes);
        EXPECT_THAT(FakeSmfk::calls, IsEmpty());
    }
}

TEST_F(SmfKnife, EmptyPathMeansNoLibraryCall) {
    knife.SetEnabled(true);
    struct Case {
        const char *source, *dest, *config;
    };
    for (const Case& c :
         {Case{"", "b.mid", "k.cfg"}, Case{"a.mid", "", "k.cfg"}, Case{"a.mid", "b.mid", ""}}) {
        FakeSmfk::result = 5;
        knife.ConfigFile = c.config;
        EXPECT_EQ(knife.Convert(c.source, c.dest), 0);
        EXPECT_EQ(knife.LastResult, 0);
    }
    EXPECT_THAT(FakeSmfk::calls, IsEmpty());
}

TEST_F(SmfKnife, LibraryResultsBecomeLastResultWithMinusOneAsSuccess) {
    knife.SetEnabled(true);
    knife.ConfigFile = "k.cfg";
    const std::pair<std::int32_t, std::int32_t> cases[] = {{0, 0}, {-1, 0}, {3, 3}, {-2, -2}};
    for (const auto& [library, expected] : cases) {
        FakeSmfk::result = library;
        EXPECT_EQ(knife.Convert("a.mid", "b.mid"), expected) << library;
        EXPECT_EQ(knife.LastResult, expected) << library;
    }
}

TEST_F(SmfKnife, LibraryReceivesTheArgumentsAndTheRecordByteByByte) {
    TSMFKnife bound(0x00012345);
    bound.SetEnabled(true);
    bound.ConfigFile = "C:\\cfg\\k.cfg";
    bound.Options.Ch10 = 0x01020304;
    bound.Options.Bank = 0;
    bound.Options.CC64 = -1;
    bound.Options.Mac = 7;

    bound.Convert("C:\\in.mid", "C:\\out.mid");

    EXPECT_EQ(FakeSmfk::window, 0x00012345u);
    EXPECT_EQ(FakeSmfk::source, "C:\\in.mid");
    EXPECT_EQ(FakeSmfk::dest, "C:\\out.mid");
    EXPECT_EQ(FakeSmfk::config, "C:\\cfg\\k.cfg");
    EXPECT_EQ(FakeSmfk::reserved, 0);
    EXPECT_EQ(FakeSmfk::callback, &TSMFKnife::ProgressCallback);
    const std::uint32_t owner = converters::LiveRegistry<TSMFKnife>::UserValue(&bound);
    const unsigned char expected[24] = {24,
                                        0,
                                        0,
                                        0,
                                        0x04,
                                        0x03,
                                        0x02,
                                        0x01,  // Size, Ch10
                                        0,
                                        0,
                                        0,
                                        0,
                                        0xFF,
                                        0xFF,
                                        0xFF,
                                        0xFF,  // Bank, CC64
                                        7,
                                        0,
                                        0,
                                        0,  // Mac
                                        static_cast<unsigned char>(owner),
                                        static_cast<unsigned char>(owner >> 8),
                                        static_cast<unsigned char>(owner >> 16),
                                        static_cast<unsigned char>(owner >> 24)};
    EXPECT_EQ(std::memcmp(FakeSmfk::record, expected, sizeof expected), 0);
    EXPECT_EQ(owner, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&bound)));
}

TEST_F(SmfKnife, ProgressReachesTheHandlerAndStopIsPassedBack) {
    knife.SetEnabled(true);
    knife.ConfigFile = "k.cfg";
    std::vector<std::int32_t> seen;
    TSMFKnife* sender = nullptr;
    knife.OnProgress = [&](TSMFKnife* s, std::int32_t progress, bool& stop) {
        sender = s;
        seen.push_back(progress);
        EXPECT_FALSE(stop);
        stop = progress >= 50;
    };
    FakeSmfk::progress = {0, 49, 50, 100};

    knife.Convert("a.mid", "b.mid");

    EXPECT_EQ(sender, &knife);
    EXPECT_THAT(seen, ElementsAre(0, 49, 50, 100));
    EXPECT_THAT(FakeSmfk::answers, ElementsAre(1, 1, 0, 0));

    knife.OnProgress = nullptr;
    FakeSmfk::answers.clear();
    knife.Convert("a.mid", "b.mid");
    EXPECT_THAT(FakeSmfk::answers, ElementsAre(1, 1, 1, 1));
}

TEST_F(SmfKnife, ForeignOrStaleUserValuesAreAnsweredWithGoOnAndFireNothing) {
    int fired = 0;
    knife.OnProgress = [&](TSMFKnife*, std::int32_t, bool& stop) {
        ++fired;
        stop = true;
    };
    auto doomed = std::make_unique<TSMFKnife>(0);
    doomed->OnProgress = knife.OnProgress;
    const std::uint32_t stale = doomed->Options.Owner;
    EXPECT_EQ(TSMFKnife::ProgressCallback(10, stale), 0);  // alive: it answers
    doomed.reset();
    fired = 0;

    for (std::uint32_t value : {stale, 0u, 1u, 0xDEADBEEFu, 0xFFFFFFFFu})
        EXPECT_EQ(TSMFKnife::ProgressCallback(10, value), 1) << value;
    EXPECT_EQ(fired, 0);
}

TEST_F(SmfKnife, DestructionFreesALoadedLibrary) {
    {
        TSMFKnife local(0);
        local.SetEnabled(true);
        local.ConfigFile = "k.cfg";
        local.Convert("a.mid", "b.mid");
        ASSERT_EQ(os.loadedLibraries.size(), 1u);
    }
    EXPECT_TRUE(os.loadedLibraries.empty());
}

}  // namespace
