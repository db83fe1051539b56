// What both stand-in converter libraries share: steering read when the library is loaded, a
// call log for tests, export hiding, and small file helpers.
//
// Steering comes from the environment variable `<PREFIX>_STEER`, or, when that is unset, from
// the control file "<library name>.ctl" beside the library. Tokens, separated by spaces, commas
// or semicolons:
//   underscore-only   export only the "_"-prefixed names
//   missing=NAME      export neither NAME nor _NAME
//   result=N          the conversion reports N
//   no-object         (RCPCV) make no converter object
//   write-nothing     write no destination file
//   log=PATH          log file, when `<PREFIX>_LOG` is unset
// The log gets one line per call, with its arguments, in order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace standin {

struct Steering {
    bool underscoreOnly = false;
    std::set<std::string> missing;
    std::optional<std::int32_t> result;
    bool noObject = false;
    bool writeNothing = false;
    std::string logPath;
};

// Reads the steering for the library `self`, whose variables begin with `prefix`.
Steering ReadSteering(HMODULE self, const char* prefix);

// Makes `GetProcAddress` miss every name in `hidden` (restored by RestoreExports).
void HideExports(HMODULE self, const std::set<std::string>& hidden);
void RestoreExports(HMODULE self);

// The names to hide for `steering`, given the library's plain export names.
std::set<std::string> HiddenNames(const Steering& steering, const std::vector<std::string>& plain);

void Log(const Steering& steering, const std::string& line);

std::string Quote(const char* text);   // "text" with non-printable bytes as \xNN; null as NULL
std::string Hex(std::uint32_t value);  // 0x0012ABCD
std::string HexBytes(const void* data, std::size_t size);  // groups of four bytes

std::optional<std::uint64_t> FileSize(const char* path);
// Reads the whole file, as any converter must before it can write anything; its size, or
// nothing when it cannot be read.
std::optional<std::uint64_t> ReadThrough(const char* path);

// The library's own time, for benchmarks of its caller: a `BusyScope` around each exported
// call adds its duration, a `CallerScope` around each call back into the caller takes that
// duration away again. The sum is exported as `standinBusyTicks` (performance-counter ticks).
class BusyScope {
  public:
    BusyScope();
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    std::int64_t start_;
};

class CallerScope {
  public:
    CallerScope();
    ~CallerScope();
    CallerScope(const CallerScope&) = delete;
    CallerScope& operator=(const CallerScope&) = delete;

  private:
    std::int64_t start_;
};
bool WriteBytes(const char* path, const std::string& bytes);

}  // namespace standin
