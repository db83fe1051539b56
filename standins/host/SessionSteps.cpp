// Script steps that drive a session: notifications to the clients, the menu tree, and looks
// at files the plug-in writes.
#include <windows.h>

#include <algorithm>

#include "standins/host/Files.h"
#include "standins/host/MenuPicture.h"
#include "standins/host/ScriptRunner.h"
#include "standins/host/StepWords.h"
#include "standins/host/Text.h"

namespace host {
namespace {

std::vector<std::string> FileLines(const std::wstring& path, bool& ok) {
    std::vector<std::string> lines = ReadLines(path, ok);
    for (std::string& line : lines) line = AnsiToUtf8(line);
    return lines;
}

}  // namespace

ScriptRunner::Outcome ScriptRunner::SessionStep(const std::vector<std::string>& words,
                                                const std::string& line) {
    HostState& state = services_.state;
    Notifier& notifier = services_.notifier;
    const std::string& name = words[0];
    const std::string second = words.size() >= 2 ? words[1] : std::string();
    long long w = 0, l = 0;

    if (name == "notify" && (second == "post" || second == "send") && words.size() >= 4 &&
        Number(words[2], w) && Number(words[3], l) &&
        (words.size() == 4 || (words.size() == 5 && words[4] == "unmasked"))) {
        notifier.ToClients(static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(l),
                           second == "send", words.size() == 5);
    } else if (name == "notify" && second == "open" && words.size() == 2) {
        notifier.Open();
    } else if (name == "notify" && second == "close" && words.size() == 2) {
        notifier.Close();
    } else if (name == "menu" && second == "tree" && words.size() == 2) {
        for (const std::string& item : state.menu.Tree()) transcript_.Line("menu: " + item);
    } else if (name == "menu" && second == "click" && words.size() >= 3) {
        const Long id = state.menu.FindPath(FromUtf8(Rest(line, 2)));
        if (!id || !notifier.MenuClick(id)) {
            transcript_.Line("menu: FAIL no item " + Rest(line, 2));
            return Outcome::Failed;
        }
    } else if (name == "menu" && second == "picture" && words.size() == 5) {
        const Long id = state.menu.FindPath(FromUtf8(words[2]));
        if (!ShowMenuPicture(state.menu, id, state.mainWindow, ExpandedPath(words[3]),
                             ExpandedPath(words[4]), transcript_))
            return Outcome::Failed;
    } else if (name == "menu" && second == "display" && words.size() == 3 && Number(words[2], w)) {
        notifier.DisplayMenu(static_cast<Long>(w));
    } else if (name == "clients" && words.size() == 1) {
        for (const HostClient& client : state.clients)
            transcript_.Line(
                "client: window=" + Transcript::Hex(static_cast<std::uint32_t>(client.window)) +
                " mask=" + Transcript::Hex(static_cast<std::uint32_t>(client.mask)));
        transcript_.Line("clients: " + std::to_string(state.clients.size()) + " attached, " +
                         std::to_string(services_.server.References()) + " references held");
    } else if (name == "print-file" && words.size() >= 2) {
        bool ok = false;
        const std::vector<std::string> lines = FileLines(ExpandedPath(Rest(line)), ok);
        if (!ok) {
            transcript_.Line("file: missing " + Rest(line));
            return Outcome::Done;
        }
        for (const std::string& text : lines) transcript_.Line("file: " + text);
        transcript_.Line("file: end");
    } else if (name == "list" && (words.size() == 2 || words.size() == 3)) {
        const std::wstring pattern =
            ExpandedPath(words[1]) + L"\\" + (words.size() == 3 ? FromUtf8(words[2]) : L"*");
        std::vector<std::string> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring file = found.cFileName;
                if (file != L"." && file != L"..") names.push_back(ToUtf8(file));
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& file : names) transcript_.Line("list: " + file);
        transcript_.Line("list: " + std::to_string(names.size()) + " files");
    } else {
        return Outcome::NotMine;
    }
    return Outcome::Done;
}

}  // namespace host
