// A stand-in for the settings dialog's window: keeps each control's text and tick, records
// what the dialog's logic does with them, and lets a test press buttons.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/FormMainView.h"

namespace fake {

class FakeFormMainView : public ui::IFormMainView {
  public:
    FakeFormMainView(ui::IFormMainEvents& events, platform::Handle owner);
    ~FakeFormMainView() override;

    // The view the dialog's logic made last; null once it is destroyed.
    static FakeFormMainView* Last();
    // How many fake views exist right now.
    static int Alive();

    ui::IFormMainEvents& events;
    const platform::Handle owner;    // the window that owns the dialog
    std::vector<std::string> calls;  // "SetChecked(CheckBoxSMFKMac, 1)", "Show()", ...
    std::string caption;
    std::map<ui::FormControl, std::string> texts;
    std::map<ui::FormControl, bool> ticks;
    bool visible = false;
    static constexpr platform::Handle kWindow = 0x4711;

    // The user's side.
    void Type(ui::FormControl control, const std::string& text) { texts[control] = text; }
    void Tick(ui::FormControl control, bool checked) { ticks[control] = checked; }

    void SetCaption(const std::string& text) override;
    void SetText(ui::FormControl control, const std::string& text) override;
    std::string GetText(ui::FormControl control) const override;
    void SetChecked(ui::FormControl control, bool checked) override;
    bool GetChecked(ui::FormControl control) const override;
    void Show() override;
    void Hide() override;
    bool Visible() const override { return visible; }
    platform::Handle Window() const override { return kWindow; }
};

}  // namespace fake
