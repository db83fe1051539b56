// `TRCPCV`: run-time binding to the RCPCV converter library ("rcpcv.dll"), which turns
// RCP-family sequence files into Standard MIDI Files. The library is never linked; it is loaded
// on the first conversion after switching on and stays loaded until switched off. One
// conversion is three calls: make a converter object, save it as SMF, delete it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "converters/ConverterSupport.h"
#include "platform/Abi.h"

class TRCPCV {
  public:
    // The library's progress record: only these two words are read, little-endian.
    static constexpr std::size_t kProgressOffset = 8;
    static constexpr std::size_t kUserOffset = 12;

    using ProgressCallbackFn = std::int32_t(VLC_STDCALL*)(const void* record);
    using ConvertFileFn = std::uint32_t(VLC_STDCALL*)(const char* source, std::int32_t mode,
                                                      ProgressCallbackFn callback,
                                                      std::int32_t reserved, std::uint32_t user);
    using SaveSmfFn = std::int32_t(VLC_STDCALL*)(std::uint32_t object, const char* dest);
    using DeleteObjectFn = std::int32_t(VLC_STDCALL*)(std::uint32_t object);

    static constexpr char kLibraryName[] = "rcpcv.dll";

    TRCPCV();
    ~TRCPCV();
    // The library holds this object's address during a conversion: it stays where it is.
    TRCPCV(const TRCPCV&) = delete;
    TRCPCV& operator=(const TRCPCV&) = delete;

    // Clears `LastResult`. Switching on probes the library: `Enabled` stays true only when it
    // loads and has both required functions. A library not loaded before is freed at once.
    void SetEnabled(bool value);
    void Load();
    void Unload();
    // Converts `source` into `dest`; nothing happens when switched off or a path is empty.
    void Convert(const std::string& source, const std::string& dest);

    bool Loaded() const { return Module != 0; }

    // Handed to the library; reads the progress and the user value from `record`.
    static std::int32_t VLC_STDCALL ProgressCallback(const void* record);

    bool Enabled = false;
    std::uint32_t ConvertedObject = 0;  // from the last rcpcvConvertFile; 0 = none
    std::int32_t LastResult = 0;        // from the last rcpcvSaveSMF; 0 when none was made
    // Owner of the binding's error box, so that the player is disabled beneath it.
    converters::BoxOwnerFn BoxOwner;
    converters::ProgressEvent<TRCPCV> OnProgress;

  private:
    // The library's functions in lookup order; only three are ever called.
    enum Entry {
        kConvertFile,
        kConvertFileFromBuffer,
        kDeleteObject,
        kGetSmf,
        kSaveSmf,
        kGetSmfLength,
        kGetOriginalFileType,
        kGetVersionMajor,
        kGetVersionMinor,
        kGetCopyright,
        kEntryCount
    };
    static const char* const kEntryNames[kEntryCount];

    platform::Handle Module = 0;
    void* Entries[kEntryCount] = {};
};
