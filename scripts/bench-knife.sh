#!/usr/bin/env bash
# Post-processing speed: a plain -O2 build of vellacord-convert (no sanitizers) runs a
# generated 4 MB MIDI file (16 tracks of notes under a sustain pedal, bank selects, program
# changes, a GS rhythm part) untouched and with every option and rule, best of five runs each.
# Prints the time per MB of each and their ratio. A measuring command, not a test: it fails
# only when a run cannot be carried out.
# Usage: scripts/bench-knife.sh
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "bench-knife: building vellacord-convert with -O2"
g++ -O2 -std=c++17 -pthread -I"$root" "$root"/cli/*.cpp "$root"/cli/posix/*.cpp \
    "$root"/dll/common/FileNames.cpp "$root"/rcp/*.cpp "$root"/smf/*.cpp "$root"/knife/*.cpp \
    -o "$work/vellacord-convert" || { echo "bench-knife: build failed"; exit 1; }

python3 - "$work/big.mid" <<'PY'
import sys

def vlq(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))

tracks = []
for ch in range(16):
    body = bytearray()
    if ch == 10:  # channel 11 declared a rhythm part
        body += b"\x00\xf0\x0a\x41\x10\x42\x12\x40\x1a\x15\x02\x0f\xf7"
    for bar in range(5400):
        body += bytes([0, 0xB0 | ch, 0, bar % 3, 0, 0xC0 | ch, bar % 128])
        if bar % 4 == 0:
            body += bytes([0, 0xB0 | ch, 32, 1])  # a bank select no program change follows
        body += bytes([0, 0xB0 | ch, 64, 127])
        for step in range(4):
            key = 40 + (bar * 7 + step * 5 + ch) % 48
            body += vlq(0 if step == 0 else 10) + bytes([0x90 | ch, key, 90])
            body += vlq(100) + bytes([0x80 | ch, key, 0])
        body += bytes([0, 0xB0 | ch, 64, 0])
    body += b"\x00\xff\x2f\x00"
    tracks.append(b"MTrk" + len(body).to_bytes(4, "big") + bytes(body))
with open(sys.argv[1], "wb") as f:
    f.write(b"MThd" + (6).to_bytes(4, "big") + (1).to_bytes(2, "big") +
            len(tracks).to_bytes(2, "big") + (480).to_bytes(2, "big") + b"".join(tracks))
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

plain=$(best_of_five --knife "$work/empty.cfg") || exit 1
full=$(best_of_five --knife "$work/full.cfg" --ch10 --bank --cc64) || exit 1
awk -v b="$bytes" -v p="$plain" -v f="$full" 'BEGIN {
    mb = b / 1048576
    printf "bench-knife: input %.2f MB\n", mb
    printf "bench-knife: untouched (read, write)      %6.1f ms per MB\n", p * 1000 / mb
    printf "bench-knife: all options and directives   %6.1f ms per MB (%.2f x untouched)\n",
        f * 1000 / mb, f / p
}'
