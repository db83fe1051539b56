// Turns one song track into an SMF track: notes with the tie rule, channel messages, exclusive
// messages, comments. Tempo and key changes act on the whole song and are handed back for the
// conductor track.
#pragma once

#include <cstdint>
#include <vector>

#include "rcp/Expander.h"
#include "smf/Smf.h"

namespace rcp {

struct SongWideCommand {
    int64_t tick = 0;  // already shifted by the setup time
    uint8_t code = 0;  // E7 tempo or F5 key
    int value = 0;     // tempo factor or key byte
    int gradation = 0;
};

struct ConversionState {
    Budget budget;
    size_t eventsLeft = 500'000;  // bounds the memory a song can make us use
    std::vector<SongWideCommand> songWide;
};

// `shift` moves the whole track later (the setup time). The track has no events when the song
// track yields nothing to send.
smf::Track ConvertTrack(const Song& song, const TrackRecord& track, int endlessLoopPasses,
                        int64_t shift, ConversionState& state);

}  // namespace rcp
