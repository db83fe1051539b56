// TORVO: the host-link component through which the plug-in speaks to the ORVO player.
//
// It finds the player's main window and executable, binds to the player's automation server,
// receives the player's notifications ("WM_ORVO") on a hidden window and turns them into
// events, and offers remote control of the player, its playlist, lyrics, menus and settings.
// Every operation that reaches the player first tests `Bound` and gives a neutral value
// without a player call when not bound.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "hostlink/ComRef.h"
#include "hostlink/ORVO_TLB.h"
#include "hostlink/font.h"
#include "hostlink/menu.h"
#include "hostlink/tracks.h"
#include "platform/Platform.h"

class TORVO;

// Raised by a checked read of a player property when the user chooses to stop.
class EOleError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Event slots: a handler bound to its context (a lambda or std::bind), or empty.
using TNotifyEvent = std::function<void(TORVO* Sender)>;
using TParamEvent = std::function<void(TORVO* Sender, std::int32_t Param)>;
using TEventParamEvent =
    std::function<void(TORVO* Sender, std::uint32_t Event, std::int32_t Param)>;
using TLeftRightEvent = std::function<void(TORVO* Sender, std::int32_t Left, std::int32_t Right)>;
using TFlagEvent = std::function<void(TORVO* Sender, bool Flag)>;
using TSpeanaEvent = std::function<void(TORVO* Sender, const std::int32_t* Level)>;
using TMenuEvent = std::function<void(TORVOMenu* Sender)>;

// Optional notifications a client subscribes to; bit i of the byte is member i.
enum TORVOEvent : std::uint8_t {
    evVolume = 0,
    evSpeana = 1,
    evLyrics = 2,
    evCounter = 3,
    evPosition = 4,
    evTimer = 5,
    evMove = 6
};
using TORVOEventSet = std::uint8_t;

using TORVODeviceType = std::int32_t;
using Orvo_tlb::TORVODisplayMode;

// The four fixed root menus of the player.
constexpr std::int32_t kRootMenuIds[4] = {0x4000, 0x5000, 0x9000, 0x8000};

class TORVO {
  public:
    explicit TORVO(void* Owner);
    virtual ~TORVO();
    TORVO(const TORVO&) = delete;
    TORVO& operator=(const TORVO&) = delete;

    // ---- fields, in declaration order ----
    std::uint32_t MessageId = 0;
    ComRef<Orvo_tlb::IORVOControl> ControlIntf;
    ComRef<Orvo_tlb::IORVOPlayList> PlayListIntf;
    ComRef<Orvo_tlb::IORVOLyrics> LyricsIntf;
    ComRef<Orvo_tlb::IORVOMenu> MenuIntf;
    platform::Handle HostWnd = 0;
    std::string ExePath;
    std::uint8_t PluginMode = 0;
    platform::Handle MessageWindow = 0;
    bool Bound = false;
    bool AutoLink = true;
    std::uint32_t EventMask = 0xEFFFF81F;
    std::unique_ptr<TLyrics> DisplayText;
    std::unique_ptr<TLyricsList> LyricsList;
    std::unique_ptr<TPlayList> PlayList;
    TORVOMenu* RootMenus[4] = {};                       // 0x4000, 0x5000, 0x9000, 0x8000
    std::unique_ptr<std::vector<TORVOMenu*>> MenuList;  // null only while being destroyed
    std::unique_ptr<TFont> Font;
    bool ComInitialized = false;

    // Framework flags: being edited in a visual designer; being loaded or read.
    bool DesignMode = false;
    bool Loading = false;

    // ---- events, in published order ----
    TEventParamEvent OnORVO;
    TNotifyEvent OnOpen, OnClose, OnRun, OnAbort;
    TParamEvent OnPlayStatus;
    TLeftRightEvent OnVolume;
    TSpeanaEvent OnSpeana;
    TParamEvent OnLyrics, OnCounter, OnPosition, OnIntTimer;
    TEventParamEvent OnButton;
    TMenuEvent OnMenu;
    TNotifyEvent OnBind, OnUnbind;
    TLeftRightEvent OnMove, OnMoved;
    TEventParamEvent OnStatus;
    TFlagEvent OnVisible, OnActive, OnMinimize, OnStayOnTop, OnRepeat, OnRandom, OnDisplayTime;
    TParamEvent OnChangeVolume, OnDisplayTrack, OnDisplayTitle;
    std::function<void(TORVO* Sender, TORVODeviceType Device)> OnDisplayDevice;
    TNotifyEvent OnDisplayCaption;
    TParamEvent OnDisplayTimer, OnOpenTrack, OnCloseTrack;
    TNotifyEvent OnSaveORVOini, OnDesign;
    TParamEvent OnClick, OnDblClick;
    TMenuEvent OnDisplayMenu;
    TEventParamEvent OnUser;
    TNotifyEvent OnLoadLyrics;
    TParamEvent OnChangePlayList;
    std::function<void(TORVO* Sender, TORVODisplayMode Mode)> OnChangeDisplayMode;

    // ---- discovery, binding and lifetime ----
    virtual void Loaded();
    platform::Handle GetORVOHandle();
    bool Execute(const std::string& Parameters);
    void Bind();
    void Unbind();
    void SetAutoLink(bool Value);
    std::int32_t GetVersion();
    bool CheckVersion(std::int32_t Version);
    bool IsPlugin();
    static void Register();

    // ---- message protocol ----
    virtual std::intptr_t WndProc(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    virtual void ORVOHandler(std::uint32_t WParam, std::int32_t LParam);
    void NotifyUser(std::uint32_t Event, std::int32_t Param);
    void NotifyOpen(std::intptr_t Param);
    void NotifyClose(std::intptr_t Param);
    void NotifyRun(std::int32_t Param);
    void NotifyAbort();
    void NotifyPlayStatus(std::int32_t Param);
    void NotifyVolume(std::int32_t Left, std::int32_t Right);
    void NotifySpeana(std::int32_t WParam, std::int32_t LParam);
    void NotifyLyrics(std::int32_t Param);
    void NotifyCounter(std::int32_t Param);
    void NotifyPosition(std::int32_t Param);
    void NotifyTimer(std::int32_t Param);
    void NotifyMove(std::int32_t Left, std::int32_t Right);
    void NotifyButton(std::int32_t Event, std::int32_t Param);
    void NotifyMenu(std::int32_t Id);
    void NotifyStatus(std::int32_t Kind, std::int32_t Value);
    void NotifyDeleteMenu(std::uint32_t Id);
    bool Post(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    std::int32_t Request(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam);
    void Close();
    void Abort();
    void ShutDown();

    // ---- event subscription ----
    std::uint32_t GetEvent();
    void SetEvent(std::uint32_t Mask);
    TORVOEventSet GetEvents();
    void SetEvents(TORVOEventSet Events);
    void NotifyEvent(platform::Handle Target, std::uint32_t WParam, std::int32_t LParam);

    // ---- remote-control properties and commands ----
    bool GetVisible();
    void SetVisible(bool Value);
    std::int32_t GetLeft();
    void SetLeft(std::int32_t Value);
    std::int32_t GetTop();
    void SetTop(std::int32_t Value);
    std::int32_t GetWidth();
    std::int32_t GetHeight();
    std::int32_t GetPlayStatus();
    std::int32_t GetTrack();
    void SetTrack(std::int32_t Value);
    std::int32_t GetPosition();
    void SetPosition(std::int32_t Value);
    std::int32_t GetLength();
    std::int32_t GetVolume();
    void SetVolume(std::int32_t Value);
    std::int32_t GetCounter();
    void SetCounter(std::int32_t Value);
    bool GetRepeat();
    void SetRepeat(bool Value);
    bool GetRandom();
    void SetRandom(bool Value);
    bool GetRemainTime();
    void SetRemainTime(bool Value);
    TORVODisplayMode GetDisplayMode();
    void SetDisplayMode(TORVODisplayMode Value);
    bool GetOnTimer();
    void SetOnTimer(bool Value);
    std::int32_t GetOnTime();
    void SetOnTime(std::int32_t Value);
    bool GetOffTimer();
    void SetOffTimer(bool Value);
    std::int32_t GetOffTime();
    void SetOffTime(std::int32_t Value);
    bool GetShutDownRecord();
    void SetShutDownRecord(bool Value);
    std::int32_t GetRecLevel();
    void SetRecLevel(std::int32_t Value);
    std::int32_t GetRate();
    void SetRate(std::int32_t Value);
    void Stop();
    void Pause();
    void Play();
    void FF(bool On);
    void Rewind(bool On);
    void Next();
    void Back();
    void Eject();
    void Seek(std::int32_t A, std::int32_t B);
    void ShowPlayList();
    void ShowProperty();
    void ShowMenu();
    void ShowToolMenu();
    void Click(std::int32_t Value);
    // Shift state bits: 0 shift, 1 alt, 2 ctrl, 3 left, 4 right, 5 middle button, 6 double click.
    void KeyDown(std::uint16_t Key, std::uint32_t Shift);
    void SaveORVOini();
    void GetVolumes(std::int32_t& First, std::int32_t& Second);
    void GetSpeana(std::int32_t* Values);  // room for ten values

    // ---- track information, playlist and lyrics ----
    std::int32_t GetTracks();
    TTrackInfo GetTrackInfo(std::int32_t Index);
    void SetTrackInfo(std::int32_t Index, const TTrackInfo& Info);
    void New();
    void Add(const std::string& Path);
    void Load(const std::string& Path);
    void Save(const std::string& Path);
    TLyrics* GetText();
    TLyrics* GetLyricsText(std::int32_t Index);

    // ---- menu items ----
    TORVOMenu* GetMenu(std::int32_t Id);
    TORVOMenu* RemoveMenu(TORVOMenu* Menu);
    void DeleteMenu(TORVOMenu* Menu);
    void ClearMenuList();
    // The live item with this id (a root or a listed item), or none; never creates one. Lets a
    // user of the items re-find them after a Bind or Unbind may have destroyed them.
    TORVOMenu* FindMenu(std::int32_t Id) const;

    // ---- host settings, tools and appearance ----
    std::string GetDesign();
    void SetDesign(const std::string& Value);
    bool ToolExists(const std::string& Name);
    void SetTool(const std::string& Name, const std::string& Value);
    void DeleteTool(const std::string& Name);
    std::uint32_t GetColor(std::int32_t Index);
    TFont* GetFont(std::int32_t Index);
    void GetFormImage(const std::string& Text);

    // ---- text across the player's interfaces ----
    // Texts in the process's ANSI code page, or in `codePage` when the caller knows it.
    std::u16string ToHost(const std::string& Text, unsigned CodePage = 0) const;
    std::string FromHost(const std::u16string& Text) const;

    // ---- component ownership: the items this component owns and destroys at the latest ----
    void InsertComponent(TORVOMenu* Item);
    void RemoveComponent(TORVOMenu* Item);

    void* Owner = nullptr;

  private:
    std::vector<TORVOMenu*> components_;
};
