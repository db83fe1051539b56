// The post-processor's own model of a MIDI file, compact enough that a whole song, the file it
// was read from and the file written from it fit in a few times the file's size: each event is
// eight bytes, and a meta or system exclusive event's bytes stay where they lie in the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace knife {

// A meta or system exclusive event's bytes, where they lie.
struct LongEvent {
    uint8_t status;    // 0xF0, 0xF7 or 0xFF
    uint8_t metaType;  // meta events only
    const uint8_t* data;
    uint32_t size;
};

struct Event {
    uint32_t tick;
    // A channel message: status << 24 | data1 << 16 | data2 << 8 (the top bit is the status's);
    // a meta or system exclusive event: the offset of its status byte in the song's bytes (see
    // Song::longEvent), below 2^31; 0 marks an event a rule removed (offset 0 holds "MThd").
    uint32_t word;

    static Event Channel(uint32_t tick, uint8_t status, uint8_t data1, uint8_t data2 = 0) {
        return {tick, uint32_t(status) << 24 | uint32_t(data1) << 16 | uint32_t(data2) << 8};
    }
    bool isChannel() const { return word & 0x80000000u; }
    bool removed() const { return word == 0; }
    void remove() { word = 0; }

    // Channel messages only.
    uint8_t status() const { return uint8_t(word >> 24); }
    int channel() const { return status() & 0x0F; }
    int kind() const { return status() & 0xF0; }  // 0x80 note off ... 0xE0 pitch bend
    uint8_t data1() const { return uint8_t(word >> 16); }
    uint8_t data2() const { return uint8_t(word >> 8); }
    int dataLength() const { return kind() == 0xC0 || kind() == 0xD0 ? 1 : 2; }
    void setStatus(int status) { word = (word & 0x00FFFFFFu) | uint32_t(status) << 24; }
    void setData1(int value) { word = (word & 0xFF00FFFFu) | uint32_t(value & 0x7F) << 16; }
    void setData2(int value) { word = (word & 0xFFFF00FFu) | uint32_t(value & 0x7F) << 8; }

    bool isNoteOn() const { return kind() == 0x90 && data2() > 0; }
    bool isNoteOff() const { return kind() == 0x80 || (kind() == 0x90 && data2() == 0); }
};
static_assert(sizeof(Event) == 8, "the memory bound rests on eight bytes an event");

struct Track {
    std::vector<Event> events;  // ticks never decrease
    uint32_t endTick = 0;
};

struct Song {
    uint16_t format = 1;
    uint16_t division = 480;
    std::vector<Track> tracks;
    size_t tracksAnnounced = 0;  // by the header; more than `tracks` when the file lacks some
    size_t endsSupplied = 0;     // tracks that had no end-of-track event

    // The bytes of a meta or system exclusive event (not a removed one).
    LongEvent longEvent(const Event& event) const;
    // A new system exclusive (F0, F7) or meta (FF) event.
    Event addLong(uint32_t tick, uint8_t status, uint8_t metaType,
                  const std::vector<uint8_t>& data);
    // Drops the removed events, in place.
    void compact();

    const uint8_t* source = nullptr;  // the file read; must outlive the song
    size_t sourceSize = 0;
    std::vector<uint8_t> added;  // events the rules add, as a file holds them
};

// Reads `size` bytes starting with "MThd", leniently: a track without its end-of-track event
// (the last one cut short included) ends at its last event, and a header announcing more tracks
// than the file holds gets the tracks present (see smf::Reading). `extraFirst` more events are
// reserved in the first track's buffer, so that a rule inserting that many there never
// reallocates it. Raises smf::FormatError.
Song ReadSong(const uint8_t* data, size_t size, size_t extraFirst);

// The song's bytes, in a buffer of exactly their size. Raises smf::FormatError.
std::vector<uint8_t> WriteSong(const Song& song);

}  // namespace knife
