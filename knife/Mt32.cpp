// The configuration's `target` also renders a song written for the MT-32 family (one that sends
// MT-32 data sets) for that device, before any other rule: the rules then work on what the
// device is told. An XG device is given the General MIDI rendering. Only such songs are copied
// into the full model and read back, so the memory bound of other songs is untouched.
#include "knife/Rules.h"
#include "mt32/Machine.h"
#include "mt32/Render.h"
#include "smf/Smf.h"

namespace knife {
namespace {

bool HasDataSets(const Song& song) {
    for (const Track& track : song.tracks)
        for (const Event& event : track.events) {
            if (event.isChannel()) continue;
            const LongEvent bytes = song.longEvent(event);
            if (bytes.status == 0xF0 && mt32::IsDataSet(bytes.data, bytes.size)) return true;
        }
    return false;
}

smf::File FileOf(const Song& song) {
    smf::File file;
    file.format = song.format;
    file.division = song.division;
    for (const Track& track : song.tracks) {
        smf::Track& to = file.tracks.emplace_back();
        to.endTick = track.endTick;
        for (const Event& event : track.events) {
            if (event.isChannel()) {
                std::vector<uint8_t> data{event.data1()};
                if (event.dataLength() == 2) data.push_back(event.data2());
                to.events.push_back({event.tick, event.status(), 0, std::move(data)});
            } else {
                const LongEvent bytes = song.longEvent(event);
                to.events.push_back({event.tick, bytes.status, bytes.metaType,
                                     std::vector<uint8_t>(bytes.data, bytes.data + bytes.size)});
            }
        }
    }
    return file;
}

}  // namespace

void RenderMt32(Song& song, Target target, std::vector<uint8_t>& storage, Report& report) {
    if (target == Target::None || !HasDataSets(song)) return;
    smf::File file = FileOf(song);
    const auto rendering =
        mt32::Render(file, target == Target::GS ? mt32::Target::GS : mt32::Target::GM, false);
    if (!rendering) return;
    storage = smf::Write(file);
    song = ReadSong(storage.data(), storage.size(), 1);
    report.lines.insert(report.lines.end(), rendering->begin(), rendering->end());
}

}  // namespace knife
