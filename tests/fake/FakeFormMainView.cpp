#include "tests/fake/FakeFormMainView.h"

namespace fake {

namespace {
FakeFormMainView* last = nullptr;
int alive = 0;

std::string Name(ui::FormControl control) {
    return ui::LayoutOf(control).name;
}
}  // namespace

FakeFormMainView::FakeFormMainView(ui::IFormMainEvents& events, platform::Handle owner)
    : events(events), owner(owner) {
    last = this;
    ++alive;
}

FakeFormMainView::~FakeFormMainView() {
    if (last == this) last = nullptr;
    --alive;
}

FakeFormMainView* FakeFormMainView::Last() {
    return last;
}
int FakeFormMainView::Alive() {
    return alive;
}

void FakeFormMainView::SetCaption(const std::string& text) {
    calls.push_back("SetCaption(" + text + ")");
    caption = text;
}

void FakeFormMainView::SetText(ui::FormControl control, const std::string& text) {
    calls.push_back("SetText(" + Name(control) + ", " + text + ")");
    texts[control] = text;
}

std::string FakeFormMainView::GetText(ui::FormControl control) const {
    const auto found = texts.find(control);
    return found == texts.end() ? std::string() : found->second;
}

void FakeFormMainView::SetChecked(ui::FormControl control, bool checked) {
    calls.push_back("SetChecked(" + Name(control) + ", " + (checked ? "1" : "0") + ")");
    ticks[control] = checked;
}

bool FakeFormMainView::GetChecked(ui::FormControl control) const {
    const auto found = ticks.find(control);
    return found != ticks.end() && found->second;
}

void FakeFormMainView::Show() {
    calls.push_back("Show()");
    visible = true;
}

void FakeFormMainView::Hide() {
    calls.push_back("Hide()");
    visible = false;
}

}  // namespace fake

// The unit tests' realization of the dialog's window.
std::unique_ptr<ui::IFormMainView> ui::MakeFormMainView(ui::IFormMainEvents& events,
                                                        platform::Handle owner) {
    return std::make_unique<fake::FakeFormMainView>(events, owner);
}
