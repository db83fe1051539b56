#!/usr/bin/env python3
"""Writes the small seed corpus of the fuzz targets into tests/fuzz/corpus/<target>/.

The targets read their choices through FuzzedDataProvider, which takes numbers and flags from
the END of the input (most significant byte first) and texts from the front. Each seed is
written as: front text, then the choices in the order the target asks for them, reversed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def u8(v):
    return [v & 0xFF]


def i32(v):
    v &= 0xFFFFFFFF
    return [(v >> 24) & 0xFF, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF]


def u24(v):  # a number in a range that needs three bytes
    return [(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF]


def seed(front=b"", choices=()):
    flat = []
    for c in choices:
        flat += c
    return front + bytes(reversed(flat))


def escaped(text):  # a text read by ConsumeRandomLengthString, ended by "\" plus another byte
    return text.replace(b"\\", b"\\\\") + b"\\;"


# ---- fuzz_orvo_handler: flags, then steps ----
DELIVER, SEND, PUMP, BIND, ADD_ITEM = 0, 4, 5, 6, 7
OPEN, CLOSE, ABORT, MENU, STATUS, USER = 0, 1, 3, 11, 14, 15
orvo = {
    "abort-bound": [u8(3), u8(DELIVER), u8(ABORT), i32(0), u8(0)],
    "click-deletes-own-item": [u8(3), u8(ADD_ITEM), u8(0), u8(2), u8(0),
                               u8(DELIVER), u8(MENU), u8(1), u8(1), u8(0), u8(0)],
    "user-posts-to-self": [u8(0), u8(DELIVER), u8(USER), u8(2), i32(5),
                           u8(1), u8(USER), u8(1), i32(0), u8(PUMP), u8(0)],
    "display-menu": [u8(3), u8(DELIVER), u8(STATUS), u8(22), u8(1), u8(0), u8(2),
                     u8(0), u8(2), u8(1), u8(1), u8(3), u8(0)],
    "close-open": [u8(3), u8(DELIVER), u8(CLOSE), i32(0), u8(SEND), u8(OPEN), i32(0x5150),
                   u8(BIND), u8(0)],
}

# ---- fuzz_plugin_notifications: track, selection, then steps ----
CLICK, SHOW, P_CLOSE, P_OPEN, P_ABORT, DIALOG, DELETE, PLAY = 0, 2, 3, 4, 5, 6, 7, 8
plugin = {
    "menu-for-rcp-track": [u8(0), u8(1), u8(SHOW), u8(1), u8(CLICK), u8(1), u8(4),
                           u8(CLICK), u8(1), u8(5), u8(CLICK), u8(1), u8(6), u8(PLAY), u8(0)],
    "dialog-then-close": [u8(1), u8(1), u8(CLICK), u8(1), u8(0), u8(DIALOG), u8(0),
                          u8(P_CLOSE), u8(P_OPEN), u8(CLICK), u8(1), u8(7)],
    "abort-reopen-exit": [u8(4), u8(1), u8(P_ABORT), u8(P_OPEN), u8(DELETE), u8(1), u8(2),
                          u8(CLICK), u8(1), u8(8), u8(PLAY), u8(1)],
}

# ---- fuzz_cd_track: code page, kind, packed number, then the name ----
def cd(name, kind_index, packed, wide=False):
    return seed(name, [u8(1), u8(1), u8(kind_index), u8(0), u24(packed), u8(1 if wide else 0)])

cd_track = {
    "drive-d-track-3": cd(b"D:\\Track03.cda", 0, 0),
    "drive-e-track-12": cd(b"e:\\track12.cda", 1, 0x00040000),
    "empty-number": cd(b"x:\\track.cda", 0, 0),
    "no-colon": cd(b"track05.cda", 0, 0),
    "dbcs-name": cd(b"f:\\\x83\x5ctrack\x83\x74.cda", 1, 5),
    "wide-name": cd("Z:\\TRACK7.CDA".encode("utf-16-le"), 0, 0, wide=True),
}

# ---- fuzz_settings: flags at the end, settings file text in front ----
settings = {
    "both-converters-cache-1": seed(b"[Vellacord]\nCache=1\nRCPCV=1\nSMFKnife=1\n"
                                    b"SMFKConfig=C:\\cfg\\a.cfg\n", [u8(0x28)]),
    "negative-cache": seed(b"[vellacord]\r\ncache = -5\r\nSMFKCh10=0\r\nSMFKMac=x\r\n", [u8(0)]),
    "missing-libraries": seed(b"[Vellacord]\nRCPCV=1\nSMFKnife=7\n", [u8(3)]),
    "work-dir-and-plays": seed(escaped(b"D:\\Work\\") + b"[Vellacord]\nRCPCV=1\nSMFKnife=1\n"
                               b"SMFKConfig=\"C:\\cfg\\q.cfg\"\n[SMFKnife]\nC:\\Songs\\a.rcp=x\n",
                               [u8(0x3C)]),
    "empty": seed(b"", [u8(0)]),
}

# ---- fuzz_mbcs_paths: code page at the end, the new extension, then the path ----
def mb(path, ext=b".ini", cp932=True):
    return seed(escaped(ext) + path, [u8(1 if cp932 else 0)])

mbcs = {
    "trail-5c": mb(b"C:\\\x83\x5c\\\x95\x5c.mid"),
    "lead-at-end": mb(b"C:\\dir.x\\name\x81"),
    "drive-root": mb(b"C:\\", b".mid"),
    "single-byte": mb(b"C:\\\x83\x5c\\a.b.Rcp", b"", cp932=False),
    "colon-after-period": mb(b"a.b:c", b".x"),
}

for target, seeds in [("fuzz_orvo_handler", orvo), ("fuzz_plugin_notifications", plugin),
                      ("fuzz_cd_track", cd_track), ("fuzz_settings", settings),
                      ("fuzz_mbcs_paths", mbcs)]:
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, content in seeds.items():
        data = content if isinstance(content, bytes) else seed(b"", content)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


# ---- fuzz_knife: option flags at the end, an optional configuration text, then the file ----
def be(value, count):
    return bytes((value >> (8 * i)) & 0xFF for i in reversed(range(count)))


def smf(fmt, tracks, division=96):
    out = b"MThd" + be(6, 4) + be(fmt, 2) + be(len(tracks), 2) + be(division, 2)
    for body in tracks:
        body = bytes(body) + b"\x00\xff\x2f\x00"
        out += b"MTrk" + be(len(body), 4) + body
    return out


CH10, BANK, CC64, MAC, CONFIG = 1, 2, 4, 8, 16
song = smf(1, [[0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20],
               [0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x1A, 0x15, 0x02, 0x0F, 0xF7,
                0x00, 0xB0, 0x00, 0x01, 0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x50,
                0x00, 0xB0, 0x40, 0x7F, 0x10, 0x80, 0x3C, 0x00, 0x00, 0x9A, 0x24, 0x64,
                0x10, 0x3C, 0x60, 0x10, 0xB0, 0x40, 0x00, 0x00, 0xB1, 0x20, 0x02,
                0x00, 0xA0, 0x3C, 0x10, 0x00, 0xE1, 0x00, 0x40, 0x00, 0x8A, 0x24, 0x00]])
rmid = (b"RIFF" + len(song).to_bytes(4, "little") + b"RMID" + b"data" +
        len(song).to_bytes(4, "little") + song)
knife = {
    "untouched": song + bytes([0]),
    "all-options": song + bytes([CH10 | BANK | CC64]),
    "format-0-running-status": smf(0, [[0x00, 0x90, 0x3C, 0x40, 0x10, 0x3E, 0x40,
                                        0x10, 0x3C, 0x00, 0x00, 0x3E, 0x00]]) + bytes([CC64]),
    "rmid": rmid + bytes([BANK]),
    "macbinary": bytes(128) + song + bytes([MAC | CH10]),
    "config": escaped(b"target gm\nrhythm 2\ntranspose all 3\nvelocity 1 200\n"
                      b"program all 6 7\nchannel 1 3\ndrop pitchbend all\n")
              + song + bytes([CONFIG | BANK | CH10]),
}
folder = os.path.join(HERE, "corpus", "fuzz_knife")
os.makedirs(folder, exist_ok=True)
for name, content in knife.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(content)

# ---- fuzz_mt32: flags (bit 0 GM, bit 1 a setup named, bits 2-3 tracks - 1), then records of
# track, tick delta, kind (0 channel message, 1 MT-32 data set of an address and 1-24 bytes,
# bit 2 a wrong checksum; 2 port;
# 3 a reset) and the kind's bytes ----
def data_set(track, delta, unit, address_and_data, wrong=False):
    return [track, delta, 5 if wrong else 1, unit, len(address_and_data) - 4] + address_and_data


def channel(track, delta, status, a, b=0):
    return [track, delta, 0, status - 0x80, a, b]


mt32 = {
    "setup-named-notes": bytes([2 | 4] + channel(0, 0, 0x91, 60, 100) + channel(1, 0, 0xC1, 10)
                               + channel(1, 10, 0x91, 62, 90) + channel(0, 20, 0x81, 60, 0)),
    "system-and-patches": bytes([1 | 8] + data_set(0, 0, 0x10, [0x10, 0, 0x0D, 0, 1, 2, 3, 4, 5, 6, 7, 10])
                                + data_set(1, 0, 0x10, [0x03, 0, 0, 2, 3, 30, 60, 24, 1, 1, 0, 90, 3])
                                + data_set(2, 0, 0x10, [0x08, 6, 0, 77, 89, 32, 80, 65, 68])
                                + channel(0, 5, 0x9A, 36, 100) + channel(1, 0, 0xC0, 4)
                                + channel(1, 0, 0x90, 60, 80) + [0, 0, 2, 1]
                                + channel(0, 4, 0xB0, 10, 3)),
    "part-unit-and-bad-sum": bytes([0] + data_set(0, 0, 0x01, [0, 0, 4, 7], wrong=True)
                                   + data_set(0, 0, 0x01, [0, 0, 4, 7]) + [0, 0, 3]
                                   + channel(0, 1, 0x91, 70, 70) + channel(0, 1, 0xB1, 101, 0)
                                   + channel(0, 0, 0xB1, 100, 0) + channel(0, 0, 0xB1, 6, 40)),
}
folder = os.path.join(HERE, "corpus", "fuzz_mt32")
os.makedirs(folder, exist_ok=True)
for name, content in mt32.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(content)

# ---- fuzz_rcp_convert: the real songs of the shared corpus, byte for byte ----
songs = os.path.join(HERE, "..", "..", "..", "shared", "corpus", "rcp")
if os.path.isdir(songs):
    folder = os.path.join(HERE, "corpus", "fuzz_rcp_convert")
    os.makedirs(folder, exist_ok=True)
    for name in sorted(os.listdir(songs)):
        if name.lower().endswith(".rcp"):
            with open(os.path.join(songs, name), "rb") as src, \
                    open(os.path.join(folder, name), "wb") as dst:
                dst.write(src.read())


def gs_setup():
    """A GS setup file in a module's start state, but for one part's key shift out of range."""
    gsd = bytearray(0xA71)
    gsd[0:13] = b"COME ON MUSIC"
    gsd[0x0E:0x1C] = b"GS CONTROL 1.0"
    gsd[0x20:0x36] = bytes([0, 4, 0, 0, 0x7F, 0x40, 0x40, 4, 4, 0, 0x40, 0x40, 0, 0,
                            2, 0, 0x40, 8, 0x50, 3, 0x13, 0])
    for channel in range(16):
        part = 0x36 + channel * 0x7A
        gsd[part + 2] = channel
        gsd[part + 3:part + 0x14] = bytes([1]) * 17
        gsd[part + 0x14:part + 0x16] = bytes([0, 1] if channel == 9 else [1, 0])
        gsd[part + 0x16:part + 0x23] = bytes([0x40, 8, 0, 100, 0x40, 0x40, 0x40, 0, 0x7F,
                                              0x10, 0x11, 0, 0x28])
        gsd[part + 0x23:part + 0x79] = bytes([0x40]) * 0x56
        gsd[part + 0x79] = 2
    gsd[0x36 + 2 * 0x7A + 0x16] = 0x70
    gsd[0x7D6:0xA6E] = bytes([0x7F, 0x40, 0x7F, 0]) * (2 * 83)
    return bytes(gsd)


# The song's bytes after its own signature double as its control files in the target: a song
# that names a GS setup file, followed by one, reaches the setup's reader.
if os.path.isdir(songs):
    with open(os.path.join(songs, "small-test-a.rcp"), "rb") as src, \
            open(os.path.join(folder, "with-gs-setup.rcp"), "wb") as dst:
        song = bytearray(src.read())
        song[0x1D6:0x1E6] = b"SETUP.GSD".ljust(16)
        dst.write(bytes(song) + gs_setup())
