// The host's binary interfaces, declared by their positions in the operation table.
//
// Every interface is a table of stdcall operations taking the object first. A position that
// this system never calls is a filler slot (`SlotNN`), so every named operation sits at exactly
// the position the host serves it at. Implementations (the stand-in host, test fakes) override
// every slot; fillers answer E_NOTIMPL.
//
// The five identifiers below (the server class and the four interfaces) are the only values of
// our own choosing in the host contract; they are kept here and nowhere else.
#pragma once

#include <cstdint>

#include "platform/Abi.h"

namespace Orvo_tlb {

using platform::Bstr;
using platform::Guid;
using platform::HResult;
using platform::VariantBool;
using Long = std::int32_t;  // the host's 32-bit integer, whatever the build's `long`

// clang-format off
constexpr Guid CLSID_ORVOControl = {0xe58443cc, 0x6892, 0x4256, {0x8a, 0x46, 0x37, 0x36, 0x76, 0x20, 0xac, 0xa2}};
constexpr Guid IID_IORVOControl  = {0x49bec6a6, 0xb2ce, 0x43f8, {0xaf, 0x1e, 0x48, 0xab, 0x2c, 0xb3, 0x04, 0x53}};
constexpr Guid IID_IORVOPlayList = {0x6bdc9c00, 0x307a, 0x4077, {0x96, 0x97, 0x48, 0x74, 0xbe, 0x80, 0x3e, 0x00}};
constexpr Guid IID_IORVOLyrics   = {0x7396e26c, 0xf794, 0x4f69, {0xb6, 0x90, 0xc2, 0x51, 0x95, 0x2a, 0x9b, 0xf9}};
constexpr Guid IID_IORVOMenu     = {0x1c15b06d, 0x6ab9, 0x4ba7, {0x9f, 0x2a, 0x8e, 0x7d, 0x38, 0x34, 0x5e, 0x4b}};
constexpr Guid IID_IUnknown      = {0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid IID_IDispatch     = {0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// clang-format on

// The player's display modes; a host enumeration carried as a 32-bit value.
using TORVODisplayMode = Long;

#define VLC_SLOT(n) virtual HResult VLC_STDCALL Slot##n() = 0

// Positions 0 to 2.
struct IUnknownIntf {
    virtual HResult VLC_STDCALL QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t VLC_STDCALL AddRef() = 0;
    virtual std::uint32_t VLC_STDCALL Release() = 0;
};

// Positions 3 to 6; never called by this system, so their arguments are left opaque.
struct IDispatchIntf : IUnknownIntf {
    virtual HResult VLC_STDCALL GetTypeInfoCount(std::uint32_t* count) = 0;
    virtual HResult VLC_STDCALL GetTypeInfo(std::uint32_t index, std::uint32_t locale,
                                            void** info) = 0;
    virtual HResult VLC_STDCALL GetIDsOfNames(const Guid& iid, void* names, std::uint32_t count,
                                              std::uint32_t locale, Long* ids) = 0;
    virtual HResult VLC_STDCALL Invoke(Long id, const Guid& iid, std::uint32_t locale,
                                       std::uint16_t flags, void* params, void* result,
                                       void* exception, std::uint32_t* argError) = 0;
};

struct IORVOControl : IDispatchIntf {
    virtual HResult VLC_STDCALL get_Version(Long* value) = 0;            // 7
    virtual HResult VLC_STDCALL CheckVersion(Long version) = 0;          // 8
    virtual HResult VLC_STDCALL get_Handle(Long* value) = 0;             // 9
    virtual HResult VLC_STDCALL get_Visible(Long* value) = 0;            // 10
    virtual HResult VLC_STDCALL set_Visible(Long value) = 0;             // 11
    virtual HResult VLC_STDCALL get_Left(Long* value) = 0;               // 12
    virtual HResult VLC_STDCALL set_Left(Long value) = 0;                // 13
    virtual HResult VLC_STDCALL get_Top(Long* value) = 0;                // 14
    virtual HResult VLC_STDCALL set_Top(Long value) = 0;                 // 15
    virtual HResult VLC_STDCALL get_Width(Long* value) = 0;              // 16
    virtual HResult VLC_STDCALL get_Height(Long* value) = 0;             // 17
    virtual HResult VLC_STDCALL get_PlayStatus(Long* value) = 0;         // 18
    virtual HResult VLC_STDCALL get_Track(Long* value) = 0;              // 19
    virtual HResult VLC_STDCALL set_Track(Long value) = 0;               // 20
    virtual HResult VLC_STDCALL get_Position(Long* value) = 0;           // 21
    virtual HResult VLC_STDCALL set_Position(Long value) = 0;            // 22
    virtual HResult VLC_STDCALL get_Length(Long* value) = 0;             // 23
    virtual HResult VLC_STDCALL get_Volume(Long* value) = 0;             // 24
    virtual HResult VLC_STDCALL set_Volume(Long value) = 0;              // 25
    virtual HResult VLC_STDCALL get_Counter(Long* value) = 0;            // 26
    virtual HResult VLC_STDCALL set_Counter(Long value) = 0;             // 27
    virtual HResult VLC_STDCALL get_Repeat(VariantBool* value) = 0;      // 28
    virtual HResult VLC_STDCALL set_Repeat(VariantBool value) = 0;       // 29
    virtual HResult VLC_STDCALL get_Random(VariantBool* value) = 0;      // 30
    virtual HResult VLC_STDCALL set_Random(VariantBool value) = 0;       // 31
    virtual HResult VLC_STDCALL get_RemainTime(VariantBool* value) = 0;  // 32
    virtual HResult VLC_STDCALL set_RemainTime(VariantBool value) = 0;   // 33
    virtual HResult VLC_STDCALL get_Design(Bstr* value) = 0;             // 34
    virtual HResult VLC_STDCALL set_Design(Bstr value) = 0;              // 35
    VLC_SLOT(36);
    VLC_SLOT(37);
    virtual HResult VLC_STDCALL get_DisplayMode(TORVODisplayMode* value) = 0;  // 38
    virtual HResult VLC_STDCALL set_DisplayMode(TORVODisplayMode value) = 0;   // 39
    virtual HResult VLC_STDCALL get_OnTimer(VariantBool* value) = 0;           // 40
    virtual HResult VLC_STDCALL set_OnTimer(VariantBool value) = 0;            // 41
    virtual HResult VLC_STDCALL get_OnTime(Long* value) = 0;                   // 42
    virtual HResult VLC_STDCALL set_OnTime(Long value) = 0;                    // 43
    virtual HResult VLC_STDCALL get_OffTimer(VariantBool* value) = 0;          // 44
    virtual HResult VLC_STDCALL set_OffTimer(VariantBool value) = 0;           // 45
    virtual HResult VLC_STDCALL get_OffTime(Long* value) = 0;                  // 46
    virtual HResult VLC_STDCALL set_OffTime(Long value) = 0;                   // 47
    virtual HResult VLC_STDCALL get_ShutDownRecord(VariantBool* value) = 0;    // 48
    virtual HResult VLC_STDCALL set_ShutDownRecord(VariantBool value) = 0;     // 49
    virtual HResult VLC_STDCALL get_RecLevel(Long* value) = 0;                 // 50
    virtual HResult VLC_STDCALL set_RecLevel(Long value) = 0;                  // 51
    virtual HResult VLC_STDCALL Attach(Long instance, Long processId, Long window, Long* mode,
                                       Long* runValue) = 0;                              // 52
    virtual HResult VLC_STDCALL Detach(Long window) = 0;                                 // 53
    virtual HResult VLC_STDCALL Abort(Long window) = 0;                                  // 54
    virtual HResult VLC_STDCALL Close() = 0;                                             // 55
    virtual HResult VLC_STDCALL ShutDown() = 0;                                          // 56
    virtual HResult VLC_STDCALL GetEvent(Long window, Long* mask) = 0;                   // 57
    virtual HResult VLC_STDCALL SetEvent(Long window, Long mask) = 0;                    // 58
    virtual HResult VLC_STDCALL NotifyEvent(Long target, Long wParam, Long lParam) = 0;  // 59
    virtual HResult VLC_STDCALL Stop() = 0;                                              // 60
    virtual HResult VLC_STDCALL Pause() = 0;                                             // 61
    virtual HResult VLC_STDCALL Play() = 0;                                              // 62
    virtual HResult VLC_STDCALL FF(Long on) = 0;                                         // 63
    virtual HResult VLC_STDCALL Rewind(Long on) = 0;                                     // 64
    virtual HResult VLC_STDCALL Next() = 0;                                              // 65
    virtual HResult VLC_STDCALL Back() = 0;                                              // 66
    virtual HResult VLC_STDCALL Eject() = 0;                                             // 67
    virtual HResult VLC_STDCALL Seek(Long a, Long b) = 0;                                // 68
    virtual HResult VLC_STDCALL ShowPlayList() = 0;                                      // 69
    virtual HResult VLC_STDCALL ShowProperty() = 0;                                      // 70
    virtual HResult VLC_STDCALL ShowMenu() = 0;                                          // 71
    virtual HResult VLC_STDCALL ShowToolMenu() = 0;                                      // 72
    virtual HResult VLC_STDCALL Click(Long value) = 0;                                   // 73
    virtual HResult VLC_STDCALL KeyDown(Long key, Long shift) = 0;                       // 74
    virtual HResult VLC_STDCALL GetText(Bstr* text, Long* adjust, std::int16_t* showAccel,
                                        std::int16_t* option, Bstr* faceName, Long* charSet,
                                        Long* size, Long* style, Long* color,
                                        Long* extra) = 0;                   // 75
    virtual HResult VLC_STDCALL GetVolumes(Long* first, Long* second) = 0;  // 76
    virtual HResult VLC_STDCALL GetSpeana(Long* v0, Long* v1, Long* v2, Long* v3, Long* v4,
                                          Long* v5, Long* v6, Long* v7, Long* v8,
                                          Long* v9) = 0;  // 77
    virtual HResult VLC_STDCALL SaveORVOini() = 0;        // 78
    VLC_SLOT(79);
    virtual HResult VLC_STDCALL GetColor(Long index, Long* color) = 0;  // 80
    virtual HResult VLC_STDCALL GetFont(Long index, Bstr* faceName, Long* charSet, Long* size,
                                        Long* style, Long* color) = 0;  // 81
    virtual HResult VLC_STDCALL GetFormImage(Bstr text) = 0;            // 82
    virtual HResult VLC_STDCALL get_Rate(Long* value) = 0;              // 83
    virtual HResult VLC_STDCALL set_Rate(Long value) = 0;               // 84
};

struct IORVOPlayList : IDispatchIntf {
    VLC_SLOT(7);
    virtual HResult VLC_STDCALL get_Tracks(Long* value) = 0;  // 8
    VLC_SLOT(9);
    VLC_SLOT(10);
    VLC_SLOT(11);
    VLC_SLOT(12);
    VLC_SLOT(13);
    VLC_SLOT(14);
    VLC_SLOT(15);
    VLC_SLOT(16);
    VLC_SLOT(17);
    VLC_SLOT(18);
    VLC_SLOT(19);
    VLC_SLOT(20);
    virtual HResult VLC_STDCALL get_SelectedTrack(Long* value) = 0;  // 21
    VLC_SLOT(22);
    VLC_SLOT(23);
    VLC_SLOT(24);
    virtual HResult VLC_STDCALL New() = 0;  // 25
    VLC_SLOT(26);
    VLC_SLOT(27);
    virtual HResult VLC_STDCALL Add(Bstr path) = 0;   // 28
    virtual HResult VLC_STDCALL Load(Bstr path) = 0;  // 29
    virtual HResult VLC_STDCALL Save(Bstr path) = 0;  // 30
    virtual HResult VLC_STDCALL GetTrackInfo(Long index, Bstr* text0, Bstr* text1, Bstr* fileName,
                                             Bstr* text3, Bstr* text4, Long* value0, Long* value1,
                                             Long* value2, Long* kind, Long* driveAndTrack,
                                             Long* value5, Long* value6) = 0;  // 31
    virtual HResult VLC_STDCALL SetTrackInfo(Long index, Bstr text0, Bstr text1, Bstr fileName,
                                             Bstr text3, Bstr text4, Long value0, Long value1,
                                             Long value2, Long kind, Long driveAndTrack,
                                             Long value5, Long value6) = 0;  // 32
};

struct IORVOLyrics : IDispatchIntf {
    VLC_SLOT(7);
    virtual HResult VLC_STDCALL get_Lines(Long* value) = 0;  // 8
    VLC_SLOT(9);
    VLC_SLOT(10);
    VLC_SLOT(11);
    VLC_SLOT(12);
    VLC_SLOT(13);
    VLC_SLOT(14);
    VLC_SLOT(15);
    VLC_SLOT(16);
    VLC_SLOT(17);
    VLC_SLOT(18);
    VLC_SLOT(19);
    VLC_SLOT(20);
    virtual HResult VLC_STDCALL GetLyrics(Long index, Long* number, Bstr* text, Long* adjust,
                                          Long* flags, Bstr* faceName, Long* charSet, Long* size,
                                          Long* style, Long* color, Long* extra) = 0;  // 21
};

struct IORVOMenu : IDispatchIntf {
    VLC_SLOT(7);
    VLC_SLOT(8);
    VLC_SLOT(9);
    virtual HResult VLC_STDCALL AddItem(Long window, Long parentId, Bstr caption,
                                        Long* newId) = 0;  // 10
    VLC_SLOT(11);
    VLC_SLOT(12);
    virtual HResult VLC_STDCALL DeleteItem(Long id) = 0;  // 13
    VLC_SLOT(14);
    VLC_SLOT(15);
    VLC_SLOT(16);
    virtual HResult VLC_STDCALL GetItemCaption(Long id, Bstr* caption) = 0;  // 17
    virtual HResult VLC_STDCALL SetItemCaption(Long id, Bstr caption) = 0;   // 18
    VLC_SLOT(19);
    virtual HResult VLC_STDCALL SetItemEnabled(Long id, Long flag) = 0;  // 20
};

#undef VLC_SLOT

// The plug-in host interface handed to the plug-in's start export. Not a COM interface: a table
// of stdcall operations, object first, of which positions 0, 1, 2, 8 and 15 are used.
struct IPluginHost {
    virtual Long VLC_STDCALL HostVersion() = 0;                         // 0
    virtual std::uint8_t VLC_STDCALL AcceptsVersion(Long version) = 0;  // 1: nonzero = accepted
    virtual Long VLC_STDCALL Decline() = 0;                             // 2
    virtual void VLC_STDCALL Reserved3() = 0;
    virtual void VLC_STDCALL Reserved4() = 0;
    virtual void VLC_STDCALL Reserved5() = 0;
    virtual void VLC_STDCALL Reserved6() = 0;
    virtual void VLC_STDCALL Reserved7() = 0;
    virtual const char* VLC_STDCALL PluginFileName() = 0;  // 8
    virtual void VLC_STDCALL Reserved9() = 0;
    virtual void VLC_STDCALL Reserved10() = 0;
    virtual void VLC_STDCALL Reserved11() = 0;
    virtual void VLC_STDCALL Reserved12() = 0;
    virtual void VLC_STDCALL Reserved13() = 0;
    virtual void VLC_STDCALL Reserved14() = 0;
    virtual void* VLC_STDCALL PluginOwner() = 0;  // 15: the component owning the plug-in's objects
};

// For implementers of the plug-in host interface (stand-ins, test fakes): the positions the
// plug-in never calls, each reporting its position to `Unexpected`.
class PluginHostFillers : public IPluginHost {
  protected:
    virtual void Unexpected(int position) = 0;

  public:
    void VLC_STDCALL Reserved3() override { Unexpected(3); }
    void VLC_STDCALL Reserved4() override { Unexpected(4); }
    void VLC_STDCALL Reserved5() override { Unexpected(5); }
    void VLC_STDCALL Reserved6() override { Unexpected(6); }
    void VLC_STDCALL Reserved7() override { Unexpected(7); }
    void VLC_STDCALL Reserved9() override { Unexpected(9); }
    void VLC_STDCALL Reserved10() override { Unexpected(10); }
    void VLC_STDCALL Reserved11() override { Unexpected(11); }
    void VLC_STDCALL Reserved12() override { Unexpected(12); }
    void VLC_STDCALL Reserved13() override { Unexpected(13); }
    void VLC_STDCALL Reserved14() override { Unexpected(14); }
};

}  // namespace Orvo_tlb
