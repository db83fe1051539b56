// TORVO: lifetime, discovery of the player, binding and release.
#include "hostlink/orvo.h"

#include <cstdio>

#include "hostlink/checked_read.h"
#include "hostlink/event_slot.h"
#include "platform/Mbcs.h"

namespace {

using Orvo_tlb::Long;

const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ORVO.EXE";
const char kUserKey[] = "Software\\QUARN\\ORVO";
const char kMessageName[] = "WM_ORVO";
const char kMainWindowClass[] = "TFormORVO";
const char kOtherMainWindowClass[] = "TOrvoForm";
constexpr std::uintptr_t kNewClient = 0x401;
constexpr Long kMinimumHostVersion = 6000;
constexpr Long kClientInterfaceVersion = 4300;

// "このバージョンのORVOには対応していません" "\n" "対応版をお使いください" (code page 932)
const char kVersionRefused[] =
    "\x82\xb1\x82\xcc\x83o\x81[\x83W\x83\x87\x83\x93\x82\xccORVO\x82\xc9\x82\xcd\x91\xce\x89\x9e"
    "\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1"
    "\n"
    "\x91\xce\x89\x9e\x94\xc5\x82\xf0\x82\xa8\x8eg\x82\xa2\x82\xad\x82\xbe\x82\xb3\x82\xa2";
const char kCaption[] = "ORVO";

// Window handles cross the player's interfaces as 32-bit values.
Long ToLong(platform::Handle window) {
    return static_cast<Long>(static_cast<std::uint32_t>(window));
}
platform::Handle ToHandle(Long value) {
    return static_cast<platform::Handle>(static_cast<std::uint32_t>(value));
}

// "<what> Error[<status in capital hex>]"
std::string StatusText(const char* what, platform::HResult status) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(status));
    return std::string(what) + " Error[" + hex + "]";
}

void ShowBindFailure(const std::string& text) {
    hostlink::ReportError(text);
}

// The default value of a registry key; empty when the key is missing or the value unreadable.
std::string RegistryPath(platform::RegRoot root, const char* key) {
    return platform::Os().ReadRegistryDefault(root, key).value_or(std::string());
}

}  // namespace

TORVO::TORVO(void* Owner) : Owner(Owner) {
    auto& os = platform::Os();
    ExePath.clear();
    AutoLink = true;
    DisplayText = std::make_unique<TLyrics>();
    LyricsList = std::make_unique<TLyricsList>(this);
    PlayList = std::make_unique<TPlayList>(this);
    MenuList = std::make_unique<std::vector<TORVOMenu*>>();
    for (int i = 0; i < 4; ++i) RootMenus[i] = new TORVOMenu(this, kRootMenuIds[i]);
    Font = std::make_unique<TFont>();
    EventMask = 0xEFFFF81F;
    MessageId = os.RegisterWindowMessage(kMessageName);

    ExePath = RegistryPath(platform::RegRoot::LocalMachine, kAppPathsKey);
    if (ExePath.empty()) ExePath = RegistryPath(platform::RegRoot::CurrentUser, kUserKey);

    // The system dispatches into this procedure: nothing may be thrown back into it, whatever
    // an overriding WndProc does.
    MessageWindow = os.CreateMessageWindow(
        [this](std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) -> std::intptr_t {
            try {
                return WndProc(Msg, WParam, LParam);
            } catch (...) {
                return 0;
            }
        });

    const platform::HResult hr = os.CoInitialize();
    ComInitialized = hr == platform::kSOk || hr == platform::kSFalse;

    if (!DesignMode) {
        GetORVOHandle();
        os.PostMessage(platform::kHwndBroadcast, MessageId, kNewClient,
                       static_cast<std::intptr_t>(MessageWindow));
    }
}

TORVO::~TORVO() {
    auto& os = platform::Os();
    try {
        Unbind();
    } catch (...) {
        // A handler of OnUnbind failed; the component goes all the same.
    }
    if (ComInitialized) os.CoUninitialize();
    if (MessageWindow) os.DestroyWindow(MessageWindow);
    MessageWindow = 0;
    Font.reset();
    DisplayText.reset();
    LyricsList.reset();
    PlayList.reset();
    for (TORVOMenu*& root : RootMenus) {
        delete root;
        root = nullptr;
    }
    MenuList.reset();  // the container alone; its items are still owned below
    ExePath.clear();
    // Every item still owned: those once listed in MenuList, unbound by now, so no player call.
    while (!components_.empty()) delete components_.back();
}

void TORVO::Loaded() {
    Loading = false;
    if (!Bound && AutoLink && GetORVOHandle()) Bind();
}

platform::Handle TORVO::GetORVOHandle() {
    auto& os = platform::Os();
    HostWnd = os.FindWindow(kMainWindowClass);
    if (!HostWnd) HostWnd = os.FindWindow(kOtherMainWindowClass);
    return HostWnd;
}

bool TORVO::Execute(const std::string& Parameters) {
    if (ExePath.empty()) return false;
    auto& os = platform::Os();
    platform::ProcessStart start;
    start.applicationName = ExePath;
    if (!Parameters.empty()) start.commandLine = ExePath + " " + Parameters;
    const std::string dir = mbcs::ExtractFileDir(ExePath);
    if (!dir.empty()) start.currentDir = dir;
    const platform::Handle process = os.CreateProcess(start);
    if (!process) return false;
    const bool idle = os.WaitForInputIdle(process, platform::kInfinite) == 0;
    os.CloseHandle(process);
    return idle;
}

void TORVO::Bind() {
    if (Bound || DesignMode) return;
    if (!GetORVOHandle() && !Execute(std::string())) return;

    auto& os = platform::Os();
    try {
        ComRef<Orvo_tlb::IUnknownIntf> server;
        platform::HResult hr =
            os.CoCreateInstance(Orvo_tlb::CLSID_ORVOControl, platform::kClsCtxServer,
                                Orvo_tlb::IID_IUnknown, server.Out());
        if (platform::Failed(hr) || !server) {
            ShowBindFailure(StatusText("ORVOControl Create Instance", hr));
            return;
        }

        ComRef<Orvo_tlb::IORVOControl> control;
        ComRef<Orvo_tlb::IORVOPlayList> playList;
        ComRef<Orvo_tlb::IORVOLyrics> lyrics;
        ComRef<Orvo_tlb::IORVOMenu> menu;
        const struct {
            const platform::Guid& iid;
            void** out;
            const char* name;
        } queries[] = {{Orvo_tlb::IID_IORVOControl, control.Out(), "IORVOControl Interface"},
                       {Orvo_tlb::IID_IORVOPlayList, playList.Out(), "IORVOPlayList Interface"},
                       {Orvo_tlb::IID_IORVOLyrics, lyrics.Out(), "IORVOLyrics Interface"},
                       {Orvo_tlb::IID_IORVOMenu, menu.Out(), "IORVOMenu Interface"}};
        for (const auto& q : queries) {
            hr = server->QueryInterface(q.iid, q.out);
            if (platform::Failed(hr) || !*q.out) {
                ShowBindFailure(StatusText(q.name, hr));
                return;  // the interfaces obtained so far go with the locals
            }
        }
        ControlIntf = std::move(control);
        PlayListIntf = std::move(playList);
        LyricsIntf = std::move(lyrics);
        MenuIntf = std::move(menu);

        Long handle = 0;
        hostlink::CheckRead(ControlIntf->get_Handle(&handle), "this->get_Handle((long*)&Value)");
        HostWnd = ToHandle(handle);
        ClearMenuList();
        Bound = true;

        if (GetVersion() < kMinimumHostVersion || !CheckVersion(kClientInterfaceVersion)) {
            Unbind();
            os.MessageBeep(platform::kMbIconExclamation);
            os.MessageBox(0, kVersionRefused, kCaption, platform::kMbOk | platform::kMbIconWarning,
                          platform::kCodePage932);
            return;
        }

        Long mode = 0;
        Long runValue = 0;
        ControlIntf->Attach(ToLong(os.ThisModule()), static_cast<Long>(os.CurrentProcessId()),
                            ToLong(MessageWindow), &mode, &runValue);
        PluginMode = static_cast<std::uint8_t>(mode & 0xFF);
        SetEvent(EventMask);
        hostlink::Fire(OnBind, this);
    } catch (const EOleError& e) {
        hostlink::ReportError(e.what());
        // Stopped half-way: a component that counts as bound but whose player was never checked
        // or attached would send commands nobody answers; let go of the player instead.
        if (Bound) {
            Unbind();
        } else {
            ControlIntf.Reset();
            PlayListIntf.Reset();
            LyricsIntf.Reset();
            MenuIntf.Reset();
        }
    }
}

void TORVO::Unbind() {
    if (!Bound) return;
    RemoveMenu(nullptr);  // still bound: an item this client added goes from the player too

    const std::uint32_t mask = EventMask;
    if (ControlIntf) ControlIntf->Detach(ToLong(MessageWindow));
    EventMask = mask;

    Bound = false;
    ControlIntf.Reset();
    PlayListIntf.Reset();
    LyricsIntf.Reset();
    MenuIntf.Reset();
    ClearMenuList();
    hostlink::Fire(OnUnbind, this);
}

void TORVO::SetAutoLink(bool Value) {
    AutoLink = Value;
    if (Value && !Bound && !DesignMode && !Loading && GetORVOHandle()) Bind();
}

std::int32_t TORVO::GetVersion() {
    if (!Bound || !ControlIntf) return 0;
    Long value = 0;
    hostlink::CheckRead(ControlIntf->get_Version(&value), "this->get_Version((long*)&Value)");
    return value;
}

bool TORVO::CheckVersion(std::int32_t Version) {
    return Bound && ControlIntf && ControlIntf->CheckVersion(Version) == platform::kSOk;
}

bool TORVO::IsPlugin() {
    if (PluginMode != 0) return PluginMode != 1;
    for (const std::string& arg : platform::Os().CommandLineArguments())
        if (mbcs::SameText(arg, "/PLUGIN")) return true;
    return false;
}

void TORVO::Register() {
    // Registration for visual designers (group "QUARN") has no meaning at run time.
}

std::u16string TORVO::ToHost(const std::string& Text, unsigned CodePage) const {
    auto& os = platform::Os();
    return os.ToUtf16(Text, CodePage ? CodePage : os.AnsiCodePage());
}

std::string TORVO::FromHost(const std::u16string& Text) const {
    auto& os = platform::Os();
    return os.FromUtf16(Text, os.AnsiCodePage());
}
