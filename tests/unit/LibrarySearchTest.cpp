// Where the converter libraries are loaded from: by full path, from the host program's folder,
// the plug-in's folder and the system folder in this order, and from nowhere else.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "converters/rcpcv.h"
#include "converters/smfknife.h"
#include "tests/fake/FakePlatform.h"

using ::testing::ElementsAre;

namespace {

void NeverCalled() {}

const fake::Exports kSmfk = {{"SmfkConvert", reinterpret_cast<void*>(&NeverCalled)}};
const fake::Exports kRcpcv = {{"rcpcvConvertFile", reinterpret_cast<void*>(&NeverCalled)},
                              {"rcpcvSaveSMF", reinterpret_cast<void*>(&NeverCalled)}};

std::vector<std::string> Loads(const fake::FakePlatform& os) {
    return os.CallsNamed("LoadLibrary");
}
std::string Load(const std::string& path) {
    return "LoadLibrary(" + fake::Quote(path) + ")";
}

TEST(LibrarySearch, APlantedLibraryInTheCurrentFolderOrUnderItsBareNameIsNeverLoaded) {
    fake::FakePlatform os;
    os.currentDirectory = "D:\\Songs";
    os.libraries["d:\\songs\\smfk32.dll"] = kSmfk;  // where the user last browsed
    os.libraries["d:\\songs\\rcpcv.dll"] = kRcpcv;
    TSMFKnife knife(0);
    TRCPCV rcpcv;

    knife.SetEnabled(true);
    rcpcv.SetEnabled(true);

    EXPECT_FALSE(knife.Enabled);
    EXPECT_FALSE(rcpcv.Enabled);
    EXPECT_THAT(Loads(os),
                ElementsAre(Load("C:\\ORVO\\smfk32.dll"), Load("C:\\ORVO\\Plugins\\smfk32.dll"),
                            Load("C:\\Windows\\system32\\smfk32.dll"), Load("C:\\ORVO\\rcpcv.dll"),
                            Load("C:\\ORVO\\Plugins\\rcpcv.dll"),
                            Load("C:\\Windows\\system32\\rcpcv.dll")));
    EXPECT_TRUE(os.loadedLibraries.empty());
}

TEST(LibrarySearch, LibrariesBesideThePluginAreFoundAfterTheHostsFolder) {
    fake::FakePlatform os;
    os.libraries["c:\\orvo\\plugins\\smfk32.dll"] = kSmfk;
    os.libraries["c:\\windows\\system32\\rcpcv.dll"] = kRcpcv;
    TSMFKnife knife(0);
    TRCPCV rcpcv;

    knife.SetEnabled(true);
    rcpcv.SetEnabled(true);

    EXPECT_TRUE(knife.Enabled);
    EXPECT_TRUE(rcpcv.Enabled);
    EXPECT_THAT(Loads(os),
                ElementsAre(Load("C:\\ORVO\\smfk32.dll"), Load("C:\\ORVO\\Plugins\\smfk32.dll"),
                            Load("C:\\ORVO\\rcpcv.dll"), Load("C:\\ORVO\\Plugins\\rcpcv.dll"),
                            Load("C:\\Windows\\system32\\rcpcv.dll")));
}

TEST(LibrarySearch, EachFolderIsTriedOnceWithOneSeparator) {
    fake::FakePlatform os;
    os.pluginFile = "c:\\orvo\\VELLACORD.DLL";  // installed beside the host
    EXPECT_THAT(platform::LibraryFolders(), ElementsAre("C:\\ORVO\\", "C:\\Windows\\system32\\"));

    os.programFile = "C:\\ORVO.exe";
    os.pluginFile = "C:\\\x83\x5c\\Vellacord.dll";  // "ソ": its trail byte is no separator
    os.systemDirectory = "";
    EXPECT_THAT(platform::LibraryFolders(), ElementsAre("C:\\", "C:\\\x83\x5c\\"));
}

}  // namespace
