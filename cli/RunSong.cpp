// One song converted to a Standard MIDI File, and the conversion every mode shares.
#include <cstdio>
#include <exception>

#include "cli/Files.h"
#include "cli/Run.h"
#include "cli/System.h"
#include "cli/Text.h"
#include "rcp/Convert.h"

namespace cli {

int Fail(const std::string& file, const std::string& what) {
    WriteText(stderr, "vellacord-convert: " + file + ": " + what + "\n");
    return kExitFailed;
}

rcp::Options SongOptions(const Arguments& arguments, const std::string& path,
                         const Progress& progress) {
    rcp::Options options;
    options.endlessLoopPasses = arguments.loops;
    options.fadeSeconds = arguments.fade;
    options.controlFiles = arguments.controlFiles;
    options.target = arguments.target;
    options.readControlFile = [path](const std::string& storedName) {
        return ReadFileBeside(path, storedName);
    };
    // A damaged control file leaves the song as it is: the line says so and the run goes on.
    options.warning = [path](const std::string& line) {
        WriteText(stderr, "vellacord-convert: " + path + ": " + Utf8FromCp932(line) + "\n");
    };
    options.progress = progress;
    return options;
}

std::vector<uint8_t> ConvertSong(const Arguments& arguments, const std::string& path,
                                 const std::vector<uint8_t>& song, const Progress& progress,
                                 std::vector<std::string>* rendering) {
    rcp::SongInfo info;
    std::vector<uint8_t> midi = smf::Write(
        rcp::Convert(song.data(), song.size(), SongOptions(arguments, path, progress), &info));
    if (rendering) *rendering = std::move(info.mt32.rendering);
    return midi;
}

int RunConvert(const Arguments& arguments) {
    std::vector<uint8_t> song;
    try {
        song = ReadWholeFile(arguments.song);
    } catch (const std::exception& error) {
        return Fail(arguments.song, error.what());
    }
    std::vector<uint8_t> midi;
    std::vector<std::string> rendering;
    try {
        midi = ConvertSong(arguments, arguments.song, song, {}, &rendering);
    } catch (const std::bad_alloc&) {
        return Fail(arguments.song, "out of memory");
    } catch (const std::exception& error) {
        return Fail(arguments.song, error.what());
    }
    // The song would be lost, whatever the spelling of the two paths.
    const std::optional<FileIdentity> output = IdentityOf(arguments.output);
    if (output && output == IdentityOf(arguments.song))
        return Fail(arguments.output, "is the song itself: not converted");
    try {
        WriteFileWhole(arguments.output, midi);
    } catch (const std::exception& error) {
        return Fail(arguments.output, error.what());
    }
    for (const std::string& line : rendering) WriteText(stdout, line + "\n");
    return kExitOk;
}

}  // namespace cli
