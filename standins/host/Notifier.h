// The player's side of "WM_ORVO": notifications posted or sent to the clients' windows, as the
// player does, with a transcript line for each. A client gets a notification only while its
// mask holds the notification's code, unless the step asks for it regardless.
#pragma once

#include <windows.h>

#include <cstdint>

#include "standins/host/HostState.h"
#include "standins/host/Transcript.h"

namespace host {

class Notifier {
  public:
    Notifier(HostState& state, Transcript& transcript, UINT message)
        : state_(state), transcript_(transcript), message_(message) {}

    // The code of a notification: wParam below 0x10000, else wParam without its low 16 bits.
    static std::uint32_t Code(std::uint32_t wParam) {
        return wParam < 0x10000 ? wParam : wParam & 0xFFFF0000u;
    }

    // To every attached client (whose mask holds the code, unless `unmasked`).
    void ToClients(std::uint32_t wParam, std::uint32_t lParam, bool send, bool unmasked);
    void ToWindow(Long window, std::uint32_t wParam, std::uint32_t lParam, bool send);

    // Open (0x1, lParam = the main window) to every client window still alive, attached or not.
    void Open();
    // Close (0x2) to every attached client.
    void Close();
    // Menu (0x800, lParam = id) to the window that added the item.
    bool MenuClick(Long id);
    // Status 22 (wParam 0x40000016, lParam = the menu about to be shown) to every client.
    void DisplayMenu(Long id);

  private:
    HostState& state_;
    Transcript& transcript_;
    UINT message_;
};

}  // namespace host
