// Stand-in for the RCPCV converter library: accepts exactly the calls the plug-in makes (make
// a converter object from a source file, save it as SMF, delete it), reports progress through a
// record, writes a small valid Standard MIDI File and logs every call. Steered through
// VLC_RCPCV_STEER or rcpcv.ctl (see Kit.h).
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "../converterkit/Kit.h"
#include "../converterkit/Smf.h"

namespace {

standin::Steering steering;

struct ConverterObject {
    std::string source;
    std::uint64_t size;
};
std::map<std::uint32_t, ConverterObject> objects;
std::uint32_t nextObject = 0x5A000001;

// The record handed to the callback; the caller reads `progress` and `user` only.
struct ProgressRecord {
    std::uint32_t size;
    std::uint32_t phase;
    std::int32_t progress;  // byte offset 8
    std::uint32_t user;     // byte offset 12
    std::uint32_t total;
};
static_assert(sizeof(ProgressRecord) == 20, "record layout");

using ProgressCallback = std::int32_t(__stdcall*)(const ProgressRecord* record);

void Unexpected(const char* name) {
    standin::Log(steering, std::string(name) + "() unexpected");
}

}  // namespace

extern "C" {

std::uint32_t __stdcall rcpcvConvertFile(const char* source, std::int32_t mode,
                                         ProgressCallback callback, std::int32_t reserved,
                                         std::uint32_t user) {
    const standin::BusyScope busy;
    standin::Log(steering,
                 "rcpcvConvertFile(" + standin::Quote(source) + ", " + std::to_string(mode) +
                     ", callback=" + standin::Hex(reinterpret_cast<std::uintptr_t>(callback)) +
                     ", " + std::to_string(reserved) + ", " + standin::Hex(user) + ")");
    const auto finish = [](std::uint32_t object) {
        standin::Log(steering, "rcpcvConvertFile -> " + standin::Hex(object));
        return object;
    };
    if (!source || !*source || mode != 2 || !callback || reserved != 0) return finish(0);
    const auto size = standin::ReadThrough(source);
    if (!size || steering.noObject) return finish(0);

    ProgressRecord record{sizeof(ProgressRecord), 1, 0, user, 100};
    for (std::int32_t progress : {0, 40, 100}) {
        record.progress = progress;
        std::int32_t answer = 0;
        {
            const standin::CallerScope caller;
            answer = callback(&record);
        }
        standin::Log(steering, "callback(" + std::to_string(progress) + ", " + standin::Hex(user) +
                                   ") -> " + std::to_string(answer));
        if (answer == 0) return finish(0);
    }
    const std::uint32_t object = nextObject++;
    objects[object] = {source, *size};
    return finish(object);
}

std::int32_t __stdcall rcpcvSaveSMF(std::uint32_t object, const char* dest) {
    const standin::BusyScope busy;
    std::int32_t result = steering.result.value_or(0);
    const auto found = objects.find(object);
    if (found == objects.end() || !dest || !*dest) {
        result = -1;
    } else if (result == 0 && !steering.writeNothing) {
        const std::string text = "Converted from " + found->second.source;
        if (!standin::WriteBytes(dest, standin::MakeSmf("rcpcv stand-in", text,
                                                        standin::NotesFor(found->second.size))))
            result = -2;
    }
    standin::Log(steering, "rcpcvSaveSMF(" + standin::Hex(object) + ", " + standin::Quote(dest) +
                               ") -> " + std::to_string(result));
    return result;
}

std::int32_t __stdcall rcpcvDeleteObject(std::uint32_t object) {
    const standin::BusyScope busy;
    const std::int32_t result = objects.erase(object) > 0 ? 1 : 0;
    standin::Log(steering,
                 "rcpcvDeleteObject(" + standin::Hex(object) + ") -> " + std::to_string(result));
    return result;
}

// Present so that lookups find them; the plug-in never calls them.
std::uint32_t __stdcall rcpcvConvertFileFromBuffer(const void*, std::uint32_t, ProgressCallback,
                                                   std::int32_t, std::uint32_t) {
    Unexpected("rcpcvConvertFileFromBuffer");
    return 0;
}
const void* __stdcall rcpcvGetSMF(std::uint32_t) {
    Unexpected("rcpcvGetSMF");
    return nullptr;
}
std::uint32_t __stdcall rcpcvGetSMFLength(std::uint32_t) {
    Unexpected("rcpcvGetSMFLength");
    return 0;
}
std::int32_t __stdcall rcpcvGetOriginalFileType(std::uint32_t) {
    Unexpected("rcpcvGetOriginalFileType");
    return 0;
}
std::int32_t __stdcall rcpcvGetVersionMajor() {
    Unexpected("rcpcvGetVersionMajor");
    return 1;
}
std::int32_t __stdcall rcpcvGetVersionMinor() {
    Unexpected("rcpcvGetVersionMinor");
    return 0;
}
const char* __stdcall rcpcvGetCopyright() {
    Unexpected("rcpcvGetCopyright");
    return "stand-in";
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        steering = standin::ReadSteering(self, "VLC_RCPCV");
        standin::HideExports(
            self,
            standin::HiddenNames(
                steering,
                {"rcpcvConvertFile", "rcpcvConvertFileFromBuffer", "rcpcvDeleteObject",
                 "rcpcvGetSMF", "rcpcvSaveSMF", "rcpcvGetSMFLength", "rcpcvGetOriginalFileType",
                 "rcpcvGetVersionMajor", "rcpcvGetVersionMinor", "rcpcvGetCopyright"}));
        standin::Log(steering, "attach");
    } else if (reason == DLL_PROCESS_DETACH) {
        standin::Log(steering, "detach");
        standin::RestoreExports(self);
    }
    return TRUE;
}

}  // extern "C"
