// Line-by-line parsing of the configuration file. The whole file is parsed before any song is
// touched, so a bad line fails the run before anything is written.
#include "knife/Config.h"

#include <cctype>
#include <cstdlib>
#include <vector>

namespace knife {

Config::Config() {
    for (int ch = 0; ch < 16; ++ch) {
        channelTo[ch] = static_cast<uint8_t>(ch);
        velocityPercent[ch] = 100;
        for (int p = 0; p < 128; ++p) program[ch][p] = static_cast<uint8_t>(p);
    }
}

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Splits one line at blanks and tabs, the comment cut off. The comment marks are below 0x40,
// so they are never the second byte of a code-page-932 character and can be cut at directly.
std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : line) {
        if (c == ';' || c == '#') break;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

class LineParser {
  public:
    LineParser(int line, std::vector<std::string> words) : line_(line), words_(std::move(words)) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw Error(Failure::BadConfig, "line " + std::to_string(line_) + ": " + what, line_);
    }

    void ExpectCount(size_t count, const char* usage) const {
        if (words_.size() != count) Fail(std::string("expected '") + usage + "'");
    }

    const std::string& Word(size_t index) const { return words_[index]; }

    int Number(size_t index, int low, int high, const char* what) const {
        const std::string& text = words_[index];
        size_t start = (text[0] == '+' || text[0] == '-') ? 1 : 0;
        bool digits = start < text.size() && text.size() - start <= 6;
        for (size_t i = start; digits && i < text.size(); ++i) {
            digits = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        }
        const int value = digits ? std::atoi(text.c_str()) : low - 1;
        if (value < low || value > high) {
            Fail(std::string(what) + " '" + text + "' is not a number from " + std::to_string(low) +
                 " to " + std::to_string(high));
        }
        return value;
    }

    // A channel 1..16 as a 0-based index.
    int Channel(size_t index) const { return Number(index, 1, 16, "channel") - 1; }

    // A channel or `all`: the channels it names, 0-based.
    std::vector<int> Channels(size_t index) const {
        if (Lower(words_[index]) == "all") {
            std::vector<int> all;
            for (int ch = 0; ch < 16; ++ch) all.push_back(ch);
            return all;
        }
        return {Channel(index)};
    }

  private:
    int line_;
    std::vector<std::string> words_;
};

void ParseLine(const LineParser& p, const std::string& directive, size_t count, Config& config) {
    if (directive == "target") {
        p.ExpectCount(2, "target gm|gs|xg|none");
        const std::string value = Lower(p.Word(1));
        if (value == "gm") {
            config.target = Target::GM;
        } else if (value == "gs") {
            config.target = Target::GS;
        } else if (value == "xg") {
            config.target = Target::XG;
        } else if (value == "none") {
            config.target = Target::None;
        } else {
            p.Fail("target '" + p.Word(1) + "' is not gm, gs, xg or none");
        }
    } else if (directive == "rhythm") {
        if (count < 2) p.Fail("expected 'rhythm CH...'");
        for (size_t i = 1; i < count; ++i) config.rhythm[p.Channel(i)] = true;
    } else if (directive == "channel") {
        p.ExpectCount(3, "channel FROM TO");
        config.channelTo[p.Channel(1)] = static_cast<uint8_t>(p.Channel(2));
    } else if (directive == "transpose") {
        p.ExpectCount(3, "transpose CH|all SEMITONES");
        const int semitones = p.Number(2, -127, 127, "semitones");
        for (int ch : p.Channels(1)) config.transpose[ch] = semitones;
    } else if (directive == "velocity") {
        p.ExpectCount(3, "velocity CH|all PERCENT");
        const int percent = p.Number(2, 1, 1000, "percent");
        for (int ch : p.Channels(1)) config.velocityPercent[ch] = percent;
    } else if (directive == "program") {
        p.ExpectCount(4, "program CH|all FROM TO");
        const int from = p.Number(2, 1, 128, "program") - 1;
        const int to = p.Number(3, 1, 128, "program") - 1;
        for (int ch : p.Channels(1)) config.program[ch][from] = static_cast<uint8_t>(to);
    } else if (directive == "drop") {
        p.ExpectCount(3, "drop sysex|aftertouch|pitchbend CH|all");
        const std::string what = Lower(p.Word(1));
        if (what == "sysex") {
            // A system exclusive message has no channel: only `all` says what happens.
            if (Lower(p.Word(2)) != "all") p.Fail("sysex messages have no channel: use 'all'");
            config.dropSysEx = true;
        } else if (what == "aftertouch") {
            for (int ch : p.Channels(2)) config.dropAftertouch[ch] = true;
        } else if (what == "pitchbend") {
            for (int ch : p.Channels(2)) config.dropPitchBend[ch] = true;
        } else {
            p.Fail("cannot drop '" + p.Word(1) + "': expected sysex, aftertouch or pitchbend");
        }
    } else {
        p.Fail("unknown directive '" + p.Word(0) + "'");
    }
}

}  // namespace

Config ParseConfig(const uint8_t* data, size_t size) {
    Config config;
    size_t pos = 0;
    // A UTF-8 byte order mark is skipped; code page 932 has none.
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) pos = 3;
    int lineNumber = 0;
    while (pos < size) {
        size_t end = pos;
        while (end < size && data[end] != '\n') ++end;
        ++lineNumber;
        std::vector<std::string> words =
            Words(std::string(reinterpret_cast<const char*>(data + pos), end - pos));
        pos = end + 1;
        if (words.empty()) continue;
        const std::string directive = Lower(words[0]);
        const size_t count = words.size();
        ParseLine(LineParser(lineNumber, std::move(words)), directive, count, config);
    }
    return config;
}

}  // namespace knife
