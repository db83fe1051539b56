// `TSMFKnife`: run-time binding to the SMF Knife converter library ("smfk32.dll"), which
// post-processes a MIDI file into a Standard MIDI File under a configuration file and four
// option overrides. The library is never linked; it is loaded on the first conversion after
// switching on and stays loaded until switched off.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "converters/ConverterSupport.h"
#include "platform/Abi.h"

// The option record the library reads by address: six little-endian 32-bit words, no padding.
struct TSMFKOptions {
    std::int32_t Size;    // 24, set once
    std::int32_t Ch10;    // rhythm part merged into channel 10
    std::int32_t Bank;    // bank select exception handling
    std::int32_t CC64;    // CC#64 replaced by note events
    std::int32_t Mac;     // MAC BINARY cut off
    std::uint32_t Owner;  // the `TSMFKnife` holding the record; comes back to `ProgressCallback`
};
static_assert(sizeof(TSMFKOptions) == 24, "the library reads exactly 24 bytes");
static_assert(offsetof(TSMFKOptions, Size) == 0, "record layout");
static_assert(offsetof(TSMFKOptions, Ch10) == 4, "record layout");
static_assert(offsetof(TSMFKOptions, Bank) == 8, "record layout");
static_assert(offsetof(TSMFKOptions, CC64) == 12, "record layout");
static_assert(offsetof(TSMFKOptions, Mac) == 16, "record layout");
static_assert(offsetof(TSMFKOptions, Owner) == 20, "record layout");

class TSMFKnife {
  public:
    // The library's conversion function and the callback it calls back, both stdcall.
    using ProgressCallbackFn = std::int32_t(VLC_STDCALL*)(std::int32_t progress,
                                                          std::uint32_t user);
    using SmfkConvertFn = std::int32_t(VLC_STDCALL*)(platform::Handle window, const char* source,
                                                     const char* dest, const char* config,
                                                     std::int32_t reserved, TSMFKOptions* options,
                                                     ProgressCallbackFn callback);

    static constexpr char kLibraryName[] = "smfk32.dll";

    explicit TSMFKnife(platform::Handle Window);
    ~TSMFKnife();
    // The library holds this object's address during a conversion: it stays where it is.
    TSMFKnife(const TSMFKnife&) = delete;
    TSMFKnife& operator=(const TSMFKnife&) = delete;

    // Switching on probes the library: `Enabled` stays true only when it loads and has a
    // conversion function. A library that was not loaded before is freed again at once.
    void SetEnabled(bool value);
    void Load();
    void Unload();
    // Converts `source` into `dest` with `ConfigFile` and `Options`. 0 when switched off or when
    // a path is empty (no library call); -1 when the library could not be loaded (`LastResult`
    // stays 0); else the library's result, -1 from the library counting as 0.
    std::int32_t Convert(const std::string& source, const std::string& dest);

    bool Loaded() const { return Module != 0; }

    // Handed to the library; `user` is the `Owner` word of the record.
    static std::int32_t VLC_STDCALL ProgressCallback(std::int32_t progress, std::uint32_t user);

    bool Enabled = false;
    const platform::Handle Window;
    std::int32_t LastResult = 0;
    std::string SourceFile;
    std::string DestFile;
    std::string ConfigFile;  // written by the owner before each conversion
    TSMFKOptions Options;
    // Owner of the binding's error box, so that the player is disabled beneath it.
    converters::BoxOwnerFn BoxOwner;
    converters::ProgressEvent<TSMFKnife> OnProgress;

  private:
    platform::Handle Module = 0;
    void* GetSmfkVersion = nullptr;  // looked up only
    SmfkConvertFn SmfkConvert = nullptr;
};
