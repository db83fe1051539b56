// The plug-in's exported entry points and the module state behind them.
#pragma once

#include <cstdint>
#include <string>

#include "hostlink/ORVO_TLB.h"
#include "platform/Platform.h"

class TVellacord;

// The plug-in's version, written to its settings and shown by its dialog as "6.003". The build
// gives major and minor from the project's one version (major * 1000 + minor).
constexpr std::int32_t kPluginVersion = VLC_VERSION_MAJOR * 1000 + VLC_VERSION_MINOR;
// The host version this plug-in is built for; older hosts are refused.
constexpr std::int32_t kRequiredHostVersion = 6000;

// Module state: one set per loaded library, empty at load, alive from pinRun to pinAbort.
extern Orvo_tlb::IPluginHost* HostPlugin;
extern TVellacord* ThePlugin;
extern std::string PluginPath;
extern platform::Handle InstanceMutex;

// The exports, C calling convention; the .def file gives them their underscored names.
extern "C" {
std::intptr_t VLC_CDECL pinRun(Orvo_tlb::IPluginHost* host);
void VLC_CDECL pinAbort();
const char* VLC_CDECL pinOpenPlayFile(const char* path);
}
