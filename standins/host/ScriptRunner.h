// Runs the host's script: one step per line (UTF-8), from the command line or a file.
// Paths may hold %VARIABLES% where noted ("%HOSTDIR%" is the host's folder, with a separator).
//
// The plug-in and its host interface
//   load <path>            load the plug-in library (ANSI path) and look up its three exports
//   version <n>            what HostVersion answers            (default 6000)
//   accept yes|no          what AcceptsVersion answers         (default yes)
//   decline <n>            what Decline answers                (default 0)
//   filename <path>        what PluginFileName answers         (default: the loaded path)
//   owner <n>              what PluginOwner answers            (default 0)
//   answer <id>            the button pressed on message boxes (default 1, OK)
//   abort-in-next-box      call _pinAbort inside the next message box, before it is answered
//   shell record           the loaded plug-in's ShellExecuteA prints what it is handed and
//                          whether that file exists ("shell: ..."), and opens nothing
//   run | abort            call _pinRun with the host interface | call _pinAbort
//   open <path> | play <path>   call _pinOpenPlayFile; prints the path and whether it is the
//                          very pointer given
//   pump <ms> | sleep <ms> dispatch messages for ms (a client's Abort is carried out here) |
//                          block for ms
//   touch <path>           create an empty file
//   wait-for-file <path> [<ms>]  pump until the file exists (default 30000 ms)
//   mkdir <path> | copy <from> <to>   ANSI file operations
//   acp | echo <text>      print the ANSI code page | print the text
//
// The automation server's answers (ServerSteps.cpp)
//   server-version <n>     get_Version                         (default 6003)
//   client-version <n>     highest client version CheckVersion accepts (default 4300)
//   attach-mode <n> | run-value <n>   what Attach hands back (default 2 | 1)
//   property <name> <n>    a numeric property (Left, Repeat, Volume0/1, Speana0..9, ...)
//   fail-read <name> <status>|off   a read (Version, Handle, Left, Tracks, Design, ...) fails
//   design <text>          the Design property
//   track <path> [<kind> [<drive<<16|track>]]   append a playlist track
//   track-text <index> <0..4> <text>            set one text of a track
//   clear-tracks | select <index>               empty the playlist | the selected track
//   lyric <number> <text> | display-text <text>  append a lyrics line | the display text
//   color <index> <value>
//   font <index> <face> <charset> <size> <style> <color>
//   host-ini <section> <key> <value>            write to ORVO.ini beside the host
//
// The session (SessionSteps.cpp)
//   notify post|send <wParam> <lParam> [unmasked]   "WM_ORVO" to every attached client whose
//                          mask holds the code (all of them with "unmasked")
//   notify open | notify close    Open (lParam = main window) to every live client window |
//                          Close to every attached client
//   menu tree              print the menu tree
//   menu click <path>      Menu notification for the item reached by captions separated by "/",
//                          optionally starting with a root id: "0x9000/Vellacord/ヘルプ"
//   menu display <id>      the status telling that menu <id> is about to be shown
//   menu picture <path> <ready> <done>   the items below <path> as a real pop-up menu, its
//                          first submenu open; writes their screen rectangle into file <ready>
//                          and holds them open until file <done> exists
//   clients                print attached clients, their masks, and references held
//   print-file <path>      print a file's lines (ANSI, %VARIABLES% expanded)
//   list <folder> [<pattern>]   print the file names in a folder, sorted
//
// Benchmarks (BenchSteps.cpp); each prints "bench: <figure> ..." lines with medians in ns
//   bench-hit <song> <rounds> <batch>   time _pinOpenPlayFile of a cached song against a bare
//                          GetFileAttributesA of the file it answers, interleaved
//   bench-miss <label> <rounds> <config> <song>...   play the songs in turn, each a miss
//                          through the converters beside the host, against the host making
//                          the required work itself (two evictions, the song's configuration
//                          key, the four library calls with <config>, a check of each file)
//   bench-start <rounds>   time _pinRun (then _pinAbort, untimed) against the host making the
//                          work a start is required to do itself (host link, settings, probes)
//   bench-memory <plays> <first> <prefix> <count> <suffix>   play <prefix><i><suffix> for i
//                          going round 0..count-1; private bytes after <first> and after <plays>
// Following conversions (ConversionSteps.cpp)
//   keep-folder <path>     where play-keep puts its copies
//   play-keep <path>       as "open", then copies the file the host got, if it is another one,
//                          into the keep folder as "<n>-<name>", with each "VLCRD*.mid" beside
//                          it not kept before ("kept: ..."; a FAIL line when it does not exist)
//   log-new <path> <label> print the lines a log file gained since the last look, "<label>: ..."
//
// The settings dialog (DialogSteps.cpp), found by its window class while it is visible
//   dialog wait [<ms>] | dialog show   pump until it is shown (default 5000 ms), then print its
//                          controls (id, class, check state, text) | print them, or "none shown"
//   dialog click <caption> BM_CLICK on the button or check box with that caption
//   dialog type <id> <text>  set the text of the edit field with that control id
//   dialog rect <file>     write the screen rectangle of the dialog's client area into the file
// Paths with spaces go in double quotes where a step takes two of them.
#pragma once

#include <string>
#include <vector>

#include "standins/host/AutomationServer.h"
#include "standins/host/BoxAnswerer.h"
#include "standins/host/HostState.h"
#include "standins/host/Notifier.h"
#include "standins/host/PluginHost.h"
#include "standins/host/Transcript.h"

namespace host {

struct HostServices {
    HostState& state;
    AutomationServer& server;
    Notifier& notifier;
};

class ScriptRunner {
  public:
    ScriptRunner(Transcript& transcript, BoxAnswerer& boxes, HostServices services)
        : transcript_(transcript),
          boxes_(boxes),
          services_(services),
          host_(settings_, transcript) {}

    // Runs the steps in order; stops at the first step that cannot be carried out.
    bool Run(const std::vector<std::string>& steps);

    static std::vector<std::string> ReadScriptFile(const std::wstring& path, bool& ok);

  private:
    enum class Outcome { NotMine, Done, Failed };

    bool Step(const std::string& line);
    Outcome StateStep(const std::vector<std::string>& words, const std::string& line);
    Outcome SessionStep(const std::vector<std::string>& words, const std::string& line);
    Outcome BenchStep(const std::vector<std::string>& words);
    Outcome ConversionStep(const std::vector<std::string>& words, const std::string& line);
    Outcome DialogStep(const std::vector<std::string>& words, const std::string& line);
    bool RequireLoaded(const std::string& step);
    void Pump(DWORD milliseconds);
    void EndAbortedClient();

    Transcript& transcript_;
    BoxAnswerer& boxes_;
    HostServices services_;
    HostSettings settings_;
    PluginHost host_;
    PluginLibrary library_;
    bool fileNameSet_ = false;
};

}  // namespace host
