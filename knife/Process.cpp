// The post-processor's run: unwrap, read, apply the rules in their order, write. Any failure
// raises Error before a single byte is handed back, so the caller writes all or nothing.
#include <string>

#include "knife/Config.h"
#include "knife/Knife.h"
#include "knife/Rules.h"
#include "knife/Song.h"
#include "knife/Unwrap.h"
#include "smf/Smf.h"

namespace knife {

Options OptionsFromWords(int32_t ch10, int32_t bank, int32_t cc64, int32_t mac) {
    Options options;
    options.ch10 = ch10 == 0;
    options.bank = bank == 0;
    options.cc64 = cc64 == 0;
    options.macCut = mac != 0;
    return options;
}

std::vector<uint8_t> Process(const uint8_t* data, size_t size, const Config& config,
                             const Options& options, Report* report,
                             const std::function<bool(int percent)>& progress) {
    auto reached = [&](int percent) {
        if (progress && !progress(percent)) throw Error(Failure::Stopped, "stopped on request");
    };
    reached(0);
    const Bytes bytes = Unwrap(data, size, options.macCut);
    std::vector<uint8_t> rendered;  // the song's bytes once rendered for an MT-32 song's target
    Song song;
    try {
        // Room for the one event a rule may insert in front of the first track (the reset).
        song = ReadSong(bytes.data, bytes.size, 1);
    } catch (const smf::FormatError& e) {
        throw Error(Failure::NotSmf, std::string("not a Standard MIDI File: ") + e.what());
    }
    if (song.format > 1) {
        throw Error(Failure::NotSmf, "format " + std::to_string(song.format) +
                                         " files are not processed (only formats 0 and 1)");
    }
    reached(20);

    Report lines;
    if (bytes.macBinaryCut) lines.lines.push_back("Mac: 128-byte MacBinary header cut");
    // What other players forgive is forgiven here too, but said.
    const size_t tracksMissing = song.tracksAnnounced - song.tracks.size();
    AddLine(lines, "read",
            {tracksMissing ? "the header announces " + std::to_string(song.tracksAnnounced) +
                                 " tracks, " + std::to_string(song.tracks.size()) + " present"
                           : "",
             song.endsSupplied ? "end-of-track supplied for " + std::to_string(song.endsSupplied) +
                                     (song.endsSupplied == 1 ? " track" : " tracks")
                               : ""});
    std::vector<uint8_t> out;
    try {
        RenderMt32(song, config.target, rendered, lines);
        const RhythmParts rhythm(song, config);
        ApplyDirectives(song, config, rhythm, lines);
        song.compact();
        reached(35);
        if (options.ch10) {
            MergeRhythm(song, rhythm, lines);
            song.compact();
        }
        MoveChannels(song, config, lines);
        reached(50);
        if (options.bank) {
            HandleBankSelects(song, config.target == Target::GM, lines);
            song.compact();
        }
        reached(65);
        if (options.cc64) ReplaceSustain(song, lines);
        InsertReset(song, config.target, lines);
        reached(80);
        out = WriteSong(song);
    } catch (const smf::FormatError& e) {
        throw Error(Failure::NotSmf, std::string("cannot write the result: ") + e.what());
    }
    reached(100);
    if (report) report->lines.insert(report->lines.end(), lines.lines.begin(), lines.lines.end());
    return out;
}

}  // namespace knife
