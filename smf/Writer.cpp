// Encodes the SMF model as bytes. Every value is checked before it is written, so a model the
// format cannot hold (ticks going back, a data byte with its top bit set, a delta too large for
// a variable-length quantity) raises FormatError instead of producing a file readers choke on.
#include <algorithm>
#include <limits>
#include <string>

#include "smf/Smf.h"

namespace smf {
namespace {

constexpr uint32_t kMaxVariableLength = 0x0FFFFFFF;
constexpr uint8_t kEndOfTrack = 0x2F;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

void PutVariableLength(std::vector<uint8_t>& out, uint32_t value) {
    if (value > kMaxVariableLength)
        throw FormatError("value too large for a variable-length quantity");
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) out.push_back(uint8_t(groups[--count] | 0x80));
    out.push_back(groups[0]);
}

size_t ChannelDataLength(uint8_t status) {
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

void PutLengthAndData(std::vector<uint8_t>& out, const std::vector<uint8_t>& data) {
    if (data.size() > kMaxVariableLength) throw FormatError("event data too long");
    PutVariableLength(out, uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

std::string At(size_t trackIndex, uint32_t tick) {
    return " (track " + std::to_string(trackIndex) + ", tick " + std::to_string(tick) + ")";
}

// Writes one MTrk chunk. Running status applies to channel messages only; a meta event or a
// system exclusive message in between cancels it, as readers expect.
void PutTrack(std::vector<uint8_t>& out, const Track& track, size_t trackIndex) {
    std::vector<uint8_t> body;
    uint32_t previousTick = 0;
    int runningStatus = -1;
    for (const Event& event : track.events) {
        if (event.tick < previousTick)
            throw FormatError("event ticks decrease" + At(trackIndex, event.tick));
        if (event.isMeta() && event.metaType == kEndOfTrack) continue;  // written once, at the end
        PutVariableLength(body, event.tick - previousTick);
        previousTick = event.tick;
        if (event.isChannel()) {
            if (event.data.size() != ChannelDataLength(event.status))
                throw FormatError("channel message with a wrong data length" +
                                  At(trackIndex, event.tick));
            for (const uint8_t byte : event.data)
                if (byte >= 0x80)
                    throw FormatError("channel data byte above 127" + At(trackIndex, event.tick));
            if (event.status != runningStatus) body.push_back(event.status);
            runningStatus = event.status;
            body.insert(body.end(), event.data.begin(), event.data.end());
        } else if (event.isMeta()) {
            if (event.metaType >= 0x80)
                throw FormatError("meta event type above 127" + At(trackIndex, event.tick));
            body.push_back(0xFF);
            body.push_back(event.metaType);
            PutLengthAndData(body, event.data);
            runningStatus = -1;
        } else if (event.isSysEx()) {
            body.push_back(event.status);
            PutLengthAndData(body, event.data);
            runningStatus = -1;
        } else {
            throw FormatError("event with no valid status byte" + At(trackIndex, event.tick));
        }
    }
    const uint32_t endTick = std::max(track.endTick, previousTick);
    PutVariableLength(body, endTick - previousTick);
    body.insert(body.end(), {0xFF, kEndOfTrack, 0x00});

    if (body.size() > std::numeric_limits<uint32_t>::max()) throw FormatError("track too long");
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    PutBigEndian(out, uint32_t(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

std::vector<uint8_t> Write(const File& file) {
    if (file.tracks.size() > 0xFFFF) throw FormatError("more than 65535 tracks");
    if (file.format > 2) throw FormatError("format other than 0, 1 or 2");
    if (file.format == 0 && file.tracks.size() != 1)
        throw FormatError("a format 0 file holds exactly one track");
    std::vector<uint8_t> out{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    PutBigEndian(out, file.format, 2);
    PutBigEndian(out, uint32_t(file.tracks.size()), 2);
    PutBigEndian(out, file.division, 2);
    for (size_t index = 0; index < file.tracks.size(); ++index)
        PutTrack(out, file.tracks[index], index);
    return out;
}

}  // namespace smf
