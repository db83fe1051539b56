// Drives TSMFKnife and TRCPCV through the real Win32 platform against the stand-in converter
// libraries placed beside this program, and checks what the libraries saw from their logs.
// Prints one "ok"/"FAIL" line per check and leaves the converted files for an outside SMF reader.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "RecordingPlatform.h"
#include "WinHelpers.h"
#include "converters/Texts.h"
#include "converters/rcpcv.h"
#include "converters/smfknife.h"

namespace {

int failures = 0;
std::string dir;

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

// Compares line lists and shows both on a mismatch.
void CheckLines(const std::vector<std::string>& got, const std::vector<std::string>& want,
                const std::string& what) {
    Check(got == want, what);
    if (got == want) return;
    for (const auto& line : want) std::printf("    want: %s\n", line.c_str());
    for (const auto& line : got) std::printf("    got:  %s\n", line.c_str());
}

std::string Hex(std::uintptr_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
    return buffer;
}

std::string Q(const std::string& path) {
    return "\"" + path + "\"";
}

bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

void Remove(const std::string& path) {
    std::remove(path.c_str());
}

void WriteFile(const std::string& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out << std::string(size, 'x');
}

// Both libraries log to their own file; each scenario starts with empty logs and its steering.
struct Library {
    std::string prefix;
    std::string log;

    void Reset(const std::string& steering) const {
        Remove(log);
        wintest::SetEnv(prefix + "_LOG", log);
        wintest::SetEnv(prefix + "_STEER", steering.empty() ? "none" : steering);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

Library smfk{"VLC_SMFK32", ""};
Library rcpcv{"VLC_RCPCV", ""};

void RcpcvChecks(RecordingPlatform& os) {
    const std::string song = dir + "song.rcp";
    const std::string big = dir + "big.rcp";
    const std::string out = dir + "out_rcpcv.mid";
    WriteFile(song, 2000);
    WriteFile(big, 1024 * 1024);

    {
        rcpcv.Reset("");
        TRCPCV binding;
        binding.SetEnabled(true);
        Check(binding.Enabled && !binding.Loaded(), "rcpcv: switching on probes and frees");
        CheckLines(rcpcv.Lines(), {"attach", "detach"}, "rcpcv: probe loads and unloads once");

        rcpcv.Reset("");
        std::vector<std::int32_t> seen;
        binding.OnProgress = [&](TRCPCV* sender, std::int32_t progress, bool&) {
            if (sender == &binding) seen.push_back(progress);
        };
        binding.Convert(song, out);
        const std::string user = Hex(reinterpret_cast<std::uintptr_t>(&binding));
        const std::string callback =
            Hex(reinterpret_cast<std::uintptr_t>(&TRCPCV::ProgressCallback));
        CheckLines(
            rcpcv.Lines(),
            {"attach",
             "rcpcvConvertFile(" + Q(song) + ", 2, callback=" + callback + ", 0, " + user + ")",
             "callback(0, " + user + ") -> 1", "callback(40, " + user + ") -> 1",
             "callback(100, " + user + ") -> 1", "rcpcvConvertFile -> 0x5A000001",
             "rcpcvSaveSMF(0x5A000001, " + Q(out) + ") -> 0", "rcpcvDeleteObject(0x5A000001) -> 1"},
            "rcpcv: convert, save, delete with one handle; user value is the binding");
        Check(seen == std::vector<std::int32_t>{0, 40, 100},
              "rcpcv: progress 0, 40, 100 reaches OnProgress");
        Check(binding.ConvertedObject == 0x5A000001 && binding.LastResult == 0 && Exists(out),
              "rcpcv: object kept, result 0, file written");
        Check(binding.Loaded(), "rcpcv: library stays loaded after converting");

        binding.Convert(big, dir + "out_big.mid");
        Check(Exists(dir + "out_big.mid") && binding.LastResult == 0,
              "rcpcv: 1 MB source converted");

        binding.OnProgress = [](TRCPCV*, std::int32_t progress, bool& stop) {
            stop = progress == 40;
        };
        rcpcv.Reset("");
        Remove(dir + "stopped.mid");
        binding.Convert(song, dir + "stopped.mid");
        const auto lines = rcpcv.Lines();
        Check(lines.size() == 4 && lines[2] == "callback(40, " + user + ") -> 0" &&
                  lines[3] == "rcpcvConvertFile -> 0x00000000" && !Exists(dir + "stopped.mid"),
              "rcpcv: Stop answers 0 and nothing is saved");

        binding.SetEnabled(false);
        Check(!binding.Loaded() && rcpcv.Lines().back() == "detach", "rcpcv: switching off frees");
    }

    struct Steered {
        const char* steering;
        bool enabled;
        bool saves;
        std::int32_t lastResult;
        bool written;
    };
    const Steered cases[] = {{"underscore-only", true, true, 0, true},
                             {"missing=rcpcvDeleteObject", true, true, 0, true},
                             {"no-object", true, false, 0, false},
                             {"result=5", true, true, 5, false},
                             {"write-nothing", true, true, 0, false},
                             {"missing=rcpcvSaveSMF", false, false, 0, false},
                             {"missing=rcpcvConvertFile", false, false, 0, false}};
    for (const Steered& c : cases) {
        const std::string name = std::string("rcpcv [") + c.steering + "]: ";
        rcpcv.Reset(c.steering);
        os.boxes.clear();
        Remove(out);
        TRCPCV binding;
        binding.SetEnabled(true);
        binding.Convert(song, out);
        const auto lines = rcpcv.Lines();
        bool saved = false;
        for (const auto& line : lines) saved |= line.rfind("rcpcvSaveSMF(", 0) == 0;
        Check(binding.Enabled == c.enabled, name + "enabled as expected");
        Check(saved == c.saves && binding.LastResult == c.lastResult && Exists(out) == c.written,
              name + "save, result and file as expected");
        Check(os.boxes.size() == (c.enabled ? 0u : 1u), name + "error box only when unusable");
        if (!c.enabled && !os.boxes.empty())
            Check(os.boxes[0].text == converters::texts::kRcpcvUnusable &&
                      os.boxes[0].caption == "Vellacord" && os.boxes[0].type == 0x10 &&
                      os.boxes[0].codePage == 932,
                  name + "box text, caption and type");
    }

    {
        // Only in the current folder (where the user last browsed): never loaded, since only
        // full paths of the program's, the plug-in's and the system folder are tried.
        rcpcv.Reset("");
        os.boxes.clear();
        os.loads.clear();
        const std::string browsed = dir + "browsed\\";
        Check(wintest::MakeFolder(browsed) &&
                  wintest::RenameFile(dir + "rcpcv.dll", browsed + "rcpcv.dll"),
              "rcpcv: library moved into the current folder");
        const std::string before = os.GetCurrentDirectory();
        os.SetCurrentDirectory(browsed);
        TRCPCV binding;
        binding.SetEnabled(true);
        Check(!binding.Enabled && os.boxes.empty() && rcpcv.Lines().empty(),
              "rcpcv: a library only in the current folder is not loaded; off, silently");
        CheckLines(os.loads, {dir + "rcpcv.dll", os.SystemDirectory() + "\\rcpcv.dll"},
                   "rcpcv: tried by full path beside the program, then in the system folder");
        os.SetCurrentDirectory(before);
        wintest::RenameFile(browsed + "rcpcv.dll", dir + "rcpcv.dll");
    }
}

void SmfKnifeChecks(RecordingPlatform& os) {
    const std::string in = dir + "in.mid";
    const std::string config = dir + "k.cfg";
    const std::string out = dir + "out_smfk.mid";
    WriteFile(in, 5000);
    WriteFile(config, 10);

    {
        smfk.Reset("");
        TSMFKnife binding(0x1234);
        binding.SetEnabled(true);
        Check(binding.Enabled && !binding.Loaded(), "smfk: switching on probes and frees");
        CheckLines(smfk.Lines(), {"attach", "detach"}, "smfk: probe loads and unloads once");

        smfk.Reset("");
        binding.ConfigFile = config;
        binding.Options.Ch10 = 1;
        binding.Options.Bank = 2;
        binding.Options.CC64 = 3;
        binding.Options.Mac = 4;
        std::vector<std::int32_t> seen;
        binding.OnProgress = [&](TSMFKnife* sender, std::int32_t progress, bool&) {
            if (sender == &binding) seen.push_back(progress);
        };
        const std::int32_t result = binding.Convert(in, out);
        const auto address = reinterpret_cast<std::uintptr_t>(&binding);
        char owner[16];
        std::snprintf(owner, sizeof owner, "%02x%02x%02x%02x", unsigned(address & 0xFF),
                      unsigned(address >> 8 & 0xFF), unsigned(address >> 16 & 0xFF),
                      unsigned(address >> 24 & 0xFF));
        const std::string user = Hex(address);
        CheckLines(smfk.Lines(),
                   {"attach",
                    "SmfkConvert(0x00001234, " + Q(in) + ", " + Q(out) + ", " + Q(config) +
                        ", 0, record=18000000 01000000 02000000 03000000 04000000 " + owner +
                        ", callback=" +
                        Hex(reinterpret_cast<std::uintptr_t>(&TSMFKnife::ProgressCallback)) + ")",
                    "callback(0, " + user + ") -> 1", "callback(50, " + user + ") -> 1",
                    "callback(100, " + user + ") -> 1", "SmfkConvert -> 0"},
                   "smfk: arguments and the 24-byte record as the library received them");
        Check(result == 0 && binding.LastResult == 0 && Exists(out),
              "smfk: result 0, file written");
        Check(seen == std::vector<std::int32_t>{0, 50, 100}, "smfk: progress reaches OnProgress");
        Check(binding.Loaded(), "smfk: library stays loaded after converting");

        binding.OnProgress = [](TSMFKnife*, std::int32_t, bool& stop) { stop = true; };
        smfk.Reset("");
        Check(binding.Convert(in, dir + "stopped.mid") == 1 && smfk.Lines().size() == 3 &&
                  smfk.Lines()[1] == "callback(0, " + user + ") -> 0",
              "smfk: Stop answers 0 to the library");
        Check(TSMFKnife::ProgressCallback(5, 0xDEADBEEF) == 1 &&
                  TSMFKnife::ProgressCallback(5, 0) == 1,
              "smfk: foreign user values answered with 1");

        binding.ConfigFile.clear();
        smfk.Reset("");
        Check(binding.Convert(in, out) == 0 && smfk.Lines().empty(),
              "smfk: empty configuration, no call");

        binding.SetEnabled(false);
        Check(!binding.Loaded() && smfk.Lines().back() == "detach", "smfk: switching off frees");
    }

    struct Steered {
        const char* steering;
        bool enabled;
        std::int32_t result;
        std::int32_t lastResult;
        bool written;
    };
    const Steered cases[] = {
        {"underscore-only", true, 0, 0, true}, {"missing=GetSmfkVersion", true, 0, 0, true},
        {"result=-1", true, 0, 0, true},       {"result=3", true, 3, 3, false},
        {"write-nothing", true, 0, 0, false},  {"missing=SmfkConvert", false, -1, 0, false}};
    for (const Steered& c : cases) {
        const std::string name = std::string("smfk [") + c.steering + "]: ";
        smfk.Reset("");
        os.boxes.clear();
        Remove(out);
        TSMFKnife binding(0);
        binding.ConfigFile = config;
        binding.SetEnabled(true);  // usable while probed
        smfk.Reset(c.steering);    // steering takes effect at the next load
        const std::int32_t result = binding.Convert(in, out);
        Check(binding.Enabled == c.enabled, name + "enabled as expected");
        Check(result == c.result && binding.LastResult == c.lastResult && Exists(out) == c.written,
              name + "result, LastResult and file as expected");
        Check(os.boxes.size() == (c.enabled ? 0u : 1u), name + "error box only when unusable");
        if (!c.enabled && !os.boxes.empty())
            Check(os.boxes[0].text == converters::texts::kSmfKnifeUnusable &&
                      os.boxes[0].caption == "Vellacord" && os.boxes[0].type == 0x10,
                  name + "box text, caption and type");
        if (std::string(c.steering) == "result=-1")
            wintest::RenameFile(out, dir + "out_minus1.mid");
    }

    {
        smfk.Reset("");
        os.boxes.clear();
        TSMFKnife binding(0);
        binding.ConfigFile = config;
        binding.SetEnabled(true);
        wintest::RenameFile(dir + "smfk32.dll", dir + "smfk32.away");
        Check(binding.Convert(in, out) == -1 && binding.LastResult == 0 && !binding.Enabled &&
                  os.boxes.empty(),
              "smfk: library gone before the first conversion gives -1, LastResult 0, no box");
        wintest::RenameFile(dir + "smfk32.away", dir + "smfk32.dll");
    }
    Check(os.beeps == 0, "no beeps from either binding");
}

}  // namespace

int main() {
    dir = wintest::ExeDirectory();
    smfk.log = dir + "smfk32.log";
    rcpcv.log = dir + "rcpcv.log";
    RecordingPlatform os;
    platform::SetPlatform(&os);
    RcpcvChecks(os);
    SmfKnifeChecks(os);
    // The RCPCV output was overwritten by the steered runs: leave one fresh file for the reader.
    {
        rcpcv.Reset("");
        TRCPCV binding;
        binding.SetEnabled(true);
        binding.Convert(dir + "song.rcp", dir + "out_rcpcv.mid");
    }
    {
        smfk.Reset("");
        TSMFKnife binding(0);
        binding.SetEnabled(true);
        binding.ConfigFile = dir + "k.cfg";
        binding.Convert(dir + "in.mid", dir + "out_smfk.mid");
    }
    platform::SetPlatform(nullptr);
    std::printf("%d failed in the program\n", failures);
    return failures == 0 ? 0 : 1;
}
