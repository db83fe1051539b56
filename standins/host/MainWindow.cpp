#include "standins/host/MainWindow.h"

namespace host {

MainWindow::MainWindow(Transcript& transcript, const std::wstring& className)
    : transcript_(transcript), className_(className) {
    orvoMessage_ = ::RegisterWindowMessageW(L"WM_ORVO");
    if (className_.empty()) return;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className_.c_str();
    ::RegisterClassW(&windowClass);
    window_ =
        ::CreateWindowExW(0, className_.c_str(), L"ORVO", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 320, 160, nullptr, nullptr, windowClass.hInstance, this);
    if (window_) ::ShowWindow(window_, SW_SHOWNOACTIVATE);
}

MainWindow::~MainWindow() {
    if (window_) ::DestroyWindow(window_);
}

void MainWindow::Pump(DWORD milliseconds, const std::function<void()>& idle) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (idle) idle();
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= milliseconds) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == self->orvoMessage_) {
        self->transcript_.Line("wm_orvo: wParam=" + Transcript::Hex(wParam) +
                               " lParam=" + Transcript::Hex(static_cast<std::uintptr_t>(lParam)));
        if (self->onOrvo_) self->onOrvo_(wParam, lParam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace host
