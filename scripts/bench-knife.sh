#!/usr/bin/env bash
# Post-processing speed and memory: a plain -O2 build of vellacord-convert (no sanitizers) runs a
# generated dense 12 MB MIDI file (16 tracks of running-status notes with zero deltas, about
# three bytes an event, under a sustain pedal, with bank selects, program changes and a GS rhythm
# part) untouched and with every option and rule. Prints the time per MB of each (best of five
# runs) and their ratio, and each one's peak memory as a multiple of the file's size: the peak
# resident size of one run less that of the same command on a file of one note. A measuring
# command, not a test: it fails only when a run cannot be carried out.
# Usage: scripts/bench-knife.sh
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build="g++ -O2 -std=c++17 -pthread"
cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo "no git")
echo "bench-knife: run of $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores ($cpu)," \
    "build: $build (g++ $(g++ -dumpversion)), commit $commit"
$build -I"$root" "$root"/cli/*.cpp "$root"/cli/posix/*.cpp \
    "$root"/dll/common/FileNames.cpp "$root"/rcp/*.cpp "$root"/smf/*.cpp "$root"/knife/*.cpp \
    "$root"/mt32/*.cpp \
    -o "$work/vellacord-convert" || { echo "bench-knife: build failed"; exit 1; }

python3 - "$work/big.mid" "$work/tiny.mid" <<'PY'
import sys

def midi(tracks):
    chunks = b"".join(b"MTrk" + len(t).to_bytes(4, "big") + bytes(t) for t in tracks)
    return (b"MThd" + (6).to_bytes(4, "big") + (1).to_bytes(2, "big") +
            len(tracks).to_bytes(2, "big") + (480).to_bytes(2, "big") + chunks)

tracks = []
for ch in range(16):
    body = bytearray()
    if ch == 10:  # channel 11 declared a rhythm part
        body += b"\x00\xf0\x0a\x41\x10\x42\x12\x40\x1a\x15\x02\x0f\xf7"
    for bar in range(3780):
        # Bank select, its LSB and the pedal down under one running status, then a program.
        body += bytes([0, 0xB0 | ch, 0, bar % 3, 0, 32, 1, 0, 64, 127, 0, 0xC0 | ch, bar % 128])
        body += bytes([0, 0x90 | ch])
        for step in range(32):  # note-ons and their releases (velocity 0), zero deltas
            key = 40 + (bar * 7 + step * 5 + ch) % 48
            if step:
                body += bytes([0])
            body += bytes([key, 90, 0, key, 0])
        body += bytes([1, 0xB0 | ch, 64, 0])  # pedal up a tick later
    body += b"\x00\xff\x2f\x00"
    tracks.append(body)
with open(sys.argv[1], "wb") as f:
    f.write(midi(tracks))
with open(sys.argv[2], "wb") as f:
    f.write(midi([bytearray(b"\x00\x90\x3c\x40\x10\x80\x3c\x00\x00\xff\x2f\x00")]))
PY

: >"$work/empty.cfg"
printf 'target gm\nrhythm 12\ntranspose all 2\nvelocity all 90\nprogram all 1 2\nchannel 16 15\n' \
    >"$work/full.cfg"
bytes=$(stat -c %s "$work/big.mid")

best_of_five() {  # prints the best wall time in seconds
    local best="" start end t
    for _ in 1 2 3 4 5; do
        start=$(date +%s.%N)
        "$work/vellacord-convert" "$@" "$work/big.mid" "$work/out.mid" >/dev/null ||
            { echo "bench-knife: run failed: $*" >&2; exit 1; }
        end=$(date +%s.%N)
        t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
        if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
    done
    echo "$best"
}

peak_kb() {  # FILE OPTIONS...: the peak resident size of one run, in KB
    local file=$1
    shift
    /usr/bin/time -f %M -o "$work/rss" "$work/vellacord-convert" "$@" "$file" "$work/out.mid" \
        >/dev/null || { echo "bench-knife: run failed: $*" >&2; exit 1; }
    cat "$work/rss"
}

plain=$(best_of_five --knife "$work/empty.cfg") || exit 1
full=$(best_of_five --knife "$work/full.cfg" --ch10 --bank --cc64) || exit 1
plainPeak=$(peak_kb "$work/big.mid" --knife "$work/empty.cfg") || exit 1
plainBase=$(peak_kb "$work/tiny.mid" --knife "$work/empty.cfg") || exit 1
fullPeak=$(peak_kb "$work/big.mid" --knife "$work/full.cfg" --ch10 --bank --cc64) || exit 1
fullBase=$(peak_kb "$work/tiny.mid" --knife "$work/full.cfg" --ch10 --bank --cc64) || exit 1
awk -v b="$bytes" -v p="$plain" -v f="$full" -v pp="$plainPeak" -v pb="$plainBase" \
    -v fp="$fullPeak" -v fb="$fullBase" 'BEGIN {
    mb = b / 1048576
    printf "bench-knife: input %.2f MB\n", mb
    printf "bench-knife: untouched (read, write)      %6.1f ms per MB, peak memory %.2f x the file\n",
        p * 1000 / mb, (pp - pb) * 1024 / b
    printf "bench-knife: all options and directives   %6.1f ms per MB (%.2f x untouched), peak memory %.2f x the file\n",
        f * 1000 / mb, f / p, (fp - fb) * 1024 / b
}'
