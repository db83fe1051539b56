#include "tests/fake/FakeConverterLibs.h"

#include <cstring>

#include "converters/rcpcv.h"
#include "converters/smfknife.h"

namespace fake {

namespace {

using L = ConverterLibs;

std::int32_t VLC_STDCALL SmfkConvert(platform::Handle, const char* source, const char* dest,
                                     const char* config, std::int32_t, TSMFKOptions* options,
                                     TSMFKnife::ProgressCallbackFn callback) {
    L::log->push_back(std::string("smfk.SmfkConvert(") + source + ", " + dest + ", " + config +
                      ")");
    for (std::int32_t p : L::progress) callback(p, options->Owner);
    if (!L::os->HasFile(source)) return L::smfkCannotWrite;
    const bool success = L::smfkResult == 0 || L::smfkResult == -1;
    if (L::smfkWrites && (success || L::smfkWritesOnFailure) && !L::os->WriteFile(dest))
        return L::smfkCannotWrite;
    return L::smfkResult;
}

std::int32_t VLC_STDCALL SmfkVersion() {
    return 100;
}

std::uint32_t VLC_STDCALL RcpConvertFile(const char* source, std::int32_t,
                                         TRCPCV::ProgressCallbackFn callback, std::int32_t,
                                         std::uint32_t user) {
    L::log->push_back(std::string("rcpcv.ConvertFile(") + source + ")");
    if (!L::os->HasFile(source)) return 0;
    for (std::int32_t p : L::progress) {
        unsigned char record[16] = {};
        std::memcpy(record + 8, &p, 4);
        std::memcpy(record + 12, &user, 4);
        callback(record);
    }
    return L::rcpcvObject;
}

std::int32_t VLC_STDCALL RcpSaveSmf(std::uint32_t object, const char* dest) {
    L::log->push_back("rcpcv.SaveSMF(" + Hex(object) + ", " + dest + ")");
    return L::rcpcvWrites && L::os->WriteFile(dest) ? 0 : 1;
}

std::int32_t VLC_STDCALL RcpDeleteObject(std::uint32_t object) {
    L::log->push_back("rcpcv.DeleteObject(" + Hex(object) + ")");
    return 0;
}

template <class F>
void* Fn(F f) {
    return reinterpret_cast<void*>(f);
}

}  // namespace

void ConverterLibs::Install(FakePlatform& platform, std::vector<std::string>& calls) {
    os = &platform;
    log = &calls;
    smfkResult = 0;
    smfkWrites = true;
    smfkWritesOnFailure = false;
    smfkCannotWrite = 5;
    rcpcvObject = 0x7100;
    rcpcvWrites = true;
    progress.clear();
    platform.libraries["smfk32.dll"] = {{"SmfkConvert", Fn(&SmfkConvert)},
                                        {"GetSmfkVersion", Fn(&SmfkVersion)}};
    platform.libraries["rcpcv.dll"] = {{"rcpcvConvertFile", Fn(&RcpConvertFile)},
                                       {"rcpcvSaveSMF", Fn(&RcpSaveSmf)},
                                       {"rcpcvDeleteObject", Fn(&RcpDeleteObject)}};
}

}  // namespace fake
