#include "standins/host/Notifier.h"

#include <vector>

namespace host {
namespace {

constexpr std::uint32_t kOpen = 0x1, kClose = 0x2, kMenu = 0x800, kStatusDisplayMenu = 0x40000016;

std::string Hex(std::uint32_t value) {
    return Transcript::Hex(value);
}

}  // namespace

void Notifier::ToWindow(Long window, std::uint32_t wParam, std::uint32_t lParam, bool send) {
    const HWND target = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    std::string outcome;
    if (send) {
        DWORD_PTR result = 0;
        const LRESULT sent = ::SendMessageTimeoutW(target, message_, wParam,
                                                   static_cast<LPARAM>(static_cast<Long>(lParam)),
                                                   SMTO_NORMAL, 5000, &result);
        outcome = sent ? "sent, result " + std::to_string(result) : "not sent";
    } else {
        const BOOL posted = ::PostMessageW(target, message_, wParam,
                                           static_cast<LPARAM>(static_cast<Long>(lParam)));
        outcome = posted ? "posted" : "not posted";
    }
    transcript_.Line("notify: " + Hex(wParam) + " " + Hex(lParam) + " to " +
                     Hex(static_cast<std::uint32_t>(window)) + " " + outcome);
}

void Notifier::ToClients(std::uint32_t wParam, std::uint32_t lParam, bool send, bool unmasked) {
    const std::vector<HostClient> clients = state_.clients;  // a handler may detach
    if (clients.empty()) transcript_.Line("notify: " + Hex(wParam) + " no client attached");
    for (const HostClient& client : clients) {
        if (!unmasked && (static_cast<std::uint32_t>(client.mask) & Code(wParam)) == 0) {
            transcript_.Line("notify: " + Hex(wParam) + " masked out for " +
                             Hex(static_cast<std::uint32_t>(client.window)));
            continue;
        }
        ToWindow(client.window, wParam, lParam, send);
    }
}

void Notifier::Open() {
    const auto main =
        static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(state_.mainWindow));
    bool any = false;
    for (const Long window : state_.knownWindows) {
        if (!::IsWindow(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)))) continue;
        ToWindow(window, kOpen, main, false);
        any = true;
    }
    if (!any) transcript_.Line("notify: open, no client window known");
}

void Notifier::Close() {
    ToClients(kClose, 0, false, false);
}

bool Notifier::MenuClick(Long id) {
    const HostMenu::Item* item = state_.menu.Find(id);
    if (!item) return false;
    ToWindow(item->window, kMenu, static_cast<std::uint32_t>(id), false);
    return true;
}

void Notifier::DisplayMenu(Long id) {
    ToClients(kStatusDisplayMenu, static_cast<std::uint32_t>(id), false, false);
}

}  // namespace host
