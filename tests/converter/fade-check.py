#!/usr/bin/env python3
"""How songs end, checked through an independent reader.

For every song of the corpus, converts it with our command line at the default settings, reads
the file with midicsv and checks it against what `--info` reports:
  - the file is accepted, and it lasts the `length:` reported (its last event, through the
    tempo map, within a millisecond);
  - a song that fades (the `fade:` window of `--info`): the level of every channel that plays,
    on every port, never rises from one tick to the next inside the fade and is zero at its
    end; no note starts at or after the end and every note is released by then; the events
    after the last note-off restore every such level to non-zero, so that the next song on the
    device is heard;
  - a song without an endless loop: the same bytes with `--fade 0` as with the defaults.
Every song that has loops played twice is checked once more as a copy in which these loops are
endless (tests/converter/make-endless.py): it must fade as above, and with `--loops 2 --fade 0`
give the very bytes of the original.
The level of a channel is M x V/127 x E/127, every message that sets one of them counted:
  M, the port's master volume, default full: the universal master volume
    (F0 7F dev 04 01 lsb msb F7, lsb|msb<<7 / 16383), the GS master volume
    (F0 41 dev 42 12 40 00 04 v sum F7, v/127) and the XG one (F0 43 1n 4C 00 00 04 v F7);
  V, the channel's volume, default 100: CC#7, the GS part level (F0 41 dev 42 12 40 1x 19 v sum
    F7; block x 0 is channel 10, 1-9 channels 1-9, A-F channels 11-16) and the XG part volume
    (F0 43 1n 4C 08 part 0B v F7, part p on channel p);
  E, the channel's expression, default 127: CC#11;
  the GS reset (40 00 7F 00), GM System On (F0 7E dev 09 01 F7) and XG System On (00 00 7E 00)
    set all three back to their defaults on every channel of the port.
All tracks are merged in time order and the level is taken after all events of a tick; a
track's port is its port meta event's (FF 21), else 0.

    tests/converter/fade-check.py CLI [CORPUS]
    tests/converter/fade-check.py --length FILE.mid   (prints how long the file plays, in s)
    tests/converter/fade-check.py --fades FILE.mid START END   (one file, the window in s)

Prints one line per song and "N passed, N failed"; exits nonzero when a song fails. Skips,
saying so, where midicsv is missing.
"""
import os
import re
from fractions import Fraction
import shutil
import subprocess
import sys
import tempfile

MAKE_ENDLESS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "make-endless.py")
FULL_MASTER, DEFAULT_VOLUME, FULL_EXPRESSION = 16383, 100, 127
# --info prints seconds to the millisecond.
SECONDS_TOLERANCE = 0.0015


class Song:
    """A Standard MIDI File as midicsv reads it: events merged in time order (ties in track
    order), the tempo map, and which channels of which ports play notes."""

    def __init__(self, path):
        text = subprocess.run(["midicsv", path], capture_output=True, check=True).stdout
        self.division, self.events, self.tempos, ports = 0, [], [], {}
        for order, raw in enumerate(text.decode("latin-1").splitlines()):
            fields = [f.strip() for f in raw.split(",")]
            if len(fields) < 3:
                continue
            track, tick, kind, values = int(fields[0]), int(fields[1]), fields[2], fields[3:]
            if kind == "Header":
                self.division = int(values[2])
            elif kind == "Tempo":
                self.tempos.append((tick, int(values[0])))
            elif kind == "MIDI_port":
                ports[track] = int(values[0])
            self.events.append((tick, track, order, kind, values))
        self.events.sort(key=lambda e: e[:3])
        self.tempos.sort()
        self.ports = ports
        self.playing = {(self.port(e), int(e[4][0])) for e in self.events if e[3] == "Note_on_c"}

    def port(self, event):
        return self.ports.get(event[1], 0)

    def seconds(self, tick):
        at, tempo, total = 0, 500000, 0.0
        for change, value in self.tempos:
            if change >= tick:
                break
            total += (change - at) * tempo / 1e6 / self.division
            at, tempo = change, value
        return total + (tick - at) * tempo / 1e6 / self.division

    def tick(self, seconds):
        """The tick nearest to `seconds`."""
        at, tempo, total = 0, 500000, 0.0
        for change, value in self.tempos:
            span = (change - at) * tempo / 1e6 / self.division
            if total + span > seconds:
                break
            total, at, tempo = total + span, change, value
        return at + round((seconds - total) * 1e6 * self.division / tempo)

    def last_tick(self):
        return max(e[0] for e in self.events)


def matches(data, size, head):
    """Whether the exclusive's bytes (after F0) are `size` long and start as `head` (None: any)."""
    return len(data) == size and all(h is None or h == d for h, d in zip(head, data))


class Levels:
    """Master volume per port (a share of full), volume and expression per channel, as the
    events set them."""

    def __init__(self):
        self.master, self.volume, self.expression = {}, {}, {}

    def apply(self, port, kind, values):
        if kind == "Control_c":
            channel, number, value = (int(v) for v in values[:3])
            if number == 7:
                self.volume[port, channel] = value
            elif number == 11:
                self.expression[port, channel] = value
        elif kind == "System_exclusive":
            self.exclusive(port, [int(v) for v in values[1:]])  # without F0, with F7

    def exclusive(self, port, data):
        gs, xg = (0x41, None, 0x42, 0x12, 0x40), (0x43, None, 0x4C)
        if matches(data, 7, (0x7F, None, 4, 1)) and data[6] == 0xF7:
            self.master[port] = Fraction(data[4] | data[5] << 7, FULL_MASTER)
        elif matches(data, 10, gs + (0, 4)):
            self.master[port] = Fraction(data[7], 127)
        elif matches(data, 8, xg + (0, 0, 4)) and data[1] >> 4 == 1:
            self.master[port] = Fraction(data[6], 127)
        elif matches(data, 10, gs) and data[5] >> 4 == 1 and data[6] == 0x19:
            block = data[5] & 15
            self.volume[port, 9 if block == 0 else block - 1 if block < 10 else block] = data[7]
        elif matches(data, 8, xg + (8,)) and data[1] >> 4 == 1 and data[4] < 16 and data[5] == 11:
            self.volume[port, data[4]] = data[6]
        elif (matches(data, 5, (0x7E, None, 9, 1, 0xF7)) or matches(data, 10, gs + (0, 0x7F, 0))
              or (matches(data, 8, xg + (0, 0, 0x7E, 0)) and data[1] >> 4 == 1)):
            self.master.pop(port, None)
            for levels in (self.volume, self.expression):
                for key in [k for k in levels if k[0] == port]:
                    del levels[key]

    def of(self, port, channel):
        """The level, exactly: M x V x E, full scale 127 x 127."""
        return (self.master.get(port, 1)
                * self.volume.get((port, channel), DEFAULT_VOLUME)
                * self.expression.get((port, channel), FULL_EXPRESSION))


def check_fade(song, start_seconds, end_seconds):
    """Problems of a fading song (empty when it ends as it should) and a short summary."""
    start, end = song.tick(start_seconds), song.tick(end_seconds)
    events = song.events
    notes = [i for i, e in enumerate(events) if e[3] in ("Note_on_c", "Note_off_c")]
    before_end = [i for i, e in enumerate(events) if e[0] < end]
    # The fade runs up to its end and to the last note; what follows is the song's ending.
    split = max(notes[-1:] + before_end[-1:] + [-1]) + 1
    problems, levels, sounding = [], Levels(), {}
    previous, steps, index = None, 0, 0
    while index < split:
        tick = events[index][0]
        while index < split and events[index][0] == tick:
            _, _, _, kind, values = event = events[index]
            port = song.port(event)
            levels.apply(port, kind, values)
            if kind in ("Note_on_c", "Note_off_c"):
                key = (port, int(values[0]), int(values[1]))
                if kind == "Note_on_c" and int(values[2]) > 0:
                    sounding[key] = sounding.get(key, 0) + 1
                    if tick >= end:
                        problems.append("a note starts at tick %d, the fade ends at %d"
                                        % (tick, end))
                elif sounding.get(key):
                    sounding[key] -= 1
                    if tick > end:
                        problems.append("a note ends at tick %d, the fade ends at %d"
                                        % (tick, end))
            index += 1
        if tick < start:  # before the fade: only the levels it starts from
            continue
        now = {playing: levels.of(*playing) for playing in song.playing}
        if previous:
            risen = [p for p in now if now[p] > previous[p]]
            if risen:
                problems.append("the level of port %d channel %d rises at tick %d (%.3f s)"
                                % (risen[0] + (tick, song.seconds(tick))))
            steps += sum(now[p] < previous[p] for p in now)
        previous = now
    if any(sounding.values()):
        problems.append("%d notes are still sounding at the fade's end"
                        % sum(sounding.values()))
    loud = [p for p in song.playing if levels.of(*p) != 0]
    if loud:
        problems.append("port %d channel %d is not silent at the fade's end" % loud[0])
    for event in events[split:]:
        levels.apply(song.port(event), event[3], event[4])
    silent = [p for p in song.playing if levels.of(*p) == 0]
    if silent:
        problems.append("port %d channel %d stays silent after the song" % silent[0])
    return problems, "level down in %d steps on %d channels, then restored" % (
        steps, len(song.playing))


def info(cli, path, options=()):
    run = subprocess.run([cli, "--info", *options, path], capture_output=True, check=True)
    return run.stdout.decode("latin-1")


def field(text, name):
    found = re.search(r"^%s: (.*)$" % re.escape(name), text, re.M)
    return found.group(1).strip() if found else None


def same_bytes(first, second):
    with open(first, "rb") as a, open(second, "rb") as b:
        return a.read() == b.read()


def check_song(cli, path, work, original=None):
    """(ok, text) for one song; `original` is the song an endless copy was made from."""
    converted = os.path.join(work, "default.mid")
    run = subprocess.run([cli, path, converted], capture_output=True)
    if run.returncode != 0:
        return False, "conversion failed: " + run.stderr.decode(errors="replace").strip()
    described = info(cli, path)
    length, endless, fade = (field(described, n) for n in ("length", "endless loop", "fade"))
    if length is None or endless not in ("yes", "no"):
        return False, "--info reports no length or endless loop"
    seconds = float(length.split()[0])
    try:
        song = Song(converted)
    except subprocess.CalledProcessError as error:
        return False, "midicsv rejected the file: %s" % error.stderr.decode(errors="replace")
    problems = []
    lasts = song.seconds(song.last_tick())
    if abs(lasts - seconds) > SECONDS_TOLERANCE:
        problems.append("the file lasts %.3f s, --info says %.3f s" % (lasts, seconds))
    if endless == "no":
        plain = os.path.join(work, "no-fade.mid")
        subprocess.run([cli, "--fade", "0", path, plain], capture_output=True, check=True)
        if not same_bytes(converted, plain):
            problems.append("--fade 0 changes a song without an endless loop")
        summary = "no endless loop, the same bytes at --fade 0"
        if original:
            problems.append("the copy made to loop endlessly does not")
    elif fade is None:
        problems.append("an endless loop but no fade at the defaults")
        summary = ""
    else:
        window = re.fullmatch(r"([0-9.]+) s to ([0-9.]+) s", fade)
        if not window:
            return False, "unreadable fade line: " + fade
        start, end = float(window.group(1)), float(window.group(2))
        found, summary = check_fade(song, start, end)
        problems += found
        once = field(info(cli, path, ("--loops", "1", "--fade", "0")), "length")
        summary = "fade %.3f-%.3f s, %s; once without a fade: %s" % (start, end, summary, once)
        if original:
            ours, theirs = os.path.join(work, "twice.mid"), os.path.join(work, "original.mid")
            subprocess.run([cli, "--loops", "2", "--fade", "0", path, ours], check=True)
            subprocess.run([cli, original, theirs], check=True)
            if not same_bytes(ours, theirs):
                problems.append("at --loops 2 --fade 0 the copy differs from the original")
    text = "%9.3f s  %s" % (seconds, summary)
    if problems:
        return False, text + "\n    FAIL " + "\n    FAIL ".join(problems[:3])
    return True, text + "  ok"


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if sys.argv[1] == "--length" and len(sys.argv) == 3:
        song = Song(sys.argv[2])
        print("%.3f" % song.seconds(song.last_tick()))
        return 0
    if sys.argv[1] == "--fades" and len(sys.argv) == 5:
        problems, summary = check_fade(Song(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]))
        print("\n".join("FAIL " + p for p in problems) or summary)
        return 1 if problems else 0
    cli = os.path.abspath(sys.argv[1])
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    corpus = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "..", "shared", "corpus",
                                                                  "rcp")
    if not shutil.which("midicsv"):
        print("fade check skipped: midicsv not installed (scripts/setup.sh installs it)")
        print("0 passed, 0 failed")
        return 0
    if not os.path.isdir(corpus):
        print("fade check skipped: no song corpus at %s" % corpus)
        print("0 passed, 0 failed")
        return 0
    songs = sorted(f for f in os.listdir(corpus) if f.lower().endswith((".rcp", ".r36", ".g36",
                                                                         ".g18")))
    passed = failed = 0
    with tempfile.TemporaryDirectory() as work:
        endless = os.path.join(work, "endless.rcp")
        for name in songs:
            path = os.path.join(corpus, name)
            runs = [(name, path, None)]
            if subprocess.run([sys.executable, MAKE_ENDLESS, path, endless]).returncode == 0:
                runs.append((name + " made endless", endless, path))
            for label, song, original in runs:
                try:
                    ok, text = check_song(cli, song, work, original)
                except subprocess.CalledProcessError as error:
                    ok, text = False, "FAIL: %s" % error
                print("%-30s %s" % (label, text))
                passed, failed = passed + ok, failed + (not ok)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
