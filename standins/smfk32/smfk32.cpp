// Stand-in for the SMF Knife converter library: accepts exactly the calls the plug-in makes,
// reports progress through the caller's callback, writes a small valid Standard MIDI File and
// logs every call. Steered through VLC_SMFK32_STEER or smfk32.ctl (see Kit.h).
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "../converterkit/Kit.h"
#include "../converterkit/Smf.h"

namespace {

standin::Steering steering;
constexpr std::int32_t kBadCall = 2;
constexpr std::int32_t kNoSource = 4;
constexpr std::int32_t kStopped = 1;

using ProgressCallback = std::int32_t(__stdcall*)(std::int32_t progress, std::uint32_t user);

}  // namespace

extern "C" {

std::int32_t __stdcall GetSmfkVersion() {
    standin::Log(steering, "GetSmfkVersion()");
    return 100;
}

// `options` is the caller's 24-byte record; its last word comes back to `callback`.
std::int32_t __stdcall SmfkConvert(std::uint32_t window, const char* source, const char* dest,
                                   const char* config, std::int32_t reserved,
                                   const std::uint32_t* options, ProgressCallback callback) {
    const standin::BusyScope busy;
    standin::Log(
        steering,
        "SmfkConvert(" + standin::Hex(window) + ", " + standin::Quote(source) + ", " +
            standin::Quote(dest) + ", " + standin::Quote(config) + ", " + std::to_string(reserved) +
            ", record=" + (options ? standin::HexBytes(options, 24) : "NULL") +
            ", callback=" + standin::Hex(reinterpret_cast<std::uintptr_t>(callback)) + ")");
    const auto finish = [](std::int32_t result) {
        standin::Log(steering, "SmfkConvert -> " + std::to_string(result));
        return result;
    };
    if (!source || !dest || !config || !*source || !*dest || !*config || reserved != 0 ||
        !options || options[0] != 24 || !callback)
        return finish(kBadCall);
    const auto size = standin::ReadThrough(source);
    if (!size) return finish(kNoSource);

    for (std::int32_t progress : {0, 50, 100}) {
        std::int32_t answer = 0;
        {
            const standin::CallerScope caller;
            answer = callback(progress, options[5]);
        }
        standin::Log(steering, "callback(" + std::to_string(progress) + ", " +
                                   standin::Hex(options[5]) + ") -> " + std::to_string(answer));
        if (answer == 0) return finish(kStopped);
    }

    const std::int32_t result = steering.result.value_or(0);
    if ((result == 0 || result == -1) && !steering.writeNothing) {
        const std::string text = std::string("Knifed from ") + source + " with " + config;
        if (!standin::WriteBytes(
                dest, standin::MakeSmf("smfk32 stand-in", text, standin::NotesFor(*size))))
            return finish(kBadCall);
    }
    return finish(result);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        steering = standin::ReadSteering(self, "VLC_SMFK32");
        standin::HideExports(self,
                             standin::HiddenNames(steering, {"SmfkConvert", "GetSmfkVersion"}));
        standin::Log(steering, "attach");
    } else if (reason == DLL_PROCESS_DETACH) {
        standin::Log(steering, "detach");
        standin::RestoreExports(self);
    }
    return TRUE;
}

}  // extern "C"
