#!/usr/bin/env python3
"""Writes the demo's own sample songs into the folder given: "demo.rcp", a few bytes that
stand for a sequencer song (the stand-in converter accepts any bytes), and "demo.mid", a small
valid Standard MIDI File (format 0, one track, a rising C major scale)."""
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


def scale_track():
    events = b"\x00\xff\x51\x03\x07\xa1\x20"  # tempo 500000 us per quarter note
    events += b"\x00\xff\x03\x0aDemo scale"
    for note in (60, 62, 64, 65, 67, 69, 71, 72):
        events += b"\x00" + bytes([0x90, note, 0x60])
        events += var_len(240) + bytes([0x80, note, 0x40])
    events += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(events)) + events


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "demo.mid").write_bytes(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + scale_track())
    (folder / "demo.rcp").write_bytes(b"Vellacord demo song: bytes for the converter\r\n" * 4)


if __name__ == "__main__":
    main()
