// Turns one song track into an SMF track: notes with the tie rule, channel messages, exclusive
// messages, comments. Tempo and key changes act on the whole song and are handed back for the
// conductor track.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
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
    explicit ConversionState(int endlessLoopPasses) : budget(endlessLoopPasses) {}
    Budget budget;
    std::vector<SongWideCommand> songWide;
};

class TrackConverter;

// One song track on its way into an SMF track, played in steps the caller chooses. Every tick
// here is already moved later by `shift` (the setup time).
class TrackConversion {
  public:
    TrackConversion(const Song& song, const TrackRecord& track, int endlessLoopPasses,
                    EndlessLoops endless, int64_t shift, ConversionState& state);
    TrackConversion(TrackConversion&&) noexcept;
    ~TrackConversion();

    // Converts what plays before `stopTick`, or up to where an endless loop has first played its
    // passes (see TrackExpander::Play).
    void Play(int64_t stopTick, bool pauseAfterPasses = false);
    bool ended() const;
    int64_t clock() const;
    std::optional<TrackExpander::Passes> passes() const;

    // Nothing starts at or after `tick`; what still sounds then is released there.
    void CutAt(int64_t tick);

    // The SMF track, ending at the track's clock or its last note end, whichever is later. It
    // has no events when the song track yields nothing to send.
    smf::Track Finish();

  private:
    std::unique_ptr<TrackExpander> expander_;
    std::unique_ptr<TrackConverter> converter_;
    int64_t shift_;
};

}  // namespace rcp
