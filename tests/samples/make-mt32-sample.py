#!/usr/bin/env python3
"""Writes a small song written for the MT-32 into the folder given, for the demo:
- "mt32.rcp": an RCP 2.x song ("MT-32 demo song") naming the setup file "MT32DEMO.CM6": a pad
  on channel 2, a melody on channel 3 (a program change to 20 halfway, a pitch bend, a pan
  change), a bass line on channel 4 and drums on channel 10, plus a bank select and a reverb
  send, which the MT-32 ignores;
- "MT32DEMO.CM6": its setup, laid out as the MT-32's memory: the parts on their power-on
  channels 2-10; part 1 plays the custom timbre "MY PAD", part 2 Flute 1 panned right, part 3
  Elec Bass1; program 20 re-pointed to Trumpet 1 with a bend range of 2; hall reverb."""
import struct
import sys
from pathlib import Path


def text(value, size, fill=b" "):
    return value[:size].ljust(size, fill)


def cm6():
    data = bytearray(0x5849)
    data[0:13] = b"COME ON MUSIC"
    data[0x10:0x17] = b"R MT-32"
    # System area: tune, reverb hall / time 5 / level 4, partial reserves, channels, volume.
    data[0x80:0x97] = bytes([0x4A, 1, 5, 4, 10, 8, 4, 0, 0, 0, 0, 0, 10,
                             1, 2, 3, 4, 5, 6, 7, 8, 9, 100])
    # Patch temporary area, 16 bytes a part: group, timbre, key shift, fine tune, bend range,
    # assign mode, reverb switch, -, level, panpot (0 right ... 14 left).
    parts = [[2, 0, 24, 50, 12, 0, 1, 0, 85, 10],   # custom timbre 1, "MY PAD"
             [1, 8, 24, 50, 12, 0, 1, 0, 100, 3],   # Flute 1
             [1, 2, 24, 50, 12, 0, 0, 0, 95, 7]]    # Elec Bass1, no reverb
    parts += [[0, 0, 24, 50, 12, 0, 1, 0, 80, 7]] * 5
    for number, fields in enumerate(parts):
        data[0xA0 + 16 * number:0xA0 + 16 * number + len(fields)] = bytes(fields)
    # Rhythm setup, keys 24-108: bass drum, snare and closed hi-hat on their usual keys.
    for key in range(24, 109):
        timbre = {35: 64, 36: 64, 38: 65, 42: 70}.get(key, 64)
        data[0x130 + 4 * (key - 24):0x134 + 4 * (key - 24)] = bytes([timbre, 100, 7, 1])
    data[0x284:0x28E] = b"MY PAD    "  # part 1's timbre temporary area
    # Patch memory: program n plays preset n, bend range 12; program 20 plays Trumpet 1.
    for program in range(128):
        fields = [program // 64, program % 64, 24, 50, 12, 0, 1, 0]
        if program == 20:
            fields = [1, 24, 24, 50, 2, 0, 1, 0]
        data[0xA34 + 8 * program:0xA3C + 8 * program] = bytes(fields)
    data[0xE34:0xE3E] = b"MY PAD    "  # custom timbre 1
    return bytes(data)


def song():
    header = text(b"RCM-PC98V2.0(C)COME ON MUSIC\r\n", 32, b"\x00")
    header += text(b"MT-32 demo song", 64)
    header += b" " * 336 + b"\x40" * 16
    header += bytes([48, 110, 4, 4, 0, 0])  # timebase, tempo, time signature, key, play bias
    header += text(b"MT32DEMO.CM6", 16) + b" " * 16  # the CM6 file, no GSD file
    header += bytes([18, 0]) + bytes(14) + bytes(16)
    header += (text(b"", 14) + bytes([36, 1])) * 32
    header += (text(b"", 24) + b"\xf7" * 24) * 8
    assert len(header) == 0x586

    def track(number, channel, memo, events):
        body = b"".join(bytes(e) for e in events) + b"\xfe\x00\x00\x00"
        return struct.pack("<H", 0x2C + len(body)) + bytes([number, 0, channel, 0, 0, 0]) + \
            text(memo, 36) + body

    def chord(keys, step, gate, velocity):
        return [[k, 0, gate, velocity] for k in keys[:-1]] + [[keys[-1], step, gate, velocity]]

    pad = [[0xEB, 0, 0, 8]]  # a bank select: the MT-32 has no banks
    for keys in ([60, 64, 67], [57, 60, 64], [53, 57, 60], [55, 59, 62]) * 2:
        pad += chord(keys, 192, 184, 70)
    melody = [[0xEB, 0, 91, 100]]  # a reverb send: the MT-32's reverb is a switch per patch
    for key in (72, 74, 76, 79, 77, 76, 74, 72):
        melody.append([key, 48, 44, 100])
    melody += [[0xEE, 0, 0, 0x48], [74, 96, 90, 100], [0xEE, 0, 0, 0x40]]  # bent up a little
    melody += [[0xEC, 0, 20, 0], [0xEB, 0, 10, 30]]  # program 20; pan towards the left
    for key in (67, 72, 76, 79, 76, 72, 74, 71):
        melody.append([key, 48, 44, 100])
    melody.append([72, 96, 90, 100])
    bass = [[key, 96, 90, 90] for key in (36, 33, 29, 31) * 4]
    drums = []
    for bar in range(8):
        for beat in range(4):
            drums += [[42, 0, 10, 70], [36 if beat % 2 == 0 else 38, 48, 20, 100]]
    tracks = (track(1, 1, b"Pad", pad) + track(2, 2, b"Melody", melody) +
              track(3, 3, b"Bass", bass) + track(4, 9, b"Drums", drums))
    for number in range(5, 19):
        tracks += track(number, 0xFF, b"", [])
    return header + tracks


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "mt32.rcp").write_bytes(song())
    (folder / "MT32DEMO.CM6").write_bytes(cm6())


if __name__ == "__main__":
    main()
