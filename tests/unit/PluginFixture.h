// A running plug-in inside a faked host process: the system, the host's plug-in interface, its
// automation server and both converter libraries, with one shared log of every call.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "plugin/Vellacord.h"
#include "plugin/main.h"
#include "tests/fake/FakeConverterLibs.h"
#include "tests/fake/FakeOrvoServer.h"
#include "tests/fake/FakePlatform.h"
#include "tests/fake/FakePluginHost.h"

class PluginTest : public ::testing::Test {
  protected:
    static constexpr char kPluginDll[] = "C:\\ORVO\\Plugins\\Vellacord.dll";
    static constexpr char kSettings[] = "C:\\ORVO\\Plugins\\Vellacord.ini";
    static constexpr char kHostExe[] = "C:\\ORVO\\ORVO.exe";
    static constexpr char kHostIni[] = "C:\\ORVO\\ORVO.ini";
    static constexpr char kWorkDir[] = "C:\\ORVO\\Plugins";

    PluginTest() {
        host.pluginFileName = kPluginDll;
        os.windowsByClass["TFormORVO"] = 0x5150;
        os.registry["HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ORVO.EXE"] =
            kHostExe;
        os.comClasses.push_back(
            {Orvo_tlb::CLSID_ORVOControl, [this](const platform::Guid& iid, void** object) {
                 return server.QueryInterface(iid, object);
             }});
        fake::ConverterLibs::Install(os, os.calls);
    }
    ~PluginTest() override { pinAbort(); }

    // Starts the plug-in with the given settings file contents.
    TVellacord& Start(const std::string& settings = "") {
        if (!settings.empty()) os.SetIniText(kSettings, settings);
        EXPECT_NE(pinRun(&host), 0);
        EXPECT_NE(ThePlugin, nullptr);
        return *ThePlugin;
    }
    TVellacord& StartWithConverters(const std::string& extra = "") {
        return Start("[Vellacord]\nRCPCV=1\nSMFKnife=1\nSMFKConfig=C:\\cfg\\default.cfg\n" + extra);
    }

    // Selects a track in the host's playlist with this file name.
    void SelectTrack(const std::string& path) {
        fake::HostTrack track;
        track.texts[2] = os.ToUtf16(path, os.ansiCodePage);
        server.tracks = {track};
        server.selectedTrack = 0;
    }
    // The plug-in's item in the host with this caption (code-page-932 bytes), or 0.
    Orvo_tlb::Long HostItem(const std::string& caption932) {
        const std::u16string wide = os.ToUtf16(caption932, 932);
        for (const auto& [id, item] : server.menuItems)
            if (item.caption == wide) return id;
        return 0;
    }
    // Delivers a "WM_ORVO" notification to the plug-in's hidden window.
    void Notify(std::uint32_t wParam, std::int32_t lParam) {
        TORVO& link = *ThePlugin->Link;
        link.WndProc(link.MessageId, wParam, lParam);
    }
    std::string Ini(const std::string& section, const std::string& key,
                    const std::string& file = kSettings) {
        return os.GetProfileString(file, section, key, "<none>");
    }

    fake::FakePlatform os;
    fake::FakePluginHost host{os.calls};
    fake::FakeOrvoServer server{os.calls};
};
