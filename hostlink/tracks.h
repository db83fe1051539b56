// Track records, lyrics lines and the playlist and lyrics companions of TORVO.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostlink/font.h"

class TORVO;

// One playlist entry, passed by value.
struct TTrackInfo {
    std::string Text0;
    std::string Text1;
    std::string FileName;
    std::string Text3;
    std::string Text4;
    std::int32_t Value0 = 0;
    std::int32_t Value1 = 0;
    std::int32_t Value2 = 0;
    std::int32_t Kind = 0;   // 16 and 17 mark CD tracks
    std::int32_t Drive = 0;  // 0 for drive a
    std::int32_t TrackNo = 0;
    std::int32_t Value5 = 0;
    std::int32_t Value6 = 0;
    std::int32_t Spare = 0;
};

// One line of text with its look.
class TLyrics {
  public:
    TFont Font;
    std::int32_t Number = -1;
    std::string Text;
    std::uint8_t Adjust = 2;
    bool ShowAccel = true;
    bool Option = false;
    std::int32_t Extra = 0;
    std::int32_t Spare = 0;
};

class TPlayList {
  public:
    explicit TPlayList(TORVO* Owner) : Owner_(Owner) {}
    std::int32_t GetSelectedTrack();
    TTrackInfo GetTrackInfo(std::int32_t Index);
    void SetTrackInfo(std::int32_t Index, const TTrackInfo& Info);

  private:
    TORVO* Owner_;
};

class TLyricsList {
  public:
    explicit TLyricsList(TORVO* Owner) : Owner_(Owner) {}
    std::int32_t Count();
    TLyrics* Item(std::int32_t Index);
    void Clear();

  private:
    TORVO* Owner_;
    std::vector<std::unique_ptr<TLyrics>> Lines_;  // index = line number; entries may be empty
};
