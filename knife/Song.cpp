#include "knife/Song.h"

#include <algorithm>

#include "smf/Codec.h"
#include "smf/Smf.h"

namespace knife {
namespace {

// Long events are found by a 31-bit offset (the top bit marks channel messages).
constexpr size_t kOffsetLimit = size_t{1} << 31;

}  // namespace

LongEvent Song::longEvent(const Event& event) const {
    const size_t offset = event.word;
    const bool inSource = offset < sourceSize;
    const uint8_t* start = inSource ? source + offset : added.data() + (offset - sourceSize);
    const uint8_t* end = inSource ? source + sourceSize : added.data() + added.size();
    const smf::RawEvent raw = smf::ReadLongEvent(start, end);
    return {raw.status, raw.metaType, raw.data, raw.size};
}

Event Song::addLong(uint32_t tick, uint8_t status, uint8_t metaType,
                    const std::vector<uint8_t>& data) {
    const size_t offset = sourceSize + added.size();
    if (offset + data.size() + 6 >= kOffsetLimit) throw smf::FormatError("file too large");
    added.push_back(status);
    if (status == 0xFF) added.push_back(metaType);
    uint8_t length[4];
    added.insert(added.end(), length, length + smf::EncodeNumber(uint32_t(data.size()), length));
    added.insert(added.end(), data.begin(), data.end());
    return {tick, uint32_t(offset)};
}

void Song::compact() {
    for (Track& track : tracks) {
        track.events.erase(std::remove_if(track.events.begin(), track.events.end(),
                                          [](const Event& e) { return e.removed(); }),
                           track.events.end());
    }
}

Song ReadSong(const uint8_t* data, size_t size, size_t extraFirst) {
    if (size >= kOffsetLimit) throw smf::FormatError("file too large");
    const smf::Layout layout = smf::ReadLayout(data, size, smf::Reading::Lenient);
    Song song;
    song.format = layout.format;
    song.division = layout.division;
    song.tracksAnnounced = layout.tracksAnnounced;
    song.source = data;
    song.sourceSize = size;
    song.tracks.resize(layout.tracks.size());
    for (size_t t = 0; t < layout.tracks.size(); ++t) {
        // A first pass counts the events, so that the track's vector is allocated once at its
        // exact size instead of growing to as much as twice that.
        size_t count = 0;
        smf::ReadTrackEvents(layout.tracks[t], smf::Reading::Lenient,
                             [&](const smf::RawEvent&) { ++count; });
        Track& track = song.tracks[t];
        track.events.reserve(count + (t == 0 ? extraFirst : 0));
        bool endSupplied = false;
        track.endTick = smf::ReadTrackEvents(
            layout.tracks[t], smf::Reading::Lenient,
            [&](const smf::RawEvent& e) {
                if (e.status < 0xF0) {
                    track.events.push_back(
                        Event::Channel(e.tick, e.status, e.data[0], e.size > 1 ? e.data[1] : 0));
                } else {
                    track.events.push_back({e.tick, uint32_t(e.start - data)});
                }
            },
            &endSupplied);
        if (endSupplied) ++song.endsSupplied;
    }
    return song;
}

std::vector<uint8_t> WriteSong(const Song& song) {
    // Encoded twice: once to count the bytes, once into a buffer reserved at that size.
    auto encode = [&](std::vector<uint8_t>* out) {
        size_t size = 14;
        if (out) smf::PutHeader(*out, song.format, song.tracks.size(), song.division);
        for (size_t t = 0; t < song.tracks.size(); ++t) {
            smf::TrackWriter writer(out, t);
            for (const Event& e : song.tracks[t].events) {
                if (e.removed()) continue;
                if (e.isChannel()) {
                    const uint8_t bytes[] = {e.data1(), e.data2()};
                    writer.add(e.tick, e.status(), 0, bytes, size_t(e.dataLength()));
                } else {
                    const LongEvent bytes = song.longEvent(e);
                    writer.add(e.tick, bytes.status, bytes.metaType, bytes.data, bytes.size);
                }
            }
            size += writer.finish(song.tracks[t].endTick);
        }
        return size;
    };
    std::vector<uint8_t> out;
    out.reserve(encode(nullptr));
    encode(&out);
    return out;
}

}  // namespace knife
