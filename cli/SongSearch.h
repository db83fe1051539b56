// Finding the songs of a run over many files: each path given is a song or a folder searched
// through. Inside folders a song is known by its signature, never by its extension.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cli {

struct FoundSong {
    std::string path;              // UTF-8, as given or found
    std::filesystem::path output;  // under the output folder, in the layout of the folder given
    uintmax_t size = 0;
};

struct SongSearch {
    std::vector<FoundSong> songs;  // in the order of the paths given, each folder sorted
    // Paths given that are neither a file nor a folder, or a folder that could not be searched
    // to the end, with what is wrong.
    std::vector<std::pair<std::string, std::string>> problems;
};

// A file named directly is always taken (a non-song then fails with the reader's message); in
// folders only songs, and MIDI files when `midiToo`. `outDir` (may be empty) is not searched,
// so that earlier outputs are not taken for inputs. A file reached twice is taken once.
SongSearch FindSongs(const std::vector<std::string>& paths, bool midiToo,
                     const std::filesystem::path& outDir);

}  // namespace cli
