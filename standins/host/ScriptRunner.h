// Runs the host's script: one step per line (UTF-8), from the command line or a file.
//
//   load <path>            load the plug-in library (ANSI path) and look up its three exports
//   version <n>            what HostVersion answers            (default 6000)
//   accept yes|no          what AcceptsVersion answers         (default yes)
//   decline <n>            what Decline answers                (default 0)
//   filename <path>        what PluginFileName answers         (default: the loaded path)
//   owner <n>              what PluginOwner answers            (default 0)
//   answer <id>            the button pressed on message boxes (default 1, OK)
//   run | abort            call _pinRun with the host interface | call _pinAbort
//   open <path>            call _pinOpenPlayFile
//   pump <ms> | sleep <ms> dispatch messages for ms | block for ms
//   touch <path>           create an empty file
//   wait-for-file <path> [<ms>]  pump until the file exists (default 30000 ms)
//   mkdir <path> | copy <from> <to>   ANSI file operations
//   acp | echo <text>      print the ANSI code page | print the text
// Paths with spaces go in double quotes where a step takes two of them.
#pragma once

#include <string>
#include <vector>

#include "standins/host/BoxAnswerer.h"
#include "standins/host/PluginHost.h"
#include "standins/host/Transcript.h"

namespace host {

class ScriptRunner {
  public:
    ScriptRunner(Transcript& transcript, BoxAnswerer& boxes)
        : transcript_(transcript), boxes_(boxes), host_(settings_, transcript) {}

    // Runs the steps in order; stops at the first step that cannot be carried out.
    bool Run(const std::vector<std::string>& steps);

    static std::vector<std::string> ReadScriptFile(const std::wstring& path, bool& ok);

  private:
    bool Step(const std::string& line);
    bool RequireLoaded(const std::string& step);

    Transcript& transcript_;
    BoxAnswerer& boxes_;
    HostSettings settings_;
    PluginHost host_;
    PluginLibrary library_;
    bool fileNameSet_ = false;
};

}  // namespace host
