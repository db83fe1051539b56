// Answers every message box shown on the host's thread by itself, so no run ever waits for a
// person: a computer-based-training hook sees each box as it is activated, the transcript gets
// its caption, text (read back from the box as UTF-16) and icon, and the box is then clicked.
#pragma once

#include <windows.h>

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

  private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND box);

    Transcript& transcript_;
    HHOOK hook_ = nullptr;
    int answer_ = IDOK;
};

}  // namespace host
