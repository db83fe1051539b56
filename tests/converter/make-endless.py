#!/usr/bin/env python3
"""Writes a copy of an RCP 2.x song in which every loop played twice plays endlessly instead
(its loop-end count 2 becomes 0), as in game music, so that the fade out of endless loops can be
checked on real music. Only the count bytes change: nothing moves, so the song's same-measure
references still point where they did. Converted with two passes and no fade, the copy gives
the original's file.

    tests/converter/make-endless.py SONG.rcp COPY.rcp

Exits 1, writing nothing, when the song is no RCP 2.x song or has no loop played twice.
"""
import sys

SIGNATURE = b"RCM-PC98V2.0(C)COME ON MUSIC"
HEADER, TRACK_HEADER, EVENT = 0x586, 0x2C, 4
LOOP_END = 0xF8


def endless_copy(song):
    """The copy's bytes and how many loops it made endless."""
    data = bytearray(song)
    if not data.startswith(SIGNATURE) or len(data) < HEADER:
        return data, 0
    tracks = {0: 18, 0x12: 18, 0x24: 36}.get(data[0x1E6], 18)
    position, changed = HEADER, 0
    for _ in range(tracks):
        if position + TRACK_HEADER > len(data):
            break
        raw = data[position] | data[position + 1] << 8
        size = (raw & 0xFFFC) | (raw & 3) << 16  # large tracks keep bits 16-17 in the low bits
        if size < TRACK_HEADER or position + size > len(data):
            break
        for event in range(position + TRACK_HEADER, position + size - EVENT + 1, EVENT):
            if data[event] == LOOP_END and data[event + 1] == 2:
                data[event + 1] = 0
                changed += 1
        position += size
    return data, changed


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as handle:
        data, changed = endless_copy(handle.read())
    if not changed:
        return 1
    with open(sys.argv[2], "wb") as handle:
        handle.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
