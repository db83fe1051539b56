// Fuzzes the running plug-in as the player drives it: clicks on its menu items, the display of
// its menu, the player closing, reopening and ending the client, items deleted by the player,
// the settings dialog closing through its own notification, and plays in between. At the stop
// every automation string and reference is given back, no cache file is left, and while the
// player is still there the plug-in's items are gone from its menus.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugin/SettingsDialog.h"
#include "plugin/Vellacord.h"
#include "plugin/main.h"
#include "tests/fake/FakeConverterLibs.h"
#include "tests/fake/FakePluginHost.h"
#include "tests/fuzz/FuzzWorld.h"

namespace {

using fuzz::Check;

const char kSettings[] = "C:\\ORVO\\Plugins\\Vellacord.ini";

struct QuietDialog final : ISettingsDialog {
    void Show() override {}
    bool Visible() const override { return false; }  // closed at once: code 2 destroys it
};

class Session {
  public:
    explicit Session(FuzzedDataProvider& data) : data_(data) {}

    void Run() {
        auto& os = world_.os;
        host_.pluginFileName = "C:\\ORVO\\Plugins\\Vellacord.dll";
        fake::ConverterLibs::Install(os, os.calls);
        os.SetIniText(kSettings,
                      "[Vellacord]\nRCPCV=1\nSMFKnife=1\nSMFKConfig=C:\\cfg\\default.cfg\n");
        os.openFileAnswer = "C:\\cfg\\other.cfg";
        SelectTrack();

        Check(pinRun(&host_) != 0 && ThePlugin != nullptr, "the plug-in starts");
        SettingsDialogMaker() = [](void*) { return std::make_unique<QuietDialog>(); };
        for (int steps = 0; steps < 64 && data_.remaining_bytes() > 0; ++steps) Step();

        TORVO& link = *ThePlugin->Link;
        const bool bound = link.Bound;
        std::vector<std::int32_t> ours;
        for (const TMenuRef* ref :
             {&ThePlugin->RootItem, &ThePlugin->PluginMenu, &ThePlugin->SeparatorItem})
            if (ref->Get(&link)) ours.push_back(ref->Id());
        pinAbort();
        SettingsDialogMaker() = nullptr;

        if (bound)
            for (std::int32_t id : ours)
                Check(world_.server.menuItems.count(id) == 0, "the stop removes our items");
        for (const std::string& file : os.files)
            Check(file.find("VLCRD") == std::string::npos, "no cache file left after the stop");
        world_.CheckBalanced();
    }

  private:
    void SelectTrack() {
        fake::HostTrack track;
        static const char* const kPaths[] = {"C:\\Songs\\a.rcp", "C:\\Songs\\b.MID",
                                             "C:\\Songs\\c.wav", "",
                                             "C:\\\x83\x5c\\d.mid"};  // "ソ" in the folder
        track.texts[2] = world_.os.ToUtf16(data_.PickValueInArray(kPaths), 932);
        world_.server.tracks = {track};
        world_.server.selectedTrack = data_.ConsumeIntegralInRange(-1, 1);
    }

    void Notify(std::uint32_t wParam, std::int32_t lParam) {
        TORVO& link = *ThePlugin->Link;
        link.WndProc(link.MessageId, wParam, lParam);
    }

    // One of the items the player holds (ours or not), a root, or anything.
    std::int32_t ItemId() {
        const auto& items = world_.server.menuItems;
        if (!items.empty() && data_.ConsumeBool()) {
            auto it = items.begin();
            std::advance(it, data_.ConsumeIntegralInRange<std::size_t>(0, items.size() - 1));
            return it->first;
        }
        return data_.ConsumeBool() ? kRootMenuIds[data_.ConsumeIntegralInRange(0, 3)]
                                   : data_.ConsumeIntegral<std::int32_t>();
    }

    void Step() {
        switch (data_.ConsumeIntegralInRange(0, 10)) {
            case 0:
            case 1:
                Notify(0x800, ItemId());  // menu click
                break;
            case 2:
                Notify(0x40000000 | 22, data_.ConsumeBool() ? 0x9000 : ItemId());
                break;
            case 3:
                Notify(0x2, 0);  // the player closes
                break;
            case 4:
                Notify(0x1, 0x5150);  // the player is back
                break;
            case 5:
                Notify(0x8, 0);  // the player ends this client
                break;
            case 6: {  // the settings dialog closes: it posts User 2 to the plug-in's window
                TORVO& link = *ThePlugin->Link;
                link.NotifyEvent(link.MessageWindow,
                                 0x80000000u | data_.PickValueInArray({2, 1, 3}), 0);
                world_.os.PumpMessages();
                break;
            }
            case 7:
                Notify(0x40000000 | 27, ItemId());  // the player deleted an item
                break;
            case 8: {
                static const char* const kSongs[] = {"C:\\Songs\\a.rcp", "C:\\Songs\\b.MID",
                                                     "C:\\Songs\\c.g36"};
                const char* song = data_.PickValueInArray(kSongs);
                world_.os.AddFile(song);
                Check(pinOpenPlayFile(song) != nullptr, "a path for every song");
                break;
            }
            case 9:
                SelectTrack();
                break;
            default:
                world_.os.openFileAnswer.reset();
                break;
        }
    }

    FuzzedDataProvider& data_;
    fuzz::World world_;
    fake::FakePluginHost host_{world_.os.calls};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    Session(data).Run();
    return 0;
}
