// Encodes events as Standard MIDI File bytes. Every value is checked before it is written, so a
// model the format cannot hold (ticks going back, a data byte with its top bit set, a delta too
// large for a variable-length quantity) raises FormatError instead of producing a file readers
// choke on.
#include <algorithm>
#include <limits>
#include <string>

#include "smf/Codec.h"
#include "smf/Smf.h"

namespace smf {
namespace {

constexpr uint32_t kMaxVariableLength = 0x0FFFFFFF;
constexpr uint8_t kEndOfTrack = 0x2F;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

size_t ChannelDataLength(uint8_t status) {
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

std::string At(size_t trackIndex, uint32_t tick) {
    return " (track " + std::to_string(trackIndex) + ", tick " + std::to_string(tick) + ")";
}

}  // namespace

void PutHeader(std::vector<uint8_t>& out, uint16_t format, size_t trackCount, uint16_t division) {
    if (trackCount > 0xFFFF) throw FormatError("more than 65535 tracks");
    if (format > 2) throw FormatError("format other than 0, 1 or 2");
    if (format == 0 && trackCount != 1)
        throw FormatError("a format 0 file holds exactly one track");
    out.insert(out.end(), {'M', 'T', 'h', 'd', 0, 0, 0, 6});
    PutBigEndian(out, format, 2);
    PutBigEndian(out, uint32_t(trackCount), 2);
    PutBigEndian(out, division, 2);
}

TrackWriter::TrackWriter(std::vector<uint8_t>* out, size_t trackIndex)
    : out_(out), trackIndex_(trackIndex) {
    if (out_) {
        start_ = out_->size();
        out_->insert(out_->end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});  // length set by finish
    }
}

void TrackWriter::put(uint8_t byte) {
    ++bodySize_;
    if (out_) out_->push_back(byte);
}

void TrackWriter::put(const uint8_t* bytes, size_t count) {
    bodySize_ += count;
    if (out_) out_->insert(out_->end(), bytes, bytes + count);
}

int EncodeNumber(uint32_t value, uint8_t out[4]) {
    if (value > kMaxVariableLength)
        throw FormatError("value too large for a variable-length quantity");
    uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = uint8_t(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    for (int i = 0; i < count; ++i)
        out[i] = uint8_t(groups[count - 1 - i] | (i + 1 < count ? 0x80 : 0));
    return count;
}

void TrackWriter::putNumber(uint32_t value) {
    uint8_t bytes[4];
    put(bytes, size_t(EncodeNumber(value, bytes)));
}

void TrackWriter::putLengthAndData(const uint8_t* data, size_t size) {
    if (size > kMaxVariableLength) throw FormatError("event data too long");
    putNumber(uint32_t(size));
    put(data, size);
}

void TrackWriter::add(uint32_t tick, uint8_t status, uint8_t metaType, const uint8_t* data,
                      size_t size) {
    if (tick < previousTick_) throw FormatError("event ticks decrease" + At(trackIndex_, tick));
    if (status == 0xFF && metaType == kEndOfTrack) return;  // written once, at the end
    putNumber(tick - previousTick_);
    previousTick_ = tick;
    if (status >= 0x80 && status < 0xF0) {
        if (size != ChannelDataLength(status))
            throw FormatError("channel message with a wrong data length" + At(trackIndex_, tick));
        for (size_t i = 0; i < size; ++i)
            if (data[i] >= 0x80)
                throw FormatError("channel data byte above 127" + At(trackIndex_, tick));
        if (status != runningStatus_) put(status);
        runningStatus_ = status;
        put(data, size);
    } else if (status == 0xFF) {
        if (metaType >= 0x80)
            throw FormatError("meta event type above 127" + At(trackIndex_, tick));
        put(0xFF);
        put(metaType);
        putLengthAndData(data, size);
        runningStatus_ = -1;
    } else if (status == 0xF0 || status == 0xF7) {
        put(status);
        putLengthAndData(data, size);
        runningStatus_ = -1;
    } else {
        throw FormatError("event with no valid status byte" + At(trackIndex_, tick));
    }
}

size_t TrackWriter::finish(uint32_t endTick) {
    putNumber(std::max(endTick, previousTick_) - previousTick_);
    const uint8_t end[] = {0xFF, kEndOfTrack, 0x00};
    put(end, sizeof end);
    if (bodySize_ > std::numeric_limits<uint32_t>::max()) throw FormatError("track too long");
    if (out_) {
        for (int i = 0; i < 4; ++i) (*out_)[start_ + 4 + i] = uint8_t(bodySize_ >> (8 * (3 - i)));
    }
    return 8 + bodySize_;
}

std::vector<uint8_t> Write(const File& file) {
    std::vector<uint8_t> out;
    PutHeader(out, file.format, file.tracks.size(), file.division);
    for (size_t index = 0; index < file.tracks.size(); ++index) {
        const Track& track = file.tracks[index];
        TrackWriter writer(&out, index);
        for (const Event& e : track.events)
            writer.add(e.tick, e.status, e.metaType, e.data.data(), e.data.size());
        writer.finish(track.endTick);
    }
    return out;
}

}  // namespace smf
