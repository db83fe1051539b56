// TORVO: the player's "WM_ORVO" notifications turned into events, and messages to the player.
#include <algorithm>
#include <exception>

#include "hostlink/checked_read.h"
#include "hostlink/event_slot.h"
#include "hostlink/orvo.h"

using hostlink::Fire;

namespace {

using Orvo_tlb::Long;

// Notification codes; below 0x10000 they are also the bits of the notification mask.
enum : std::uint32_t {
    kOpen = 0x00000001,
    kClose = 0x00000002,
    kRun = 0x00000004,
    kAbort = 0x00000008,
    kPlayStatus = 0x00000010,
    kTimer = 0x00000020,
    kCounter = 0x00000040,
    kPosition = 0x00000080,
    kVolume = 0x00000100,
    kLyrics = 0x00000200,
    kMove = 0x00000400,
    kMenu = 0x00000800,
    kSpeana = 0x10000000,
    kButton = 0x20000000,
    kStatus = 0x40000000,
    kUser = 0x80000000,
};

constexpr std::uint32_t kRequestTimeoutMs = 3000;

std::int32_t Low16(std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}
std::int32_t High16(std::int32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) >> 16);
}

bool IsLive(const std::vector<TORVOMenu*>* list, const TORVOMenu* item,
            TORVOMenu* const (&roots)[4]) {
    if (std::find(std::begin(roots), std::end(roots), item) != std::end(roots)) return true;
    return list && std::find(list->begin(), list->end(), item) != list->end();
}

}  // namespace

std::intptr_t TORVO::WndProc(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
    if (Msg != MessageId || MessageId == 0)
        return platform::Os().DefWindowProc(MessageWindow, Msg, WParam, LParam);
    // Handlers run inside the system's message dispatch, which must never see an exception.
    try {
        ORVOHandler(static_cast<std::uint32_t>(WParam), static_cast<std::int32_t>(LParam));
    } catch (const std::exception& e) {
        try {
            hostlink::ReportError(e.what());
        } catch (...) {
        }
    } catch (...) {
    }
    return 1;
}

void TORVO::ORVOHandler(std::uint32_t WParam, std::int32_t LParam) {
    const std::uint32_t code = WParam < 0x10000 ? WParam : (WParam & 0xFFFF0000u);
    const std::int32_t sub = static_cast<std::int32_t>(WParam & 0xFFFF);

    switch (code) {
        case kOpen:
            NotifyOpen(static_cast<std::intptr_t>(static_cast<std::uint32_t>(LParam)));
            break;
        case kClose:
            NotifyClose(LParam);
            break;
        case kRun:
            NotifyRun(LParam);
            break;
        case kAbort:
            NotifyAbort();
            break;
        case kUser:
            NotifyUser(static_cast<std::uint32_t>(sub), LParam);
            break;
        default:
            if (!Bound) break;
            switch (code) {
                case kPlayStatus:
                    NotifyPlayStatus(LParam);
                    break;
                case kTimer:
                    NotifyTimer(LParam);
                    break;
                case kCounter:
                    NotifyCounter(LParam);
                    break;
                case kPosition:
                    NotifyPosition(LParam);
                    break;
                case kVolume:
                    NotifyVolume(
                        static_cast<std::int32_t>(LParam & 0xFFFF),
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(LParam) >> 16));
                    break;
                case kLyrics:
                    NotifyLyrics(LParam);
                    break;
                case kMove:
                    NotifyMove(Low16(LParam), High16(LParam));
                    break;
                case kMenu:
                    NotifyMenu(LParam);
                    break;
                case kSpeana:
                    NotifySpeana(static_cast<std::int32_t>(WParam), LParam);
                    break;
                case kButton:
                    NotifyButton(sub, LParam);
                    break;
                case kStatus:
                    NotifyStatus(sub, LParam);
                    break;
                default:
                    break;
            }
    }
    Fire(OnORVO, this, WParam, LParam);
}

void TORVO::NotifyUser(std::uint32_t Event, std::int32_t Param) {
    Fire(OnUser, this, Event, Param);
}

void TORVO::NotifyOpen(std::intptr_t Param) {
    HostWnd = static_cast<platform::Handle>(Param);
    if (!Bound && AutoLink) Bind();
    Fire(OnOpen, this);
}

void TORVO::NotifyClose(std::intptr_t /*Param*/) {
    HostWnd = 0;
    Unbind();
    Fire(OnClose, this);
}

void TORVO::NotifyRun(std::int32_t /*Param: the player's run value, not used here*/) {
    Fire(OnRun, this);
}

void TORVO::NotifyAbort() {
    Fire(OnAbort, this);  // still bound: the handler may talk to the player one last time
    HostWnd = 0;
    Unbind();
}

void TORVO::NotifyPlayStatus(std::int32_t Param) {
    Fire(OnPlayStatus, this, Param);
}

void TORVO::NotifyVolume(std::int32_t Left, std::int32_t Right) {
    Fire(OnVolume, this, Left, Right);
}

void TORVO::NotifySpeana(std::int32_t WParam, std::int32_t LParam) {
    if (!OnSpeana) return;
    const auto lo = static_cast<std::uint32_t>(LParam);
    const auto hi = static_cast<std::uint32_t>(WParam);
    std::int32_t level[10];
    for (int i = 0; i < 8; ++i) level[i] = static_cast<std::int32_t>((lo >> (4 * i)) & 0xF);
    level[8] = static_cast<std::int32_t>(hi & 0xF);
    level[9] = static_cast<std::int32_t>((hi >> 4) & 0xF);
    Fire(OnSpeana, this, static_cast<const std::int32_t*>(level));
}

void TORVO::NotifyLyrics(std::int32_t Param) {
    Fire(OnLyrics, this, Param);
}

void TORVO::NotifyCounter(std::int32_t Param) {
    Fire(OnCounter, this, Param);
}

void TORVO::NotifyPosition(std::int32_t Param) {
    Fire(OnPosition, this, Param);
}

void TORVO::NotifyTimer(std::int32_t Param) {
    Fire(OnIntTimer, this, Param);
}

void TORVO::NotifyMove(std::int32_t Left, std::int32_t Right) {
    Fire(OnMove, this, Left, Right);
}

void TORVO::NotifyButton(std::int32_t Event, std::int32_t Param) {
    Fire(OnButton, this, static_cast<std::uint32_t>(Event), Param);
}

void TORVO::NotifyMenu(std::int32_t Id) {
    TORVOMenu* item = GetMenu(Id);
    if (item && item->OnClick) {
        Fire(item->OnClick, item);
        // The click handler may have destroyed its own item (DeleteChild, an Unbind): the
        // component's event then learns of no item rather than of a freed one.
        if (!IsLive(MenuList.get(), item, RootMenus)) item = nullptr;
    }
    Fire(OnMenu, item);
}

void TORVO::NotifyStatus(std::int32_t Kind, std::int32_t Value) {
    Fire(OnStatus, this, static_cast<std::uint32_t>(Kind), Value);
    const bool flag = Value != 0;
    switch (Kind) {
        case 1:
            Fire(OnVisible, this, flag);
            break;
        case 2:
            Fire(OnActive, this, flag);
            break;
        case 3:
            Fire(OnMinimize, this, flag);
            break;
        case 4:
            Fire(OnStayOnTop, this, flag);
            break;
        case 5:
            Fire(OnRepeat, this, flag);
            break;
        case 6:
            Fire(OnRandom, this, flag);
            break;
        case 7:
            Fire(OnDisplayTime, this, flag);
            break;
        case 8:
            Fire(OnDisplayTrack, this, Value);
            break;
        case 9:
            Fire(OnDisplayTitle, this, Value);
            break;
        case 10:
            Fire(OnDisplayDevice, this, static_cast<TORVODeviceType>(Value));
            break;
        case 11:
            Fire(OnDisplayTimer, this, Value);
            break;
        case 12:
            Fire(OnDisplayCaption, this);
            break;
        case 13:
            Fire(OnChangeVolume, this, Value);
            break;
        case 14:
            Fire(OnOpenTrack, this, Value);
            break;
        case 15:
            Fire(OnCloseTrack, this, Value);
            break;
        case 16:
            if (LyricsList) LyricsList->Clear();
            Fire(OnLoadLyrics, this);
            break;
        case 17:
            Fire(OnSaveORVOini, this);
            break;
        case 18:
            Fire(OnDesign, this);
            break;
        case 21:
            Fire(OnChangePlayList, this, Value);
            break;
        case 22:
            if (OnDisplayMenu) {
                if (TORVOMenu* item = GetMenu(Value)) Fire(OnDisplayMenu, item);
            }
            break;
        case 25:
            Fire(OnClick, this, Value);
            break;
        case 26:
            Fire(OnDblClick, this, Value);
            break;
        case 27:
            NotifyDeleteMenu(static_cast<std::uint32_t>(Value));
            break;
        case 28:
            Fire(OnChangeDisplayMode, this, static_cast<TORVODisplayMode>(Value));
            break;
        case 30:
            Fire(OnMoved, this, Low16(Value), High16(Value));
            break;
        default:
            break;
    }
}

void TORVO::NotifyDeleteMenu(std::uint32_t Id) {
    if (!MenuList) return;
    const auto id = static_cast<std::int32_t>(Id);
    std::vector<TORVOMenu*> doomed;
    auto& list = *MenuList;
    for (auto it = list.begin(); it != list.end();) {
        if ((*it)->Id == id) {
            doomed.push_back(*it);
            it = list.erase(it);
        } else {
            ++it;
        }
    }
    for (TORVOMenu* item : doomed) delete item;
}

bool TORVO::Post(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
    auto& os = platform::Os();
    if (!HostWnd && !GetORVOHandle()) return false;
    if (os.PostMessage(HostWnd, Msg, WParam, LParam)) return true;
    // The window we knew may be gone (the player restarted): look for it once more.
    const platform::Handle again = GetORVOHandle();
    return again && os.PostMessage(again, Msg, WParam, LParam);
}

std::int32_t TORVO::Request(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
    if (!GetORVOHandle()) return 0;
    std::intptr_t result = 0;
    if (!platform::Os().SendMessageTimeout(HostWnd, Msg, WParam, LParam,
                                           platform::kSmtoBlock | platform::kSmtoAbortIfHung,
                                           kRequestTimeoutMs, result))
        return 0;
    return static_cast<std::int32_t>(result);
}

void TORVO::Close() {
    if (Bound && ControlIntf) ControlIntf->Close();
}

void TORVO::Abort() {
    if (Bound && ControlIntf)
        ControlIntf->Abort(static_cast<Long>(static_cast<std::uint32_t>(MessageWindow)));
}

void TORVO::ShutDown() {
    if (Bound && ControlIntf) ControlIntf->ShutDown();
}
