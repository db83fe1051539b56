// `TFormMain`: the plug-in's modeless settings dialog. It holds no settings of its own: it
// shows the live ones of the plug-in object and its converter bindings when created, and
// writes them all back on OK. Closing only hides it and asks the plug-in object, through a
// notification posted to the host link's own window, to destroy it once the dialog's handlers
// have returned.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/SettingsDialog.h"
#include "ui/FormMainView.h"

class TVellacord;

class TFormMain : public ISettingsDialog, private ui::IFormMainEvents {
  public:
    // Builds the window and fills it from `Plugin`'s settings. `Owner` is the host-supplied
    // component that owns the dialog's lifetime together with the plug-in object.
    TFormMain(void* Owner, TVellacord& Plugin);
    ~TFormMain() override;
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    void Show() override;
    bool Visible() const override;

    // ---- handlers ----
    void BtnOKClick() override;
    void BtnCancelClick() override;
    void ButtonSMFKConfigClick() override;
    void BtnHelpClick() override;
    void FormClose();

    // Closes the dialog: `FormClose`, then the window is hidden (never destroyed here).
    void Close();

    ui::IFormMainView& View() { return *View_; }

    void* const Owner;

    // The version number read as thousandths with the pattern "##.000": 6003 gives "6.003".
    static std::string FormatVersion(std::int32_t Version);
    // The cache-size field read as a decimal integer; -1 when it is not one.
    static std::int32_t ParseCacheSize(const std::string& Text);

    // Notification code posted to the host link's own window when the dialog closes; the plug-in
    // object sees it as user event 2.
    static constexpr std::uint32_t kClosedNotification = 0x80000002u;

  private:
    // Sets a flag for its lifetime.
    class BusyFlag {
      public:
        explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
        ~BusyFlag() { flag_ = false; }
        BusyFlag(const BusyFlag&) = delete;
        BusyFlag& operator=(const BusyFlag&) = delete;

      private:
        bool& flag_;
    };

    void CloseRequest() override;
    void Fill();

    bool Busy_ = false;  // a handler of this dialog waits in a box or file dialog

    TVellacord& Plugin;
    std::unique_ptr<ui::IFormMainView> View_;
};
