// Calling-convention and COM-shaped types shared by every binary contract of the plug-in.
// This is the one header that knows which target it is compiled for: on 32-bit Windows the
// host's tables and the converter libraries use stdcall; on the native test build the attribute
// does not exist and every call uses the platform's single convention.
#pragma once

#include <cstdint>

#if defined(__i386__)
#define VLC_STDCALL __attribute__((stdcall))
#define VLC_CDECL __attribute__((cdecl))
#else
#define VLC_STDCALL
#define VLC_CDECL
#endif

namespace platform {

// Opaque system handle (window, module, mutex, process). Pointer-sized like the system's.
using Handle = std::uintptr_t;

using HResult = std::int32_t;
using OleChar = char16_t;
using Bstr = OleChar*;
using VariantBool = std::int16_t;

constexpr HResult kSOk = 0;
constexpr HResult kSFalse = 1;
constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);
constexpr HResult kEFail = static_cast<HResult>(0x80004005u);

inline bool Succeeded(HResult hr) {
    return hr >= 0;
}
inline bool Failed(HResult hr) {
    return hr < 0;
}

// Binary layout of a COM GUID.
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i]) return false;
    return true;
}
inline bool operator!=(const Guid& a, const Guid& b) {
    return !(a == b);
}

static_assert(sizeof(Guid) == 16, "GUID is 16 bytes");

}  // namespace platform
