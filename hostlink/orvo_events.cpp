// TORVO: which notifications the player sends this client, and notifications sent on purpose.
#include "hostlink/orvo.h"

namespace {

using Orvo_tlb::Long;

// Every notification except the seven a client asks for.
constexpr std::uint32_t kBaseMask = 0xEFFFF81F;

// The mask bit of each member of TORVOEventSet, in member order.
constexpr std::uint32_t kMemberBits[7] = {
    0x100,       // evVolume
    0x10000000,  // evSpeana
    0x200,       // evLyrics
    0x40,        // evCounter
    0x80,        // evPosition
    0x20,        // evTimer
    0x400,       // evMove
};

Long WindowLong(platform::Handle window) {
    return static_cast<Long>(static_cast<std::uint32_t>(window));
}

}  // namespace

std::uint32_t TORVO::GetEvent() {
    if (!Bound || !ControlIntf) return EventMask;
    // The player's answer is not examined; a player that writes nothing leaves our own mask.
    Long mask = static_cast<Long>(EventMask);
    ControlIntf->GetEvent(WindowLong(MessageWindow), &mask);
    return static_cast<std::uint32_t>(mask);
}

void TORVO::SetEvent(std::uint32_t Mask) {
    EventMask = Mask;
    if (Bound && ControlIntf)
        ControlIntf->SetEvent(WindowLong(MessageWindow), static_cast<Long>(Mask));
}

TORVOEventSet TORVO::GetEvents() {
    const std::uint32_t mask = GetEvent();
    TORVOEventSet events = 0;
    for (int member = 0; member < 7; ++member)
        if (mask & kMemberBits[member]) events |= static_cast<TORVOEventSet>(1u << member);
    return events;
}

void TORVO::SetEvents(TORVOEventSet Events) {
    std::uint32_t mask = kBaseMask;
    for (int member = 0; member < 7; ++member)
        if (Events & (1u << member)) mask |= kMemberBits[member];
    SetEvent(mask);
}

void TORVO::NotifyEvent(platform::Handle Target, std::uint32_t WParam, std::int32_t LParam) {
    auto& os = platform::Os();
    const auto postToSelf = [&] { os.PostMessage(MessageWindow, MessageId, WParam, LParam); };
    if (Target == MessageWindow) {
        postToSelf();
    } else if (Bound && ControlIntf) {
        ControlIntf->NotifyEvent(WindowLong(Target), static_cast<Long>(WParam), LParam);
    } else if (Target == 0) {
        postToSelf();
    }
}
