// The host's main window (class "TFormORVO", optionally "TOrvoForm" or none), the registered
// message "WM_ORVO", and the message pump the host runs between script steps.
#pragma once

#include <windows.h>

#include <functional>
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

    // Called with every "WM_ORVO" the main window receives, after the transcript line.
    void SetOrvoHandler(std::function<void(WPARAM, LPARAM)> handler) {
        onOrvo_ = std::move(handler);
    }

    // Dispatches the thread's messages for `milliseconds`; `idle` runs after every batch, so the
    // host can act on what the messages asked of it outside the senders' calls.
    static void Pump(DWORD milliseconds, const std::function<void()>& idle = {});

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Transcript& transcript_;
    std::wstring className_;
    HWND window_ = nullptr;
    UINT orvoMessage_ = 0;
    std::function<void(WPARAM, LPARAM)> onOrvo_;
};

}  // namespace host
