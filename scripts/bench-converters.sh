#!/usr/bin/env bash
# Measures the command-line converter in one run on this machine and prints the rows of the
# README's table, ready to paste, after a line naming the date, the machine and the build:
#   - a batch run (`--out-dir`, one worker per core) over a folder of 1,000 copies of the corpus
#     songs against `timidity -Om` converting the same songs one process each: songs per
#     second, MB of song per second, and their ratio;
#   - the same batch with `--jobs 1` and `--jobs 2`, and their ratio, beside the same ratio for
#     pure computation in two threads against one (what the machine itself gives meanwhile);
#   - the whole process for one small song against a process that does nothing (/bin/true);
#   - the peak memory (maximum resident set) of the 1,000-song batch;
#   - the converter's time per MB of song in one process, and its peak memory on the largest song.
# Times are the best of several rounds, the rounds of compared commands alternating (the
# process costs the median of many pairs), because a shared machine is noisy. Uses a plain -O2 build (the native preset carries sanitizers), linked
# statically as the Windows build is: a small song's process then pays no dynamic loading. A
# measuring command, not a test: it fails only when a run cannot be carried out.
# Usage: scripts/bench-converters.sh
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
corpus="$root/../shared/corpus/rcp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v timidity >/dev/null || { echo "bench-converters: timidity is not installed"; exit 1; }
[ -x /usr/bin/time ] || { echo "bench-converters: /usr/bin/time is not installed"; exit 1; }
[ -d "$corpus" ] || { echo "bench-converters: no corpus at $corpus"; exit 1; }
build="g++ -std=c++17 -O2 -DNDEBUG"
$build -pthread -static -I"$root" "$root"/smf/*.cpp "$root"/rcp/*.cpp "$root"/knife/*.cpp \
    "$root"/cli/*.cpp "$root"/cli/posix/*.cpp "$root"/dll/common/FileNames.cpp \
    -o "$work/vellacord-convert" || { echo "bench-converters: the -O2 build failed"; exit 1; }
# The converter alone, in one process: no start-up or file costs in the time per MB.
cat >"$work/inprocess.cpp" <<'CPP'
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include "rcp/Convert.h"
int main(int argc, char** argv) {
    std::vector<std::vector<uint8_t>> songs;
    size_t bytes = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        songs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        bytes += songs.back().size();
    }
    size_t converted = 0, out = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
        for (const auto& song : songs) {
            rcp::Options options;
            options.endlessLoopPasses = 1;
            out += smf::Write(rcp::Convert(song.data(), song.size(), options)).size();
            converted += song.size();
        }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.2f %zu\n", seconds * 1000 / (double(converted) / 1048576), out);
}
CPP
$build -I"$root" "$work/inprocess.cpp" "$root"/smf/*.cpp "$root"/rcp/*.cpp \
    -o "$work/inprocess" || { echo "bench-converters: the in-process build failed"; exit 1; }
# The machine's own gain from a second thread at the time of the run, on pure computation, so
# that a shared machine's missing core is told apart from ours.
cat >"$work/spin.cpp" <<'CPP'
#include <cstdlib>
#include <thread>
#include <vector>
int main(int argc, char** argv) {
    std::vector<std::thread> threads;
    for (int i = 0; i < std::atoi(argv[1]); ++i)
        threads.emplace_back([] {
            volatile unsigned long sum = 0;
            for (unsigned long n = 0; n < 200000000UL; ++n) sum = sum + n;
        });
    for (auto& thread : threads) thread.join();
}
CPP
$build -pthread "$work/spin.cpp" -o "$work/spin" || { echo "bench-converters: build failed"; exit 1; }
printf 'soundfont /dev/null\n' >"$work/t.cfg"

songs=("$corpus"/*.rcp)
mkdir "$work/songs"
copies=$((1000 / ${#songs[@]}))
for copy in $(seq $copies); do
    for song in "${songs[@]}"; do cp "$song" "$work/songs/$copy-$(basename "$song")"; done
done
batch_songs=$((copies * ${#songs[@]}))
batch_bytes=$(cat "$work"/songs/* | wc -c)
now() { date +%s.%N; }
best() { sort -g | head -1; }
convert="$work/vellacord-convert"

# One batch run with N workers into a new folder: prints its seconds; its peak memory in KB goes
# to $work/rss. The folders are removed only at the end: deleting a thousand files keeps the
# file system busy for a while after, which would fall on the next run.
batch() {
    local start out
    out=$(mktemp -d "$work/out.XXXXXX")
    start=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$convert" --loops 1 --jobs "$1" --out-dir "$out" \
        "$work/songs" >/dev/null || { echo "bench-converters: the batch run failed" >&2; exit 1; }
    awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }'
}
cores=$(nproc)
: >"$work/jobs1"
: >"$work/jobs2"
: >"$work/jobsn"
: >"$work/peak"
: >"$work/spin1"
: >"$work/spin2"
seconds_of() {
    local start
    start=$(now)
    "$@" || exit 1
    awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }'
}
for _ in 1 2 3; do
    seconds_of "$work/spin" 1 >>"$work/spin1"
    seconds_of "$work/spin" 2 >>"$work/spin2"
    batch 1 >>"$work/jobs1" || exit 1
    batch 2 >>"$work/jobs2" || exit 1
    batch "$cores" >>"$work/jobsn" || exit 1
    cat "$work/rss" >>"$work/peak"
done
spin_gain=$(awk -v a="$(best <"$work/spin1")" -v b="$(best <"$work/spin2")" 'BEGIN { print 2 * a / b }')
jobs1=$(best <"$work/jobs1")
jobs2=$(best <"$work/jobs2")
jobsn=$(best <"$work/jobsn")
peak=$(sort -g "$work/peak" | tail -1)

# timidity, one process per song, on the corpus songs (the batch's songs are copies of them).
rounds=3
start=$(now)
for _ in $(seq $rounds); do
    for song in "${songs[@]}"; do
        timidity -c "$work/t.cfg" -Om -o "$work/ref.mid" "$song" >/dev/null 2>&1 || exit 1
    done
done
timidity_rate=$(awk -v a="$start" -v b="$(now)" -v n=$((rounds * ${#songs[@]})) \
    'BEGIN { print n / (b - a) }')

# One small song's whole process against a process that does nothing: 500 pairs, each timed
# on its own and back to back, and the median of each side, so that a burst of load elsewhere
# falls on both or is left out.
small=$(ls -Sr "${songs[@]}" | head -1)
for _ in $(seq 500); do
    a=$EPOCHREALTIME
    "$convert" --loops 1 "$small" "$work/small.mid" || exit 1
    b=$EPOCHREALTIME
    /bin/true
    echo "$a $b $EPOCHREALTIME"
done >"$work/pairs"
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
per_small=$(awk '{ print $2 - $1 }' "$work/pairs" | median)
per_true=$(awk '{ print $3 - $2 }' "$work/pairs" | median)

per_mb=$("$work/inprocess" "${songs[@]}" | awk '{ print $1 }')
largest=$(ls -S "${songs[@]}" | head -1)
largest_peak=$(/usr/bin/time -f %M "$convert" "$largest" "$work/ours.mid" 2>&1 >/dev/null | tail -1)

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo "no git")
echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC') on $cores cores ($cpu), build: $build -static" \
    "(g++ $(g++ -dumpversion)), commit $commit"
echo
echo "| figure | measured | goal | |"
echo "|---|---|---|---|"
awk -v n="$batch_songs" -v mb="$(awk -v b="$batch_bytes" 'BEGIN { print b / 1048576 }')" \
    -v j1="$jobs1" -v j2="$jobs2" -v jn="$jobsn" -v cores="$cores" -v spin="$spin_gain" -v tim="$timidity_rate" \
    -v small="$per_small" -v none="$per_true" -v peak="$peak" -v permb="$per_mb" \
    -v largest="$(basename "$largest")" -v lpeak="$largest_peak" 'BEGIN {
    rate = n / jn
    printf "| batch of %d songs (%d workers) / `timidity -Om` one process per song | %.0f times (%.0f songs/s, %.1f MB/s, against %.1f songs/s) | 50 times | %s |\n",
        n, cores, rate / tim, rate, mb / jn, tim, (rate / tim >= 50 ? "met" : "missed")
    printf "| batch, `--jobs 2` / `--jobs 1` | %.2f (%.0f against %.0f songs/s; pure computation on this machine meanwhile: %.2f) | 1.7 on 2 cores | %s |\n",
        j1 / j2, n / j2, n / j1, spin, (j1 / j2 >= 1.7 ? "met" : "missed")
    printf "| one small song, whole process / `/bin/true` | %.2f (%.2f ms against %.2f ms) | 2 | %s |\n",
        small / none, small * 1000, none * 1000, (small / none <= 2 ? "met" : "missed")
    printf "| batch of %d songs, peak memory | %.1f MB | under 64 MB | %s |\n",
        n, peak / 1024, (peak / 1024 < 64 ? "met" : "missed")
    printf "| song converter, time per MB of song (in one process) | %.1f ms | | |\n", permb
    printf "| song converter, peak memory on `%s` | %.1f MB | under 16 MB | %s |\n",
        largest, lpeak / 1024, (lpeak / 1024 < 16 ? "met" : "missed")
}'
