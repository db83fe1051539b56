// Script steps that set what the automation server answers.
#include <windows.h>

#include "standins/host/Registry.h"
#include "standins/host/ScriptRunner.h"
#include "standins/host/StepWords.h"
#include "standins/host/Text.h"

namespace host {
namespace {

Long ToLong(long long value) {
    return static_cast<Long>(static_cast<std::uint32_t>(value));
}

}  // namespace

ScriptRunner::Outcome ScriptRunner::StateStep(const std::vector<std::string>& words,
                                              const std::string& line) {
    HostState& state = services_.state;
    const std::string& name = words[0];
    std::vector<long long> n(words.size(), 0);
    std::vector<bool> isNumber(words.size(), false);
    for (std::size_t i = 1; i < words.size(); ++i) isNumber[i] = Number(words[i], n[i]);
    const auto numbers = [&](std::size_t from, std::size_t to) {
        if (words.size() <= to) return false;
        for (std::size_t i = from; i <= to; ++i)
            if (!isNumber[i]) return false;
        return true;
    };

    if (name == "server-version" && numbers(1, 1)) {
        state.version = ToLong(n[1]);
    } else if (name == "client-version" && numbers(1, 1)) {
        state.acceptedClientVersion = ToLong(n[1]);
    } else if (name == "attach-mode" && numbers(1, 1)) {
        state.attachMode = ToLong(n[1]);
    } else if (name == "run-value" && numbers(1, 1)) {
        state.runValue = ToLong(n[1]);
    } else if (name == "property" && numbers(2, 2)) {
        state.properties[words[1]] = ToLong(n[2]);
    } else if (name == "fail-read" && words.size() == 3 && words[2] == "off") {
        state.failingReads.erase(words[1]);
    } else if (name == "fail-read" && numbers(2, 2)) {
        state.failingReads[words[1]] = static_cast<HRESULT>(ToLong(n[2]));
    } else if (name == "design") {
        state.design = FromUtf8(Rest(line));
    } else if (name == "track" && words.size() >= 2 &&
               (words.size() == 2 || numbers(2, words.size() - 1))) {
        HostTrack track;
        track.texts[2] = FromUtf8(words[1]);
        if (words.size() >= 3) track.values[3] = ToLong(n[2]);
        if (words.size() >= 4) track.values[4] = ToLong(n[3]);
        state.tracks.push_back(track);
    } else if (name == "track-text" && numbers(1, 2) && n[2] >= 0 && n[2] < 5) {
        if (n[1] < 0 || n[1] >= static_cast<long long>(state.tracks.size())) {
            transcript_.Line("track-text: FAIL no such track");
            return Outcome::Failed;
        }
        state.tracks[static_cast<std::size_t>(n[1])].texts[n[2]] = FromUtf8(Rest(line, 3));
    } else if (name == "clear-tracks") {
        state.tracks.clear();
        state.selectedTrack = -1;
    } else if (name == "select" && numbers(1, 1)) {
        state.selectedTrack = ToLong(n[1]);
    } else if (name == "lyric" && numbers(1, 1)) {
        HostTextRecord record;
        record.number = ToLong(n[1]);
        record.text = FromUtf8(Rest(line, 2));
        state.lyrics.push_back(record);
    } else if (name == "display-text") {
        state.displayText.text = FromUtf8(Rest(line));
    } else if (name == "color" && numbers(1, 2)) {
        state.colors[ToLong(n[1])] = ToLong(n[2]);
    } else if (name == "font" && words.size() == 7 && numbers(3, 6) && isNumber[1]) {
        state.fonts[ToLong(n[1])] =
            HostFont{FromUtf8(words[2]), ToLong(n[3]), ToLong(n[4]), ToLong(n[5]), ToLong(n[6])};
    } else if (name == "host-ini" && words.size() == 4) {
        const std::wstring exe = ExecutablePath();
        const std::wstring ini = exe.substr(0, exe.find_last_of(L'.')) + L".ini";
        if (!::WritePrivateProfileStringW(FromUtf8(words[1]).c_str(), FromUtf8(words[2]).c_str(),
                                          FromUtf8(words[3]).c_str(), ini.c_str())) {
            transcript_.Line("host-ini: FAIL error " + std::to_string(::GetLastError()));
            return Outcome::Failed;
        }
    } else {
        return Outcome::NotMine;
    }
    return Outcome::Done;
}

}  // namespace host
