#include "ui/FormMain.h"

#include "platform/Mbcs.h"
#include "plugin/Decimal.h"
#include "plugin/HandlerScope.h"
#include "plugin/Messages.h"
#include "plugin/Vellacord.h"
#include "plugin/main.h"

using ui::FormControl;

namespace {

// "SMFK32.DLLがありません" and "RCPCV.DLLがありません": a converter refused to switch on.
const char kNoSmfKnife[] = "SMFK32.DLL\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
const char kNoRcpcv[] = "RCPCV.DLL\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";

const char kDefaultConfigExt[] = "dll";

}  // namespace

TFormMain::TFormMain(void* Owner, TVellacord& Plugin)
    : Owner(Owner), Plugin(Plugin), View_(ui::MakeFormMainView(*this, Plugin.BoxOwner())) {
    View_->SetCaption(std::string("Vellacord  Ver.") + FormatVersion(kPluginVersion));
    Fill();
}

// The window goes with the view; by then no handler of this dialog is running.
TFormMain::~TFormMain() = default;

std::string TFormMain::FormatVersion(std::int32_t Version) {
    const std::int64_t value = Version;
    const std::uint64_t magnitude = static_cast<std::uint64_t>(value < 0 ? -value : value);
    const std::uint64_t whole = magnitude / 1000;
    std::string fraction = std::to_string(magnitude % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    // "##" prints no digit for a zero integer part.
    return (value < 0 ? "-" : "") + (whole ? std::to_string(whole) : std::string()) + "." +
           fraction;
}

std::int32_t TFormMain::ParseCacheSize(const std::string& Text) {
    return ParseDecimal(Text).value_or(-1);
}

void TFormMain::Fill() {
    ui::IFormMainView& view = *View_;
    const TSMFKOptions& options = Plugin.SmfKnife->Options;
    view.SetChecked(FormControl::CheckBoxSMFKnife, Plugin.SmfKnife->Enabled);
    view.SetChecked(FormControl::CheckBoxRCPCV, Plugin.Rcpcv->Enabled);
    view.SetText(FormControl::EditCache, std::to_string(Plugin.CacheSize));
    view.SetText(FormControl::EditSMFKConfig, Plugin.DefaultConfig);
    // The converter's option words are 0 for "on" except Mac, which is -1 for "on".
    view.SetChecked(FormControl::CheckBoxSMFKCh10, options.Ch10 == 0);
    view.SetChecked(FormControl::CheckBoxSMFKBank, options.Bank == 0);
    view.SetChecked(FormControl::CheckBoxSMFKMac, options.Mac != 0);
    view.SetChecked(FormControl::CheckBoxSMFKCC64, options.CC64 == 0);
}

bool TFormMain::Visible() const {
    return View_->Visible();
}

void TFormMain::Show() {
    View_->Show();
}

// Each handler below is a handler of the plug-in (see HandlerScope): its scope comes first, and
// nothing may touch the dialog after it, since the plug-in may end as it closes. A click that
// arrives while a handler of this dialog waits in a box owned by the player does nothing.
void TFormMain::BtnOKClick() {
    HandlerScope scope;
    if (Busy_) return;
    const BusyFlag busy(Busy_);
    ui::IFormMainView& view = *View_;
    TSMFKnife& smfKnife = *Plugin.SmfKnife;
    TRCPCV& rcpcv = *Plugin.Rcpcv;

    const bool wantSmfKnife = view.GetChecked(FormControl::CheckBoxSMFKnife);
    smfKnife.SetEnabled(wantSmfKnife);
    const bool wantRcpcv = view.GetChecked(FormControl::CheckBoxRCPCV);
    rcpcv.SetEnabled(wantRcpcv);

    // Anything but a positive number leaves the cache size as it was.
    const std::int32_t cache = ParseCacheSize(view.GetText(FormControl::EditCache));
    if (cache >= 1) Plugin.CacheSize = cache;

    // Always, even unchanged: this re-arms the missing-configuration warning and empties the
    // cache before the next lookup, so files converted with other options are not reused.
    Plugin.SetDefaultConfig(view.GetText(FormControl::EditSMFKConfig));

    TSMFKOptions& options = smfKnife.Options;
    options.Ch10 = view.GetChecked(FormControl::CheckBoxSMFKCh10) ? 0 : -1;
    options.Bank = view.GetChecked(FormControl::CheckBoxSMFKBank) ? 0 : -1;
    options.Mac = view.GetChecked(FormControl::CheckBoxSMFKMac) ? -1 : 0;
    options.CC64 = view.GetChecked(FormControl::CheckBoxSMFKCC64) ? 0 : -1;

    // A song converted by both converters occupies two cache entries.
    if (smfKnife.Enabled && rcpcv.Enabled && Plugin.CacheSize < 2) Plugin.CacheSize = 2;

    auto& os = platform::Os();
    auto refused = [&](const char* text) {
        os.MessageBeep(platform::kMbIconExclamation);
        os.MessageBox(view.Window(), text, messages::kCaption,
                      platform::kMbOk | platform::kMbIconError, platform::kCodePage932);
    };
    if (wantSmfKnife != smfKnife.Enabled) refused(kNoSmfKnife);
    if (wantRcpcv != rcpcv.Enabled) refused(kNoRcpcv);

    Plugin.SaveSettings();
    Close();
}

void TFormMain::BtnCancelClick() {
    HandlerScope scope;
    if (!Busy_) Close();
}

void TFormMain::CloseRequest() {
    HandlerScope scope;
    if (!Busy_) Close();
}

void TFormMain::ButtonSMFKConfigClick() {
    HandlerScope scope;
    if (Busy_) return;
    const BusyFlag busy(Busy_);
    platform::OpenFileRequest request;
    request.owner = View_->Window();
    request.title = messages::kConfigDialogTitle;
    request.filter = messages::kConfigDialogFilter;
    request.textCodePage = platform::kCodePage932;
    request.filterIndex = 1;
    request.initialFile = View_->GetText(FormControl::EditSMFKConfig);
    request.defaultExt = kDefaultConfigExt;
    request.flags = platform::kOfnHideReadOnly | platform::kOfnPathMustExist |
                    platform::kOfnFileMustExist | platform::kOfnEnableSizing;
    if (const auto chosen = platform::Os().GetOpenFileName(request))
        View_->SetText(FormControl::EditSMFKConfig, *chosen);
}

void TFormMain::BtnHelpClick() {
    HandlerScope scope;
    platform::Os().ShellExecute(View_->Window(), mbcs::ChangeFileExt(PluginPath, ".chm"),
                                platform::kSwShowNormal);
}

void TFormMain::FormClose() {
    TORVO* link = Plugin.Link.get();
    if (link) link->NotifyEvent(link->MessageWindow, kClosedNotification, 0);
}

void TFormMain::Close() {
    // A hidden dialog has already asked for its destruction; asking twice could destroy the
    // fresh dialog that a later ShowProperties creates before the second request arrives.
    if (!View_->Visible()) return;
    FormClose();
    View_->Hide();
}

void InstallSettingsDialog() {
    SettingsDialogMaker() = [](void* Owner) -> std::unique_ptr<ISettingsDialog> {
        if (!ThePlugin) return nullptr;
        return std::make_unique<TFormMain>(Owner, *ThePlugin);
    };
}
