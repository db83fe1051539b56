#include "cli/SongSearch.h"

#include <algorithm>
#include <set>

#include "cli/Files.h"
#include "cli/System.h"
#include "knife/Unwrap.h"
#include "rcp/Convert.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

bool Wanted(const fs::path& file, bool midiToo) {
    uint8_t head[132] = {};  // a MacBinary header and the MIDI signature after it
    std::FILE* const in = OpenForReading(Utf8Of(file));
    if (!in) return false;
    const size_t size = std::fread(head, 1, sizeof head, in);
    std::fclose(in);
    return rcp::HasSongSignature(head, size) || (midiToo && knife::LeadsToMidi(head, size));
}

bool Inside(const fs::path& folder, const fs::path& outDir) {
    std::error_code error;
    return !outDir.empty() && fs::equivalent(folder, outDir, error);
}

}  // namespace

SongSearch FindSongs(const std::vector<std::string>& paths, bool midiToo, const fs::path& outDir) {
    SongSearch search;
    // A file is known by its folder's real path and its place there, so that a song reached
    // twice (a folder and a song in it, a folder given twice) is converted once. The real path
    // is looked up once for each path given, not for every file found.
    std::set<fs::path> seen;
    const auto take = [&](const fs::path& realFolder, const fs::path& file,
                          const fs::path& relative) {
        if (!seen.insert(realFolder / relative).second) return;
        std::error_code error;
        FoundSong song;
        song.path = Utf8Of(file);
        song.output = outDir / fs::path(relative).replace_extension(".mid");
        song.size = fs::file_size(file, error);
        search.songs.push_back(std::move(song));
    };
    const auto realPath = [](const fs::path& path) {
        std::error_code error;
        const fs::path real = fs::weakly_canonical(fs::absolute(path, error), error);
        return error ? path : real;
    };
    for (const std::string& given : paths) {
        const fs::path root = PathOf(given);
        std::error_code error;
        if (fs::is_regular_file(root, error)) {
            take(realPath(fs::absolute(root, error).parent_path()), root, root.filename());
            continue;
        }
        if (!fs::is_directory(root, error)) {
            search.problems.emplace_back(given, "no such file or folder");
            continue;
        }
        std::vector<fs::path> files;
        fs::recursive_directory_iterator walk(root, fs::directory_options::skip_permission_denied,
                                              error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            std::error_code entryError;  // an entry that vanished meanwhile is simply passed by
            if (walk->is_directory(entryError) && Inside(walk->path(), outDir))
                walk.disable_recursion_pending();
            else if (walk->is_regular_file(entryError) && Wanted(walk->path(), midiToo))
                files.push_back(walk->path());
        }
        if (error)
            search.problems.emplace_back(given, "cannot search the folder: " + error.message());
        std::sort(files.begin(), files.end());
        const fs::path realRoot = realPath(root);
        for (const fs::path& file : files) take(realRoot, file, file.lexically_relative(root));
    }
    return search;
}

}  // namespace cli
