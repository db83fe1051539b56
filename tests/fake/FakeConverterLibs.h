// In-process stand-ins for the two converter libraries, for tests of the plug-in object: they
// log their calls into a shared log, report progress, and "write" the destination file into
// the FakePlatform's file set unless told not to. Like the real ones, they fail on a source
// that does not exist and on a destination that cannot be written.
#pragma once

#include <string>
#include <vector>

#include "tests/fake/FakePlatform.h"

namespace fake {

struct ConverterLibs {
    // Shared state of both libraries; `Install` resets it.
    static inline std::vector<std::string>* log = nullptr;
    static inline FakePlatform* os = nullptr;
    static inline std::int32_t smfkResult = 0;
    static inline bool smfkWrites = true;
    static inline bool smfkWritesOnFailure = false;  // leaves a partly written file behind
    static inline std::int32_t smfkCannotWrite = 5;  // reported for a missing source or folder
    static inline std::uint32_t rcpcvObject = 0x7100;
    static inline bool rcpcvWrites = true;
    static inline std::vector<std::int32_t> progress;  // reported by each conversion

    // Registers "smfk32.dll" and "rcpcv.dll" with `platform`, logging into `calls`.
    static void Install(FakePlatform& platform, std::vector<std::string>& calls);
};

}  // namespace fake
