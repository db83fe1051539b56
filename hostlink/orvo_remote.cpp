// Remote control of the player: its properties and commands, each a thin call at one position
// of the control interface. Unbound, every read gives its neutral value and nothing reaches the
// player; writes, commands and the multi-value readings ignore the player's status.
#include "hostlink/checked_read.h"
#include "hostlink/orvo.h"

namespace {

using Orvo_tlb::IORVOControl;
using Orvo_tlb::Long;
using platform::VariantBool;

// Reads one value through `read`, reporting a failed status under `callText`. The value starts
// at 0, so a failing player that writes nothing leaves 0 for a user who chooses to continue.
template <typename Value, typename Read>
Value CheckedGet(TORVO& orvo, Read read, const char* callText) {
    Value value{};
    const platform::HResult hr = (orvo.ControlIntf.Get()->*read)(&value);
    hostlink::CheckRead(hr, callText);
    return value;
}

template <typename Read>
std::int32_t GetLong(TORVO& orvo, Read read, std::int32_t neutral, const char* callText) {
    if (!orvo.Bound) return neutral;
    return CheckedGet<Long>(orvo, read, callText);
}

// Either boolean form reads as true for any non-zero value.
template <typename Form, typename Read>
bool GetFlag(TORVO& orvo, Read read, const char* callText) {
    if (!orvo.Bound) return false;
    return CheckedGet<Form>(orvo, read, callText) != 0;
}

template <typename Op, typename... Args>
void Call(TORVO& orvo, Op op, Args... args) {
    if (orvo.Bound) (orvo.ControlIntf.Get()->*op)(args...);
}

// The automation boolean: -1 true, 0 false.
VariantBool AutomationBool(bool value) {
    return value ? VariantBool(-1) : VariantBool(0);
}

// The 32-bit boolean the player takes for Visible, FF and Rewind.
Long IntBool(bool value) {
    return value ? 1 : 0;
}

}  // namespace

// The call texts name the player's operation and the form of its out value, so that a failure
// report tells which read failed and how it was asked.
#define VLC_LONG_READ(Name, Neutral)                              \
    std::int32_t TORVO::Get##Name() {                             \
        return GetLong(*this, &IORVOControl::get_##Name, Neutral, \
                       "this->get_" #Name "((long*)&Value)");     \
    }
#define VLC_LONG_WRITE(Name)                           \
    void TORVO::Set##Name(std::int32_t Value) {        \
        Call(*this, &IORVOControl::set_##Name, Value); \
    }
#define VLC_LONG_PROPERTY(Name, Neutral) \
    VLC_LONG_READ(Name, Neutral)         \
    VLC_LONG_WRITE(Name)
#define VLC_AUTOMATION_FLAG(Name)                                                  \
    bool TORVO::Get##Name() {                                                      \
        return GetFlag<VariantBool>(*this, &IORVOControl::get_##Name,              \
                                    "this->get_" #Name "((VARIANT_BOOL*)&Value)"); \
    }                                                                              \
    void TORVO::Set##Name(bool Value) {                                            \
        Call(*this, &IORVOControl::set_##Name, AutomationBool(Value));             \
    }

VLC_LONG_PROPERTY(Left, -1)
VLC_LONG_PROPERTY(Top, -1)
VLC_LONG_READ(Width, -1)
VLC_LONG_READ(Height, -1)
VLC_LONG_READ(PlayStatus, 524)  // MCI_MODE_NOT_READY
VLC_LONG_PROPERTY(Track, 0)
VLC_LONG_WRITE(Position)
VLC_LONG_READ(Length, 0)
VLC_LONG_PROPERTY(Volume, 0)
VLC_LONG_PROPERTY(Counter, 0)
VLC_LONG_PROPERTY(OnTime, 0)
VLC_LONG_PROPERTY(OffTime, 0)
VLC_LONG_PROPERTY(RecLevel, 100)
VLC_LONG_PROPERTY(Rate, 100)
VLC_AUTOMATION_FLAG(Repeat)
VLC_AUTOMATION_FLAG(Random)
VLC_AUTOMATION_FLAG(RemainTime)
VLC_AUTOMATION_FLAG(OnTimer)
VLC_AUTOMATION_FLAG(OffTimer)
VLC_AUTOMATION_FLAG(ShutDownRecord)

#undef VLC_LONG_READ
#undef VLC_LONG_WRITE
#undef VLC_LONG_PROPERTY
#undef VLC_AUTOMATION_FLAG

bool TORVO::GetVisible() {
    return GetFlag<Long>(*this, &IORVOControl::get_Visible, "this->get_Visible((long*)&Value)");
}

void TORVO::SetVisible(bool Value) {
    Call(*this, &IORVOControl::set_Visible, IntBool(Value));
}

TORVODisplayMode TORVO::GetDisplayMode() {
    if (!Bound) return 0;
    return CheckedGet<TORVODisplayMode>(
        *this, &IORVOControl::get_DisplayMode,
        "this->get_DisplayMode((Orvo_tlb::TORVODisplayMode*)&Mode)");
}

void TORVO::SetDisplayMode(TORVODisplayMode Value) {
    Call(*this, &IORVOControl::set_DisplayMode, Value);
}

// The position is polled while playing; a player that has gone away must not keep raising, so
// any error during the read, the user's choice to stop included, ends the binding instead.
std::int32_t TORVO::GetPosition() {
    if (!Bound) return 0;
    try {
        return CheckedGet<Long>(*this, &IORVOControl::get_Position,
                                "this->get_Position((long*)&Value)");
    } catch (...) {
        Unbind();
        return 0;
    }
}

void TORVO::Stop() {
    Call(*this, &IORVOControl::Stop);
}
void TORVO::Pause() {
    Call(*this, &IORVOControl::Pause);
}
void TORVO::Play() {
    Call(*this, &IORVOControl::Play);
}
void TORVO::FF(bool On) {
    Call(*this, &IORVOControl::FF, IntBool(On));
}
void TORVO::Rewind(bool On) {
    Call(*this, &IORVOControl::Rewind, IntBool(On));
}
void TORVO::Next() {
    Call(*this, &IORVOControl::Next);
}
void TORVO::Back() {
    Call(*this, &IORVOControl::Back);
}
void TORVO::Eject() {
    Call(*this, &IORVOControl::Eject);
}
void TORVO::Seek(std::int32_t A, std::int32_t B) {
    Call(*this, &IORVOControl::Seek, A, B);
}
void TORVO::ShowPlayList() {
    Call(*this, &IORVOControl::ShowPlayList);
}
void TORVO::ShowProperty() {
    Call(*this, &IORVOControl::ShowProperty);
}
void TORVO::ShowMenu() {
    Call(*this, &IORVOControl::ShowMenu);
}
void TORVO::ShowToolMenu() {
    Call(*this, &IORVOControl::ShowToolMenu);
}
void TORVO::Click(std::int32_t Value) {
    Call(*this, &IORVOControl::Click, Value);
}
void TORVO::SaveORVOini() {
    Call(*this, &IORVOControl::SaveORVOini);
}

// Only the seven shift-state flags reach the player; the other bits go out as 0.
void TORVO::KeyDown(std::uint16_t Key, std::uint32_t Shift) {
    Call(*this, &IORVOControl::KeyDown, static_cast<Long>(Key), static_cast<Long>(Shift & 0x7F));
}

void TORVO::GetVolumes(std::int32_t& First, std::int32_t& Second) {
    First = 0;
    Second = 0;
    Call(*this, &IORVOControl::GetVolumes, &First, &Second);
}

void TORVO::GetSpeana(std::int32_t* Values) {
    for (int i = 0; i < 10; ++i) Values[i] = 0;
    Call(*this, &IORVOControl::GetSpeana, &Values[0], &Values[1], &Values[2], &Values[3],
         &Values[4], &Values[5], &Values[6], &Values[7], &Values[8], &Values[9]);
}
