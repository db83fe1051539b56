// Answers every message box shown on the host's thread by itself, so no run ever waits for a
// person: a computer-based-training hook sees each box as it is activated, the transcript gets
// its caption, text (read back from the box as UTF-16), icon and owner, and the box is then
// clicked. Before the click it may run one action of the host's, as a real player's loop would
// dispatch one while the box is up.
#pragma once

#include <windows.h>

#include <functional>

#include "standins/host/Transcript.h"

namespace host {

class BoxAnswerer {
  public:
    explicit BoxAnswerer(Transcript& transcript);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // The button to press (IDOK, IDCANCEL, IDYES, ...); a box without it gets its default.
    void SetAnswer(int buttonId) { answer_ = buttonId; }
    // Run once, inside the next message box, before it is answered.
    void SetInsideNextBox(std::function<void()> action) { inside_ = std::move(action); }

  private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND box);

    Transcript& transcript_;
    HHOOK hook_ = nullptr;
    int answer_ = IDOK;
    std::function<void()> inside_;
};

}  // namespace host
