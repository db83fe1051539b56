// Loads the real rcpcv.dll and smfk32.dll placed beside this program and checks their binary
// contract as a caller sees it: both export names of every function, progress records and
// stop, result codes, handle validation, and files written whole or not at all. Works in a
// folder whose name holds 0x5C trail bytes when the code page is 932. Prints one "ok"/"FAIL"
// line per check and copies the files it made to "out_*.mid" beside itself for an outside
// reader.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "dll/rcpcv/rcpcv.h"
#include "dll/smfk32/smfk32.h"

namespace {

int failures = 0;
std::string here, work;  // with trailing backslashes

void Check(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
}

std::string Read(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, n);
        std::fclose(file);
    }
    return bytes;
}

void Write(const std::string& path, const std::string& bytes) {
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Files in the work folder: a failed write must leave no temporary file behind.
int FileCount() {
    int count = 0;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((work + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// Looks `name` up under both export names; both must exist and be the same function.
template <class Fn>
Fn Both(HMODULE module, const char* name) {
    const FARPROC plain = GetProcAddress(module, name);
    const FARPROC underscore = GetProcAddress(module, ("_" + std::string(name)).c_str());
    Check(plain && plain == underscore, std::string(name) + " and _" + name + " are exported");
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(plain));
}

// A read-only file holding "old": replacing it must fail and keep it as it was.
std::string Locked(const char* name) {
    const std::string path = work + name;
    Write(path, "old");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    return path;
}

struct RcpcvCalls {
    uint32_t(RCPCV_CALL* convert)(const char*, int32_t, RcpcvProgressCallback, int32_t, uint32_t);
    uint32_t(RCPCV_CALL* fromBuffer)(const void*, uint32_t, int32_t, RcpcvProgressCallback,
                                     uint32_t);
    int32_t(RCPCV_CALL* remove)(uint32_t);
    const void*(RCPCV_CALL* smf)(uint32_t);
    int32_t(RCPCV_CALL* save)(uint32_t, const char*);
    uint32_t(RCPCV_CALL* length)(uint32_t);
    int32_t(RCPCV_CALL* type)(uint32_t);
};

std::vector<RcpcvProgress> records;
int stopAt = -1;  // the percentage at or after which the callback answers 0
int32_t RCPCV_CALL RecordProgress(const RcpcvProgress* record) {
    records.push_back(*record);
    return stopAt >= 0 && record->percent >= stopAt ? 0 : 1;
}

bool Climbs(const std::vector<int>& percents) {
    for (std::size_t i = 1; i < percents.size(); ++i)
        if (percents[i] < percents[i - 1]) return false;
    return percents.size() >= 2 && percents.front() == 0 && percents.back() == 100;
}

// Two callers converting at once, each many times: every object is its own and holds exactly
// the bytes a lone conversion of its song gives.
void TwoAtOnce(const RcpcvCalls& c, const std::string& song, const std::string& other) {
    const auto alone = [&](const std::string& path) {
        const uint32_t handle = c.convert(path.c_str(), 2, nullptr, 0, 0);
        std::string bytes(static_cast<const char*>(c.smf(handle)), c.length(handle));
        c.remove(handle);
        return bytes;
    };
    const std::string expected[2] = {alone(song), alone(other)};
    constexpr int kRounds = 20;
    std::vector<uint32_t> handles[2];
    bool same[2] = {true, true};
    const auto convertMany = [&](int which) {
        for (int round = 0; round < kRounds; ++round) {
            const uint32_t handle =
                c.convert((which == 0 ? song : other).c_str(), 2, nullptr, 0, 0);
            const auto* bytes = static_cast<const char*>(c.smf(handle));
            same[which] =
                same[which] && bytes && std::string(bytes, c.length(handle)) == expected[which];
            handles[which].push_back(handle);
        }
    };
    std::thread first(convertMany, 0), second(convertMany, 1);
    first.join();
    second.join();
    std::vector<uint32_t> all = handles[0];
    all.insert(all.end(), handles[1].begin(), handles[1].end());
    std::sort(all.begin(), all.end());
    const bool distinct = std::adjacent_find(all.begin(), all.end()) == all.end() &&
                          std::find(all.begin(), all.end(), 0u) == all.end();
    int removed = 0;
    for (const uint32_t handle : all) removed += c.remove(handle);
    Check(same[0] && same[1] && distinct && removed == 2 * kRounds,
          "rcpcv: two threads converting at once each get their own objects with their songs' "
          "very bytes");
}

void RcpcvChecks(HMODULE module) {
    RcpcvCalls c{};
    c.convert = Both<decltype(c.convert)>(module, "rcpcvConvertFile");
    c.fromBuffer = Both<decltype(c.fromBuffer)>(module, "rcpcvConvertFileFromBuffer");
    c.remove = Both<decltype(c.remove)>(module, "rcpcvDeleteObject");
    c.smf = Both<decltype(c.smf)>(module, "rcpcvGetSMF");
    c.save = Both<decltype(c.save)>(module, "rcpcvSaveSMF");
    c.length = Both<decltype(c.length)>(module, "rcpcvGetSMFLength");
    c.type = Both<decltype(c.type)>(module, "rcpcvGetOriginalFileType");
    Both<void*>(module, "rcpcvGetVersionMajor");
    Both<void*>(module, "rcpcvGetVersionMinor");
    Both<void*>(module, "rcpcvGetCopyright");
    if (!c.convert || !c.remove || !c.smf || !c.save || !c.length || !c.type || !c.fromBuffer)
        return;

    const std::string song = work + "song.rcp", other = work + "other.rcp";
    records.clear();
    const uint32_t first = c.convert(song.c_str(), 2, &RecordProgress, 0, 0xC0FFEE01);
    std::vector<int> percents;
    bool recordsRight = !records.empty();
    for (const RcpcvProgress& r : records) {
        percents.push_back(r.percent);
        recordsRight = recordsRight && r.size == 16 && r.user == 0xC0FFEE01;
    }
    Check(first != 0, "rcpcv: a song converts into an object");
    Check(recordsRight && Climbs(percents),
          "rcpcv: progress records carry the user value at 12 and climb from 0 to 100 at 8");
    const uint32_t size = c.length(first);
    const auto* bytes = static_cast<const char*>(c.smf(first));
    Check(size > 14 && bytes && std::memcmp(bytes, "MThd", 4) == 0 &&
              c.type(first) == RCPCV_TYPE_RCP2,
          "rcpcv: the object holds a Standard MIDI File of an RCP 2.x song");
    const int before = FileCount();
    Check(c.save(first, (work + "saved.mid").c_str()) == RCPCV_SAVED && bytes &&
              Read(work + "saved.mid") == std::string(bytes, size) && FileCount() == before + 1,
          "rcpcv: saving writes exactly the object's bytes, and nothing else");

    const uint32_t second = c.convert(other.c_str(), 2, nullptr, 0, 0);
    Check(second != 0 && second != first && c.remove(first) == 1,
          "rcpcv: a second object, then the first deleted");
    Check(c.save(second, (work + "second.mid").c_str()) == RCPCV_SAVED,
          "rcpcv: the second object is saved after the first was deleted");
    bool refused = true;
    for (const uint32_t stale : {first, 0u, 0xDEADBEEFu, second + 1}) {
        refused = refused && c.save(stale, (work + "stale.mid").c_str()) == RCPCV_BAD_HANDLE &&
                  !c.smf(stale) && c.length(stale) == 0 && c.type(stale) == 0 &&
                  c.remove(stale) == 0;
    }
    Check(refused && !Exists(work + "stale.mid"),
          "rcpcv: deleted, zero and foreign handles are refused by every call");

    // Whole or nothing: a folder that is not there, a read-only file, no path at all.
    const std::string locked = Locked("locked.mid");
    const int files = FileCount();
    Check(c.save(second, (work + "missing\\x.mid").c_str()) == RCPCV_NOT_WRITABLE &&
              c.save(second, locked.c_str()) == RCPCV_NOT_WRITABLE &&
              c.save(second, "") == RCPCV_NO_PATH && c.save(second, nullptr) == RCPCV_NO_PATH,
          "rcpcv: an unwritable destination and no path get their codes");
    Check(Read(locked) == "old" && FileCount() == files,
          "rcpcv: a failed save leaves the old file and no temporary file");
    // A folder is never replaced; an old output is, beside a file that only looks temporary.
    const std::string folder = work + "folder.mid";
    CreateDirectoryA(folder.c_str(), nullptr);
    Write(work + "again.mid", "old");
    Write(work + "again.mid.part", "theirs");
    const DWORD kept = (c.save(second, folder.c_str()) == RCPCV_NOT_WRITABLE)
                           ? GetFileAttributesA(folder.c_str())
                           : INVALID_FILE_ATTRIBUTES;
    Check(
        kept != INVALID_FILE_ATTRIBUTES && (kept & FILE_ATTRIBUTE_DIRECTORY) &&
            c.save(second, (work + "again.mid").c_str()) == RCPCV_SAVED &&
            Read(work + "again.mid").compare(0, 4, "MThd") == 0 &&
            Read(work + "again.mid.part") == "theirs" && FileCount() == files + 2,
        "rcpcv: a folder is refused and kept, an old output replaced, no one else's file touched");
    c.remove(second);

    for (const int stop : {0, 100}) {
        records.clear();
        stopAt = stop;
        const uint32_t stopped = c.convert(song.c_str(), 2, &RecordProgress, 0, 7);
        stopAt = -1;
        Check(stopped == 0 && !records.empty() && records.back().percent == stop,
              "rcpcv: answering 0 at " + std::to_string(stop) + "% stops with no object");
    }
    Check(c.convert((work + "tune.mid").c_str(), 2, nullptr, 0, 0) == 0 &&
              c.convert((work + "none.rcp").c_str(), 2, nullptr, 0, 0) == 0 &&
              c.convert((work + "cut.rcp").c_str(), 2, nullptr, 0, 0) == 0 &&
              c.convert(song.c_str(), 1, nullptr, 0, 0) == 0 &&
              c.convert(nullptr, 2, nullptr, 0, 0) == 0,
          "rcpcv: a MIDI file, no file, a cut song, an unknown mode and no path make no object");

    // A control file named by the song is found beside it whatever the case of its letters
    // (and, under code page 932, with a trail byte 0x5C in its name); its setup messages
    // begin with a GS reset.
    const std::string reset("\xF0\x0A\x41\x10\x42\x12\x40\x00\x7F\x00\x41\xF7", 12);
    const bool dbcs = GetACP() == 932;
    std::string named = Read(song);
    named.replace(0x1D6, 16,
                  std::string(dbcs ? "\x83\x5C"
                                     "ETUP.GSD"
                                   : "SETUP.GSD")
                      .append(16, ' '),
                  0, 16);
    Write(work + "named.rcp", named);
    std::string gsd(0xA71, '\0');
    gsd.replace(0, 13, "COME ON MUSIC");
    gsd.replace(0x0E, 14, "GS CONTROL 1.0");
    Write(work + (dbcs ? "\x83\x5C"
                         "etup.gsd"
                       : "Setup.gsd"),
          gsd);
    const uint32_t withSetup = c.convert((work + "named.rcp").c_str(), 2, nullptr, 0, 0);
    const auto* setupBytes = static_cast<const char*>(c.smf(withSetup));
    Check(
        setupBytes && std::string(setupBytes, c.length(withSetup)).find(reset) != std::string::npos,
        "rcpcv: the control file the song names is found beside it in another letter case");
    c.remove(withSetup);

    const std::string songBytes = Read(song);
    const uint32_t buffered = c.fromBuffer(songBytes.data(), songBytes.size(), 2, nullptr, 0);
    Check(buffered != 0 && c.length(buffered) > 14 && c.fromBuffer(nullptr, 5, 2, nullptr, 0) == 0,
          "rcpcv: a song converts from memory; no memory, no object");
    c.remove(buffered);
    TwoAtOnce(c, song, other);
}

// rcpcv.ini beside the library, read at every conversion: a copy of the library in the work
// folder (under code page 932 its name ends in a 0x5C trail byte) converts a song whose loops
// are endless with no file, with one line each of passes and fade, and with files that are no
// settings at all, which must give the defaults' very bytes. The defaults and the short form are
// left as "default.mid" and "short.mid" for a comparison with the command line.
void LoopSettingsChecks() {
    const std::string library = work + "rcpcv.dll", ini = work + "rcpcv.ini";
    CopyFileA((here + "rcpcv.dll").c_str(), library.c_str(), FALSE);
    const HMODULE module = LoadLibraryA(library.c_str());
    char loaded[MAX_PATH] = "";
    GetModuleFileNameA(module, loaded, sizeof loaded);
    Check(module && library == loaded,
          "rcpcv.ini: the copy in the work folder is the library loaded");
    const auto convert = reinterpret_cast<uint32_t(RCPCV_CALL*)(
        const char*, int32_t, RcpcvProgressCallback, int32_t, uint32_t)>(
        reinterpret_cast<void*>(GetProcAddress(module, "rcpcvConvertFile")));
    const auto smf = reinterpret_cast<const void*(RCPCV_CALL*)(uint32_t)>(
        reinterpret_cast<void*>(GetProcAddress(module, "rcpcvGetSMF")));
    const auto length = reinterpret_cast<uint32_t(RCPCV_CALL*)(uint32_t)>(
        reinterpret_cast<void*>(GetProcAddress(module, "rcpcvGetSMFLength")));
    const auto remove = reinterpret_cast<int32_t(RCPCV_CALL*)(uint32_t)>(
        reinterpret_cast<void*>(GetProcAddress(module, "rcpcvDeleteObject")));
    if (!convert || !smf || !length || !remove) return;
    // The song's bytes as converted now; empty when it does not convert.
    const auto converted = [&](const char* name = "endless.rcp") {
        const uint32_t handle = convert((work + name).c_str(), 2, nullptr, 0, 0);
        const auto* bytes = static_cast<const char*>(smf(handle));
        std::string result = bytes ? std::string(bytes, length(handle)) : std::string();
        remove(handle);
        return result;
    };
    const std::string shortForm = "[rcpcv]\r\nLoopPasses=1\r\nFadeSeconds=0\r\n";

    DeleteFileA(ini.c_str());
    const std::string defaults = converted();
    Write(ini, shortForm);
    const std::string once = converted();
    Check(!defaults.empty() && !once.empty() && once != defaults,
          "rcpcv.ini: one pass without a fade makes another file than the defaults");
    Write(work + "default.mid", defaults);
    Write(work + "short.mid", once);

    std::string junk;
    for (unsigned i = 0, x = 12345; i < 3000; ++i) junk += char((x = x * 1103515245 + 12345) >> 16);
    const std::pair<const char*, std::string> damaged[] = {
        {"words for numbers", "[rcpcv]\r\nLoopPasses=one\r\nFadeSeconds=ten\r\n"},
        {"values above their range", "[rcpcv]\r\nLoopPasses=100\r\nFadeSeconds=60.5\r\n"},
        {"values below their range", "[rcpcv]\r\nLoopPasses=0\r\nFadeSeconds=-1\r\n"},
        {"binary junk", junk + shortForm.substr(7) + junk},
    };
    for (const auto& d : damaged) {
        Write(ini, d.second);
        Check(converted() == defaults,
              std::string("rcpcv.ini with ") + d.first + ": the defaults hold");
    }
    DeleteFileA(ini.c_str());
    CreateDirectoryA(ini.c_str(), nullptr);
    Check(converted() == defaults, "rcpcv.ini a folder: the defaults hold");
    RemoveDirectoryA(ini.c_str());
    Write(ini, shortForm);
    const HANDLE held =
        CreateFileA(ini.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Check(held != INVALID_HANDLE_VALUE && converted() == defaults,
          "rcpcv.ini locked by another program: the defaults hold");
    CloseHandle(held);
    Check(converted() == once, "rcpcv.ini: an edit takes effect at the next song");

    // The same song naming an MT-32 setup file (not there): rendered for GS with Target=gs,
    // its summary at the start of the file; the song without MT-32 data stays as it was.
    std::string mt32 = Read(work + "endless.rcp");
    mt32.replace(0x1C6, 16, "SOUNDS.CM6      ");
    Write(work + "mt32.rcp", mt32);
    const std::string asWritten = converted("mt32.rcp");
    Write(ini, "[rcpcv]\r\nTarget=gs\r\n");
    const std::string rendered = converted("mt32.rcp");
    Check(converted() == defaults && rendered != asWritten &&
              rendered.find("MT-32 song rendered for GS: 9 parts") != std::string::npos,
          "rcpcv.ini Target=gs: a song naming a CM6 file is rendered, another stays as written");
    DeleteFileA(ini.c_str());
    FreeLibrary(module);
}

std::vector<std::pair<int32_t, uint32_t>> calls;
int32_t SMFK_CALL RecordKnife(int32_t percent, uint32_t owner) {
    calls.emplace_back(percent, owner);
    return stopAt >= 0 && percent >= stopAt ? 0 : 1;
}

void SmfkChecks(HMODULE module) {
    using Convert = int32_t(SMFK_CALL*)(void*, const char*, const char*, const char*, int32_t,
                                        const SmfkOptions*, SmfkProgressCallback);
    const auto convert = Both<Convert>(module, "SmfkConvert");
    const auto version = Both<int32_t(SMFK_CALL*)()>(module, "GetSmfkVersion");
    if (!convert || !version) return;
    Check(version() == 100, "smfk: version 1.00");

    const std::string in = work + "tune.mid", cfg = work + "k.cfg", out = work + "knifed.mid";
    const SmfkOptions record{24, -1, 0, 0, 0, 0xBEEF0001};  // Bank and CC64 on
    calls.clear();
    const int32_t result =
        convert(nullptr, in.c_str(), out.c_str(), cfg.c_str(), 0, &record, &RecordKnife);
    std::vector<int> percents;
    bool owners = !calls.empty();
    for (const auto& call : calls) {
        percents.push_back(call.first);
        owners = owners && call.second == 0xBEEF0001;
    }
    Check(result == SMFK_DONE && Read(out).compare(0, 4, "MThd") == 0,
          "smfk: a MIDI file is post-processed");
    Check(owners && Climbs(percents), "smfk: progress climbs from 0 to 100 with the Owner word");

    const std::string chained = work + "chained.mid";
    Check(convert(nullptr, (work + "saved.mid").c_str(), chained.c_str(), cfg.c_str(), 0, &record,
                  nullptr) == SMFK_DONE,
          "smfk: the converted song is post-processed in turn");
    const std::string copy = work + "inplace.mid";
    Write(copy, Read(in));
    Check(convert(nullptr, copy.c_str(), copy.c_str(), nullptr, 0, nullptr, nullptr) == SMFK_DONE &&
              Read(copy).compare(0, 4, "MThd") == 0,
          "smfk: no configuration, no record, destination = source");

    for (const int stop : {0, 100}) {
        calls.clear();
        stopAt = stop;
        const int32_t stopped = convert(nullptr, in.c_str(), (work + "stopped.mid").c_str(),
                                        cfg.c_str(), 0, &record, &RecordKnife);
        stopAt = -1;
        Check(stopped == SMFK_STOPPED && !calls.empty() && calls.back().first == stop &&
                  !Exists(work + "stopped.mid"),
              "smfk: answering 0 at " + std::to_string(stop) + "% stops, nothing written");
    }

    const std::string locked = Locked("locked-k.mid");
    const SmfkOptions shortRecord{20, 0, 0, 0, 0, 0};
    struct Failing {
        const char* what;
        std::string source, dest, config;
        const SmfkOptions* options;
        int32_t code;
    } const cases[] = {
        {"missing source", work + "none.mid", out, cfg, &record, SMFK_SOURCE_UNREADABLE},
        {"a song that is no MIDI file", work + "song.rcp", out, cfg, &record, SMFK_NOT_SMF},
        {"a cut MIDI file", work + "cut.mid", out, cfg, &record, SMFK_NOT_SMF},
        {"a bad configuration line", in, out, work + "bad.cfg", &record, SMFK_BAD_CONFIG},
        {"a missing configuration", in, out, work + "none.cfg", &record, SMFK_BAD_CONFIG},
        {"a folder that is not there", in, work + "missing\\x.mid", cfg, &record,
         SMFK_NOT_WRITABLE},
        {"a read-only destination", in, locked, cfg, &record, SMFK_NOT_WRITABLE},
        {"no source path", "", out, cfg, &record, SMFK_BAD_ARGUMENTS},
        {"a record of 20 bytes", in, out, cfg, &shortRecord, SMFK_BAD_ARGUMENTS},
    };
    const std::string kept = Read(out);
    const int files = FileCount();
    for (const Failing& f : cases) {
        const int32_t code = convert(nullptr, f.source.c_str(), f.dest.c_str(), f.config.c_str(), 0,
                                     f.options, nullptr);
        Check(code == f.code && Read(out) == kept && Read(locked) == "old" && FileCount() == files,
              std::string("smfk: ") + f.what + " gives " + std::to_string(f.code) +
                  " and changes no file (got " + std::to_string(code) + ")");
    }
}

void Place(const char* name) {
    CopyFileA((here + name).c_str(), (work + name).c_str(), FALSE);
}

}  // namespace

int main() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    here = std::string(path, n);
    here.erase(here.find_last_of('\\') + 1);
    // Under code page 932 the work folder is "ソ表": both characters end in the byte 0x5C.
    work = here + (GetACP() == 932 ? "\x83\x5C\x95\x5C" : "plain") + "\\";
    CreateDirectoryA(work.c_str(), nullptr);
    for (const char* name :
         {"song.rcp", "other.rcp", "endless.rcp", "tune.mid", "k.cfg", "bad.cfg"})
        Place(name);
    const std::string song = Read(work + "song.rcp"), tune = Read(work + "tune.mid");
    Write(work + "cut.rcp", song.substr(0, song.size() / 3));
    Write(work + "cut.mid", tune.substr(0, tune.size() - 5));
    std::printf("code page %u, working in %s\n", GetACP(), work.c_str());

    const HMODULE rcpcv = LoadLibraryA((here + "rcpcv.dll").c_str());
    const HMODULE smfk = LoadLibraryA((here + "smfk32.dll").c_str());
    Check(rcpcv && smfk, "both libraries load");
    if (rcpcv) RcpcvChecks(rcpcv);
    if (smfk) SmfkChecks(smfk);
    if (rcpcv) FreeLibrary(rcpcv);  // the next checks load a copy from another folder
    LoopSettingsChecks();
    for (const char* name :
         {"saved.mid", "second.mid", "knifed.mid", "chained.mid", "default.mid", "short.mid"})
        CopyFileA((work + name).c_str(), (here + "out_" + name).c_str(), FALSE);
    std::printf("%d failed in the program\n", failures);
    return failures == 0 ? 0 : 1;
}
