// Benchmark steps: what the plug-in costs the player, each figure measured against a baseline
// taken in the same process and interleaved with it (even rounds measure the plug-in first,
// odd rounds the baseline first), so that a noisy machine shifts both alike. The transcript is
// muted while anything is timed. Results are medians, in nanoseconds.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "standins/host/ScriptRunner.h"
#include "standins/host/StepWords.h"
#include "standins/host/Text.h"

namespace host {
namespace {

std::int64_t Ticks() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Nanoseconds(std::int64_t ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    return static_cast<double>(ticks) * 1e9 / frequency;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string Ns(double value) {
    return Fixed(value, 0) + "ns";
}

// Ticks the loaded stand-in converters report as spent inside their own calls (less the time
// in the plug-in's progress callbacks); a converter not loaded counts nothing.
class ConverterClock {
  public:
    // Whether a loaded converter keeps the count (the stand-ins do, the real libraries do not).
    bool Counting() const {
        for (const char* name : {"rcpcv.dll", "smfk32.dll"})
            if (const HMODULE module = ::GetModuleHandleA(name))
                if (::GetProcAddress(module, "standinBusyTicks")) return true;
        return false;
    }

    std::int64_t Now() const {
        std::int64_t sum = 0;
        for (const char* name : {"rcpcv.dll", "smfk32.dll"}) {
            const HMODULE module = ::GetModuleHandleA(name);
            if (!module) continue;
            using BusyFn = std::int64_t(__stdcall*)();
            const auto busy = reinterpret_cast<BusyFn>(
                reinterpret_cast<void*>(::GetProcAddress(module, "standinBusyTicks")));
            if (busy) sum += busy();
        }
        return sum;
    }
};

// Runs `first` and `second` in the order the round asks for.
void Interleaved(int round, const std::function<void()>& first,
                 const std::function<void()>& second) {
    if (round % 2 == 0) {
        first();
        second();
    } else {
        second();
        first();
    }
}

// Committed private memory of the process. Wine leaves PrivateUsage at 0, so where it is 0 the
// same figure is added up from the address space: every committed region of private type.
std::uint64_t PrivateBytes(std::string& source) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(::GetCurrentProcess(),
                               reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters) &&
        counters.PrivateUsage != 0) {
        source = "PrivateUsage";
        return counters.PrivateUsage;
    }
    source = "VirtualQuery";
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* address = nullptr;
         ::VirtualQuery(address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

// Beside the host program: the plug-in and its settings file, the converter libraries and the
// host's own INI file, where the benchmark stages them.
std::string HostFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string Setting(const std::string& file, const char* section, const std::string& key) {
    char value[2048] = {};
    ::GetPrivateProfileStringA(section, key.c_str(), "", value, sizeof value, file.c_str());
    return value;
}

// Loads a converter library by its full path, looks its entries up as a binding does (the plain
// name, then the underscore form where the plain one is missing) and frees it: the probe a start
// makes of each switched-on converter.
template <std::size_t N>
void Probe(const std::string& path, const char* const (&names)[N]) {
    const HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return;
    for (const char* name : names)
        if (!::GetProcAddress(module, name))
            ::GetProcAddress(module, (std::string("_") + name).c_str());
    ::FreeLibrary(module);
}

// The plug-in's settings file: its library's path with ".ini" for the extension.
std::string SettingsFileOf(const std::string& library) {
    return library.substr(0, library.find_last_of('.')) + ".ini";
}

LRESULT CALLBACK QuietWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(window, message, wParam, lParam);
}

// What a start is required to do, made directly by the host: the instance mutex; the
// automation link (its window message, the player's program path from the registry, a hidden
// window of its own that hears broadcasts, the player's window, the announcement to every
// window, the server and its four interfaces, the server's handle and version checks, Attach,
// SetEvent, the eleven menu items); the three "mci extensions" keys of WIN.INI; the eight
// settings of the plug-in's INI file; the probe of both converter libraries; the work folder
// from the host's INI file. The ticks exclude taking it all down again.
std::int64_t RequiredStart(const std::string& pluginIni) {
    using namespace Orvo_tlb;
    static const wchar_t* const captions[11] = {
        L"Vellacord", L"-",           L"Vellacord", L"SMF Knife",
        L"Default",   L"Config File", L"Other...",  L"Properties...",
        L"Help",      L"-",           L"Exit"};
    // Parent of each item: a root menu, or the index of an item added before it.
    static const long parents[11] = {0x4000, 0x9000, 0x9000, 2, 3, 3, 3, 2, 2, 2, 2};
    static const char* const rcpcvEntries[] = {"rcpcvConvertFile",
                                               "rcpcvConvertFileFromBuffer",
                                               "rcpcvDeleteObject",
                                               "rcpcvGetSMF",
                                               "rcpcvSaveSMF",
                                               "rcpcvGetSMFLength",
                                               "rcpcvGetOriginalFileType",
                                               "rcpcvGetVersionMajor",
                                               "rcpcvGetVersionMinor",
                                               "rcpcvGetCopyright"};
    static const char* const smfkEntries[] = {"GetSmfkVersion", "SmfkConvert"};
    static const char* const settingKeys[] = {"Cache",    "RCPCV",    "SMFKnife", "SMFKConfig",
                                              "SMFKCh10", "SMFKBank", "SMFKMac",  "SMFKCC64"};
    static const std::string folder = HostFolder();
    // Registered once, as the plug-in's own class outlives its windows.
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = QuietWindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VellacordBenchBaseline";
        return ::RegisterClassA(&wc) != 0;
    }();
    if (!registered) return -1;

    const std::int64_t start = Ticks();
    const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Vellacord benchmark baseline");
    const HRESULT com = ::CoInitialize(nullptr);
    const UINT message = ::RegisterWindowMessageA("WM_ORVO");
    char exePath[MAX_PATH] = {};
    LONG size = sizeof exePath;
    ::RegQueryValueA(HKEY_LOCAL_MACHINE,
                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ORVO.EXE", exePath,
                     &size);
    const HWND window = ::CreateWindowExA(0, "VellacordBenchBaseline", "", WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    const HWND player = ::FindWindowA("TFormORVO", nullptr);
    ::PostMessageA(HWND_BROADCAST, message, 0x401, reinterpret_cast<LPARAM>(window));
    const Long self = static_cast<Long>(reinterpret_cast<std::uintptr_t>(window));

    IUnknownIntf* unknown = nullptr;
    ::CoCreateInstance(reinterpret_cast<const CLSID&>(CLSID_ORVOControl), nullptr, 0x15,
                       reinterpret_cast<const IID&>(Orvo_tlb::IID_IUnknown),
                       reinterpret_cast<void**>(&unknown));
    if (!unknown || !window || !player) return -1;
    IORVOControl* control = nullptr;
    IORVOPlayList* playList = nullptr;
    IORVOLyrics* lyrics = nullptr;
    IORVOMenu* menu = nullptr;
    unknown->QueryInterface(IID_IORVOControl, reinterpret_cast<void**>(&control));
    unknown->QueryInterface(IID_IORVOPlayList, reinterpret_cast<void**>(&playList));
    unknown->QueryInterface(IID_IORVOLyrics, reinterpret_cast<void**>(&lyrics));
    unknown->QueryInterface(IID_IORVOMenu, reinterpret_cast<void**>(&menu));
    if (!control || !playList || !lyrics || !menu) return -1;
    Long handle = 0, version = 0, mode = 0, run = 0;
    control->get_Handle(&handle);
    control->get_Version(&version);
    control->CheckVersion(4300);
    control->Attach(
        static_cast<Long>(reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(nullptr))),
        static_cast<Long>(::GetCurrentProcessId()), self, &mode, &run);
    control->SetEvent(self, static_cast<Long>(0xEFFFF81F));

    for (const char* key : {"rcp", "r36", "g36"}) Setting("WIN.INI", "mci extensions", key);
    for (const char* key : settingKeys) Setting(pluginIni, "Vellacord", key);
    Probe(folder + "rcpcv.dll", rcpcvEntries);
    Probe(folder + "smfk32.dll", smfkEntries);

    Long ids[11] = {};
    for (int i = 0; i < 11; ++i) {
        const BSTR caption = ::SysAllocString(captions[i]);
        const Long parent = parents[i] >= 0x4000 ? parents[i] : ids[parents[i]];
        menu->AddItem(self, parent, reinterpret_cast<platform::Bstr>(caption), &ids[i]);
        ::SysFreeString(caption);
    }
    Setting(folder + "ORVO.ini", "ORVO", "WorkDir");
    const std::int64_t ticks = Ticks() - start;

    for (int i = 10; i >= 0; --i) menu->DeleteItem(ids[i]);
    control->Detach(self);
    menu->Release();
    lyrics->Release();
    playList->Release();
    control->Release();
    unknown->Release();
    ::DestroyWindow(window);
    if (SUCCEEDED(com)) ::CoUninitialize();
    ::CloseHandle(mutex);
    return ticks;
}

// The converter libraries called directly, as the plug-in's bindings call them for one miss of
// a chained song: convert, save, delete, then post-process. The libraries are the ones beside
// the host, which the plug-in has loaded as well.
class DirectConverters {
  public:
    DirectConverters() : rcpcv_(::LoadLibraryA("rcpcv.dll")), smfk_(::LoadLibraryA("smfk32.dll")) {
        convert_ = Find<ConvertFn>(rcpcv_, "rcpcvConvertFile");
        save_ = Find<SaveFn>(rcpcv_, "rcpcvSaveSMF");
        delete_ = Find<DeleteFn>(rcpcv_, "rcpcvDeleteObject");
        knife_ = Find<KnifeFn>(smfk_, "SmfkConvert");
    }
    ~DirectConverters() {
        if (rcpcv_) ::FreeLibrary(rcpcv_);
        if (smfk_) ::FreeLibrary(smfk_);
    }
    DirectConverters(const DirectConverters&) = delete;
    DirectConverters& operator=(const DirectConverters&) = delete;

    bool Usable() const { return convert_ && save_ && delete_ && knife_; }

    // `middle` and `dest` are written; false when a library reports a failure.
    bool Convert(const std::string& song, const std::string& config, const std::string& middle,
                 const std::string& dest) const {
        const std::uint32_t object = convert_(song.c_str(), 2, &GoOn, 0, 0);
        if (object == 0) return false;
        const std::int32_t saved = save_(object, middle.c_str());
        delete_(object);
        // The plug-in's default option words: Ch10, Bank and CC64 off, Mac on.
        const std::int32_t options[6] = {24, -1, -1, -1, -1, 0};
        return saved == 0 &&
               knife_(0, middle.c_str(), dest.c_str(), config.c_str(), 0, options, &Progress) == 0;
    }

  private:
    using RecordFn = std::int32_t(__stdcall*)(const void*);
    using ProgressFn = std::int32_t(__stdcall*)(std::int32_t, std::uint32_t);
    using ConvertFn = std::uint32_t(__stdcall*)(const char*, std::int32_t, RecordFn, std::int32_t,
                                                std::uint32_t);
    using SaveFn = std::int32_t(__stdcall*)(std::uint32_t, const char*);
    using DeleteFn = std::int32_t(__stdcall*)(std::uint32_t);
    using KnifeFn = std::int32_t(__stdcall*)(std::uintptr_t, const char*, const char*, const char*,
                                             std::int32_t, const std::int32_t*, ProgressFn);

    static std::int32_t __stdcall GoOn(const void*) { return 1; }
    static std::int32_t __stdcall Progress(std::int32_t, std::uint32_t) { return 1; }

    template <class Fn>
    static Fn Find(HMODULE module, const char* name) {
        return module
                   ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
                   : nullptr;
    }

    HMODULE rcpcv_;
    HMODULE smfk_;
    ConvertFn convert_ = nullptr;
    SaveFn save_ = nullptr;
    DeleteFn delete_ = nullptr;
    KnifeFn knife_ = nullptr;
};

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a miss of a chained song is required to do, made directly by the host: make room by
// deleting the two files the same song's play wrote a round before (a full cache evicts two
// entries a play), read the song's own configuration from the plug-in's settings file, call
// both converters, and check that each wrote its file.
class RequiredMiss {
  public:
    RequiredMiss(std::string pluginIni, std::string config, std::string folder)
        : pluginIni_(std::move(pluginIni)),
          config_(std::move(config)),
          folder_(std::move(folder)) {}
    RequiredMiss(const RequiredMiss&) = delete;
    RequiredMiss& operator=(const RequiredMiss&) = delete;
    ~RequiredMiss() {
        for (const std::string& file : written_) ::DeleteFileA(file.c_str());
    }

    bool Usable() const { return converters_.Usable(); }

    // False when a library reports a failure or a file was not written.
    bool Play(std::size_t index, const std::string& song) {
        const std::string middle = folder_ + "direct" + std::to_string(index) + "-middle.mid";
        const std::string dest = folder_ + "direct" + std::to_string(index) + ".mid";
        for (const std::string* file : {&middle, &dest})
            if (Exists(*file)) ::DeleteFileA(file->c_str());
        const std::string own = Setting(pluginIni_, "SMFKnife", song);
        const bool ok = converters_.Convert(song, own.empty() ? config_ : own, middle, dest) &&
                        Exists(middle) && Exists(dest);
        written_.push_back(middle);
        written_.push_back(dest);
        return ok;
    }

  private:
    DirectConverters converters_;
    std::string pluginIni_;
    std::string config_;
    std::string folder_;
    std::vector<std::string> written_;
};

}  // namespace

ScriptRunner::Outcome ScriptRunner::BenchStep(const std::vector<std::string>& words) {
    const std::string& name = words[0];
    long long rounds = 0, batch = 0;
    if (name.compare(0, 6, "bench-") != 0) return Outcome::NotMine;
    if (!RequireLoaded(name)) return Outcome::Failed;
    const ConverterClock converters;

    if (name == "bench-hit" && words.size() == 4 && Number(words[2], rounds) &&
        Number(words[3], batch) && rounds > 0 && batch > 0) {
        const std::string song = ToAnsi(FromUtf8(words[1]));
        const char* first = library_.openPlayFile(song.c_str());
        const std::string converted = first ? first : "";
        if (converted.empty() || converted == song) {
            transcript_.Line("bench: FAIL hit " + words[1] + " is not converted");
            return Outcome::Failed;
        }
        const std::int64_t convertersBefore = converters.Now();
        std::vector<double> opens, attributes, ratios;
        bool same = true;
        transcript_.Mute(true);
        for (int round = 0; round < rounds; ++round) {
            double open = 0, attribute = 0;
            Interleaved(
                round,
                [&] {
                    const char* result = nullptr;
                    const std::int64_t start = Ticks();
                    for (int i = 0; i < batch; ++i) result = library_.openPlayFile(song.c_str());
                    open = Nanoseconds(Ticks() - start) / batch;
                    same = same && result && converted == result;
                },
                [&] {
                    DWORD sink = 0;
                    const std::int64_t start = Ticks();
                    for (int i = 0; i < batch; ++i) sink ^= ::GetFileAttributesA(converted.c_str());
                    attribute = Nanoseconds(Ticks() - start) / batch;
                    if (sink == 0x12345678) transcript_.Line("");  // keeps the calls
                });
            opens.push_back(open);
            attributes.push_back(attribute);
            ratios.push_back(open / attribute);
        }
        transcript_.Mute(false);
        if (!same || converters.Now() != convertersBefore) {
            transcript_.Line("bench: FAIL hit " + words[1] + " converted again");
            return Outcome::Failed;
        }
        transcript_.Line("bench: hit " + words[1] + " open=" + Ns(Median(opens)) + " attributes=" +
                         Ns(Median(attributes)) + " ratio=" + Fixed(Median(ratios), 2) +
                         " rounds=" + std::to_string(rounds) + "x" + std::to_string(batch));
        return Outcome::Done;
    }

    if (name == "bench-miss" && words.size() >= 5 && Number(words[2], rounds) && rounds > 0) {
        const std::string& label = words[1];
        const std::string config = ToAnsi(FromUtf8(words[3]));
        std::vector<std::string> songs;
        for (std::size_t i = 4; i < words.size(); ++i) songs.push_back(ToAnsi(FromUtf8(words[i])));
        const std::string folder = config.substr(0, config.find_last_of('\\') + 1);
        RequiredMiss direct(SettingsFileOf(library_.FullPath()), config, folder);
        if (!direct.Usable()) {
            transcript_.Line("bench: FAIL miss " + label +
                             ": rcpcv.dll or smfk32.dll beside the host lacks a function");
            return Outcome::Failed;
        }
        std::vector<double> plays, directs, ratios;
        bool ok = true;
        transcript_.Mute(true);
        // Round 0 loads the libraries into the plug-in and fills the cache; it is not counted.
        for (int round = 0; round <= rounds && ok; ++round) {
            for (std::size_t i = 0; i < songs.size(); ++i) {
                const std::string& song = songs[i];
                double play = 0, required = 0;
                Interleaved(
                    round + static_cast<int>(i),
                    [&] {
                        const std::int64_t before = converters.Now();
                        const std::int64_t start = Ticks();
                        const char* result = library_.openPlayFile(song.c_str());
                        play = Nanoseconds(Ticks() - start);
                        // A hit costs microseconds and no converter call: every play must convert.
                        ok = ok && result && song != result;
                        if (converters.Now() == before && converters.Counting()) ok = false;
                    },
                    [&] {
                        const std::int64_t start = Ticks();
                        ok = direct.Play(i, song) && ok;
                        required = Nanoseconds(Ticks() - start);
                    });
                if (round == 0) continue;
                plays.push_back(play);
                directs.push_back(required);
                ratios.push_back(play / required);
            }
            Pump(0);
        }
        transcript_.Mute(false);
        if (!ok || Median(plays) < Median(directs) / 2) {
            transcript_.Line(
                "bench: FAIL miss " + label + ": a play or a direct call did not convert" +
                " (play=" + Ns(Median(plays)) + " direct=" + Ns(Median(directs)) + ")");
            return Outcome::Failed;
        }
        transcript_.Line("bench: miss " + label + " play=" + Ns(Median(plays)) +
                         " direct=" + Ns(Median(directs)) + " ratio=" + Fixed(Median(ratios), 3) +
                         " plays=" + std::to_string(ratios.size()));
        return Outcome::Done;
    }

    if (name == "bench-start" && words.size() == 2 && Number(words[1], rounds) && rounds > 0) {
        const std::string pluginIni = SettingsFileOf(library_.FullPath());
        std::vector<double> starts, directs, ratios;
        bool ok = true;
        transcript_.Mute(true);
        // Round 0 warms both up and is not counted.
        for (int round = 0; round <= rounds && ok; ++round) {
            double plugin = 0, required = 0;
            Interleaved(
                round,
                [&] {
                    const std::int64_t start = Ticks();
                    const std::intptr_t result = library_.run(&host_);
                    plugin = Nanoseconds(Ticks() - start);
                    ok = ok && result != 0 && result != settings_.decline;
                    library_.abort();
                    Pump(20);
                },
                [&] {
                    const std::int64_t ticks = RequiredStart(pluginIni);
                    ok = ok && ticks >= 0;
                    required = Nanoseconds(ticks);
                    Pump(20);
                });
            if (round == 0) continue;
            starts.push_back(plugin);
            directs.push_back(required);
            ratios.push_back(plugin / required);
        }
        transcript_.Mute(false);
        if (!ok) {
            transcript_.Line("bench: FAIL start: a start was refused or the direct start failed");
            return Outcome::Failed;
        }
        transcript_.Line("bench: start run=" + Ns(Median(starts)) +
                         " direct=" + Ns(Median(directs)) + " ratio=" + Fixed(Median(ratios), 3) +
                         " rounds=" + std::to_string(rounds));
        return Outcome::Done;
    }

    long long plays = 0, firstPlays = 0, count = 0;
    if (name == "bench-memory" && words.size() == 6 && Number(words[1], plays) &&
        Number(words[2], firstPlays) && Number(words[4], count) && count > 0 && plays > 0 &&
        firstPlays > 0 && firstPlays <= plays) {
        const std::string prefix = ToAnsi(FromUtf8(words[3]));
        const std::string suffix = ToAnsi(FromUtf8(words[5]));
        std::uint64_t atFirst = 0;
        long long converted = 0;
        std::string samples, source;
        transcript_.Mute(true);
        for (long long play = 1; play <= plays; ++play) {
            const std::string song = prefix + std::to_string((play - 1) % count) + suffix;
            const char* result = library_.openPlayFile(song.c_str());
            if (result && song != result) ++converted;
            // The player's loop runs between two plays.
            if (play % 100 == 0) Pump(0);
            if (play == firstPlays) atFirst = PrivateBytes(source);
            if (play % (plays / 4 > 0 ? plays / 4 : 1) == 0)
                samples += " " + std::to_string(play) + ":" + std::to_string(PrivateBytes(source));
        }
        const std::uint64_t atEnd = PrivateBytes(source);
        transcript_.Mute(false);
        if (converted != plays || atFirst == 0) {
            transcript_.Line("bench: FAIL memory: " + std::to_string(plays - converted) +
                             " plays not converted, private bytes " + std::to_string(atFirst));
            return Outcome::Failed;
        }
        const double growth =
            100.0 * (static_cast<double>(atEnd) - static_cast<double>(atFirst)) / atFirst;
        transcript_.Line("bench: memory first=" + std::to_string(atFirst) +
                         " end=" + std::to_string(atEnd) + " growth=" + Fixed(growth, 2) +
                         "% plays=" + std::to_string(plays) + " songs=" + std::to_string(count) +
                         " from=" + source + " samples=" + samples.substr(1));
        return Outcome::Done;
    }
    transcript_.Line("bench: FAIL cannot read " + name);
    return Outcome::Failed;
}

}  // namespace host
