// Everything the stand-in player knows and answers with: set by script steps, read and changed
// by the automation server, printed by the transcript. Plain data, no behaviour.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "hostlink/ORVO_TLB.h"
#include "standins/host/HostMenu.h"

namespace host {

using Orvo_tlb::Long;

struct HostTrack {
    std::wstring texts[5];  // Text0, Text1, FileName, Text3, Text4
    Long values[7] = {};    // Value0, Value1, Value2, Kind, Drive<<16|TrackNo, Value5, Value6
};

struct HostTextRecord {
    Long number = 0;
    std::wstring text;
    Long adjust = 2;
    Long flags = 1;  // ShowAccel in the low 16 bits, Option in the high 16 bits
    std::wstring faceName = L"MS UI Gothic";
    Long charSet = 128, size = 9, style = 0, color = 0, extra = 0;
};

struct HostFont {
    std::wstring faceName = L"MS UI Gothic";
    Long charSet = 128, size = 9, style = 0, color = 0;
};

// A client that attached itself: the window the player addresses it by, and its mask.
struct HostClient {
    Long window = 0;
    Long instance = 0;
    Long processId = 0;
    Long mask = 0;
};

struct HostState {
    Long version = 6003;
    Long acceptedClientVersion = 4300;  // CheckVersion: S_OK for this and below
    Long attachMode = 2;                // the client is a plug-in
    Long runValue = 1;
    HWND mainWindow = nullptr;

    std::map<std::string, Long> properties;       // "Left", "Repeat", ... by name
    std::map<std::string, HRESULT> failingReads;  // read name -> status it answers with
    std::wstring design;

    std::vector<HostTrack> tracks;
    Long selectedTrack = -1;
    std::vector<HostTextRecord> lyrics;
    HostTextRecord displayText;
    std::map<Long, Long> colors;
    std::map<Long, HostFont> fonts;

    std::vector<HostClient> clients;
    // Every client window ever announced (broadcast 0x401) or attached: where an Open goes.
    std::vector<Long> knownWindows;
    HostMenu menu;

    // A client asked to be ended (Abort): the host ends it from its message loop, never
    // inside the client's own call.
    bool abortRequested = false;

    void RememberWindow(Long window) {
        for (const Long known : knownWindows)
            if (known == window) return;
        knownWindows.push_back(window);
    }

    HostClient* FindClient(Long window) {
        for (HostClient& client : clients)
            if (client.window == window) return &client;
        return nullptr;
    }
};

}  // namespace host
