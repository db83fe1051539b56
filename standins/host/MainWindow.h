// The host's main window (class "TFormORVO", optionally "TOrvoForm" or none), the registered
// message "WM_ORVO", and the message pump the host runs between script steps.
#pragma once

#include <windows.h>

#include <string>

#include "standins/host/Transcript.h"

namespace host {

class MainWindow {
  public:
    // An empty class name: no window, only the registered message.
    MainWindow(Transcript& transcript, const std::wstring& className);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND Handle() const { return window_; }
    UINT OrvoMessage() const { return orvoMessage_; }

    // Dispatches the thread's messages for `milliseconds`.
    static void Pump(DWORD milliseconds);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Transcript& transcript_;
    std::wstring className_;
    HWND window_ = nullptr;
    UINT orvoMessage_ = 0;
};

}  // namespace host
