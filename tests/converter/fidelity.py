#!/usr/bin/env python3
"""Fidelity of the song converter against an independent reader.

For every song of the corpus, converts it with our command line (--loops 1 --fade 0, since the
reference plays an endless loop once and stops) and with timidity's MIDI-file output, reads both
with midicsv and compares the notes one for one: channel, key, velocity, onset and release in quarter notes
within one tick of 144 (the reference's fixed division), and the tempo at each onset within
0.5 %. The reference drops every system exclusive message and knows no control files, so only
notes and tempo are compared; it also cuts the silence before the first event, so both sides
are measured from their first note.

    tests/converter/fidelity.py CLI [CORPUS]

Prints one line per song (notes ours / reference / matched) and "N passed, N failed"; exits
nonzero when a song fails. Skips, saying so, where timidity or midicsv is missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile

TOLERANCE_QUARTERS = 1.0 / 144
TEMPO_TOLERANCE = 0.005


def repair_time_signatures(data):
    """The reference writer declares four bytes for a time signature and writes two. Rewrites
    such an event whole, so that strict readers see the file as it was meant."""
    out = bytearray(data[:14])
    pos = 14
    while pos + 8 <= len(data):
        kind, length = data[pos:pos + 4], int.from_bytes(data[pos + 4:pos + 8], "big")
        body = data[pos + 8:pos + 8 + length]
        if kind == b"MTrk":
            body = repair_track(body)
        out += kind + len(body).to_bytes(4, "big") + body
        pos += 8 + length
    return bytes(out)


def repair_track(body):
    out = bytearray()
    pos, running = 0, None
    while pos < len(body):
        start = pos
        while body[pos] & 0x80:  # delta time
            pos += 1
        pos += 1
        status = body[pos]
        if status == 0xFF:
            meta, length = body[pos + 1], body[pos + 2]
            data = body[pos + 3:pos + 3 + length]
            # A short time signature shows as a status byte where its last values should be.
            if meta == 0x58 and length == 4 and data[3] >= 0x80:
                out += body[start:pos] + bytes([0xFF, 0x58, 4]) + data[:2] + bytes([24, 8])
                pos += 3 + 2
                continue
            pos += 3 + length
            running = None
        elif status in (0xF0, 0xF7):
            length, shift = 0, pos + 1
            while True:
                length = (length << 7) | (body[shift] & 0x7F)
                shift += 1
                if not body[shift - 1] & 0x80:
                    break
            pos = shift + length
            running = None
        else:
            if status & 0x80:
                running = status
                pos += 1
            pos += 1 if running & 0xF0 in (0xC0, 0xD0) else 2
        out += body[start:pos]
    return bytes(out)


def read_csv(path):
    """Notes as (channel, key, velocity, onset, release) in ticks, the tempo map and division."""
    text = subprocess.run(["midicsv", path], capture_output=True, check=True).stdout
    division, notes, tempos, sounding = 0, [], [], {}
    for raw in text.decode("latin-1").splitlines():
        fields = [f.strip() for f in raw.split(",")]
        if len(fields) < 3:
            continue
        track, tick, kind = int(fields[0]), int(fields[1]), fields[2]
        if kind == "Header":
            division = int(fields[5])
        elif kind == "Tempo":
            tempos.append((tick, int(fields[3])))
        elif kind in ("Note_on_c", "Note_off_c"):
            channel, key, velocity = int(fields[3]), int(fields[4]), int(fields[5])
            slot = sounding.setdefault((track, channel, key), [])
            if kind == "Note_on_c" and velocity > 0:
                slot.append((tick, velocity))
            elif slot:
                onset, velocity = slot.pop(0)
                notes.append((channel, key, velocity, onset, tick))
    tempos.sort(key=lambda t: t[0])
    return division, notes, tempos


def tempo_at(tempos, tick):
    current = 500000
    for at, value in tempos:
        if at > tick:
            break
        current = value
    return current


def compare(ours_path, ref_path):
    ours_div, ours, ours_tempo = read_csv(ours_path)
    ref_div, ref, ref_tempo = read_csv(ref_path)
    if not ours or not ref:
        return len(ours), len(ref), 0, "no notes" if ours or ref else ""
    ours_start = min(n[3] for n in ours)
    ref_start = min(n[3] for n in ref)

    def quarters(note, division, start):
        return (note[3] - start) / division, (note[4] - start) / division

    buckets = {}
    for note in ref:
        buckets.setdefault(note[:3], []).append(note)
    matched, problems = 0, []
    for note in sorted(ours, key=lambda n: n[3]):
        onset, release = quarters(note, ours_div, ours_start)
        candidates = buckets.get(note[:3], [])
        for index, other in enumerate(candidates):
            other_onset, other_release = quarters(other, ref_div, ref_start)
            if (abs(onset - other_onset) <= TOLERANCE_QUARTERS + 1e-9
                    and abs(release - other_release) <= TOLERANCE_QUARTERS + 1e-9):
                mine = tempo_at(ours_tempo, note[3])
                theirs = tempo_at(ref_tempo, other[3])
                if abs(mine - theirs) > TEMPO_TOLERANCE * theirs:
                    problems.append("tempo %d vs %d at quarter %.3f" % (mine, theirs, onset))
                else:
                    matched += 1
                del candidates[index]
                break
        else:
            if len(problems) < 3:
                problems.append("unmatched ch %d key %d vel %d at quarter %.3f-%.3f"
                                % (note[0], note[1], note[2], onset, release))
    return len(ours), len(ref), matched, "; ".join(problems[:3])


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    cli = os.path.abspath(sys.argv[1])
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    corpus = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "..", "shared", "corpus",
                                                                  "rcp")
    missing = [tool for tool in ("timidity", "midicsv") if not shutil.which(tool)]
    if missing:
        print("fidelity skipped: %s not installed (scripts/setup.sh installs it)"
              % " and ".join(missing))
        print("0 passed, 0 failed")
        return 0
    if not os.path.isdir(corpus):
        print("fidelity skipped: no song corpus at %s" % corpus)
        print("0 passed, 0 failed")
        return 0
    songs = sorted(f for f in os.listdir(corpus) if f.lower().endswith((".rcp", ".r36", ".g36",
                                                                         ".g18")))
    passed = failed = 0
    print("%-24s %8s %10s %8s" % ("song", "ours", "reference", "matched"))
    with tempfile.TemporaryDirectory() as work:
        config = os.path.join(work, "t.cfg")
        with open(config, "w") as handle:
            handle.write("soundfont /dev/null\n")
        for song in songs:
            path = os.path.join(corpus, song)
            ours = os.path.join(work, "ours.mid")
            ref = os.path.join(work, "ref.mid")
            run = subprocess.run([cli, "--loops", "1", "--fade", "0", path, ours],
                                 capture_output=True)
            if run.returncode != 0:
                print("%-24s FAIL: %s" % (song, run.stderr.decode(errors="replace").strip()))
                failed += 1
                continue
            subprocess.run(["timidity", "-c", config, "-Om", "-o", ref, path],
                           capture_output=True, check=True)
            with open(ref, "rb") as handle:
                repaired = repair_time_signatures(handle.read())
            with open(ref, "wb") as handle:
                handle.write(repaired)
            try:
                count, ref_count, matched, problem = compare(ours, ref)
            except subprocess.CalledProcessError as error:
                print("%-24s FAIL: midicsv rejected a file: %s" % (song, error))
                failed += 1
                continue
            ok = count == ref_count == matched and not problem
            print("%-24s %8d %10d %8d %s" % (song, count, ref_count, matched,
                                            "ok" if ok else "FAIL " + problem))
            passed, failed = passed + ok, failed + (not ok)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
