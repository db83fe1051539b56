#!/usr/bin/env python3
"""Writes the demo's own sample songs into the folder given:
- "demo.rcp": a small RCP 2.x song ("Vellacord demo song": a melody on channel 1 over a bass
  line on channel 2, one bar line per measure), written field by field as the format lays out;
- "demo.mid": a small valid Standard MIDI File (format 0, one track, a rising C major scale);
- "knife.mid": a format 1 file with something for each post-processing option to change: a GS
  "use for rhythm part" message for channel 3 with notes there, a bank select that no program
  change follows, and a sustain pedal held over released notes;
- "knife-mac.mid": the same file behind a 128-byte MacBinary header."""
import struct
import sys
from pathlib import Path


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def track_chunk(events):
    events += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(events)) + events


def scale_track():
    events = b"\x00\xff\x51\x03\x07\xa1\x20"  # tempo 500000 us per quarter note
    events += b"\x00\xff\x03\x0aDemo scale"
    for note in (60, 62, 64, 65, 67, 69, 71, 72):
        events += b"\x00" + bytes([0x90, note, 0x60])
        events += var_len(240) + bytes([0x80, note, 0x40])
    return track_chunk(events)


def knife_file():
    """Three tracks at 480 ticks per quarter note."""
    setup = b"\x00\xff\x03\x0aKnife demo"
    setup += b"\x00\xff\x51\x03\x07\xa1\x20"
    # GS: part 3 (x = 3) used for rhythm (vv = 1); the checksum makes the address and data sum
    # to a multiple of 128.
    body = bytes([0x40, 0x13, 0x15, 0x01])
    setup += b"\x00" + bytes([0xF0, 10]) + bytes([0x41, 0x10, 0x42, 0x12]) + body + \
        bytes([(128 - sum(body) % 128) % 128, 0xF7])
    drums = b"\x00\xc2\x00"  # program on the rhythm channel
    for i in range(8):
        drums += b"\x00" + bytes([0x92, 36 if i % 2 == 0 else 38, 100])
        drums += var_len(240) + bytes([0x82, 36 if i % 2 == 0 else 38, 0])
    piano = b"\x00\xb0\x00\x08" + b"\x00\xb0\x20\x00"  # bank select with no program change
    piano += b"\x00\xb0\x40\x7f"  # pedal down
    for note in (60, 64, 67, 72):
        piano += b"\x00" + bytes([0x90, note, 90]) + var_len(240) + bytes([0x80, note, 0])
    piano += var_len(960) + b"\xb0\x40\x00"  # pedal up a bar later
    return (b"MThd" + struct.pack(">IHHH", 6, 1, 3, 480) + track_chunk(setup) +
            track_chunk(drums) + track_chunk(piano))


def macbinary(name, data):
    header = bytearray(128)
    header[1] = len(name)
    header[2:2 + len(name)] = name
    header[65:69] = b"Midi"
    header[69:73] = b"Vlcd"
    header[83:87] = struct.pack(">I", len(data))
    return bytes(header) + data + bytes(-len(data) % 128)


def text(value, size, fill=b" "):
    return value[:size].ljust(size, fill)


def rcp_song():
    """RCP 2.x: a 0x586-byte header, then 18 tracks of 4-byte events (note, step, gate,
    velocity), each ended by FE. Timebase 48, 120 quarter notes per minute, 4/4."""
    header = text(b"RCM-PC98V2.0(C)COME ON MUSIC\r\n", 32, b"\x00")
    header += text(b"Vellacord demo song", 64)
    header += b" " * 336 + b"\x40" * 16
    header += bytes([48, 120, 4, 4, 0, 0])  # timebase, tempo, time signature, key, play bias
    header += b" " * 16 + b" " * 16  # no control files
    header += bytes([18, 0]) + bytes(14) + bytes(16)  # tracks, timebase high byte
    header += (text(b"", 14) + bytes([36, 1])) * 32  # rhythm names
    header += (text(b"", 24) + b"\xf7" * 24) * 8  # user exclusives, unused
    assert len(header) == 0x586

    def track(number, channel, memo, notes):
        events, ticks = b"", 0
        for note, step, gate, velocity in notes:
            events += bytes([note, step, gate, velocity])
            ticks += step
            if ticks % (4 * 48) == 0:
                events += b"\xfd\x00\x00\x00"  # bar line
        events += b"\xfe\x00\x00\x00"
        return struct.pack("<H", 0x2C + len(events)) + bytes([number, 0, channel, 0, 0, 0]) + \
            text(memo, 36) + events

    melody = [(n, 48, 44, 100) for n in (72, 76, 79, 76, 77, 74, 71, 74, 72, 67, 64, 67, 72, 72)]
    melody += [(0, 48, 0, 0)] * 2  # rests: gate and velocity 0
    bass = [(n, 96, 90, 80) for n in (48, 43, 41, 43, 45, 41, 43, 48)]
    tracks = track(1, 0, b"Melody", melody) + track(2, 1, b"Bass", bass)
    for number in range(3, 19):
        tracks += track(number, 0xFF, b"", [])
    return header + tracks


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "demo.mid").write_bytes(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + scale_track())
    (folder / "demo.rcp").write_bytes(rcp_song())
    knife = knife_file()
    (folder / "knife.mid").write_bytes(knife)
    (folder / "knife-mac.mid").write_bytes(macbinary(b"Knife demo", knife))


if __name__ == "__main__":
    main()
