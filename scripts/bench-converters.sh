#!/usr/bin/env bash
# Measures the command-line converter in one run on this machine and prints a complete block
# for docs/benchmarks.md, ready to paste: a line naming the date, the machine, the build and the
# commit, then the table's rows:
#   - a batch run (`--out-dir`, one worker per core) over a folder of 1,000 copies of the corpus
#     songs against `timidity -Om` converting the same songs one process each: songs per
#     second, MB of song per second, timidity's milliseconds per song, and their ratio;
#   - the same batch with `--jobs 1` and `--jobs 2`, and their ratio, beside the same ratio for
#     pure computation in two threads against one (what the machine itself gives meanwhile);
#   - the whole process for one small song against a process that does nothing (/bin/true);
#   - the peak memory (maximum resident set) of the 1,000-song batch;
#   - the converter's time per MB of song in one process, and its peak memory on the largest song.
# The compared commands alternate within each round, and each ratio is the median of the
# rounds' ratios (the process costs the median of many back-to-back pairs), because a shared
# machine is noisy. Uses a plain -O2 build (the native preset carries sanitizers), linked
# statically as the Windows build is: a small song's process then pays no dynamic loading.
#
# timidity always reads its system configuration (/etc/timidity/timidity.cfg) before one given
# with -c, and after an error there it waits one second before converting: Debian's file sources
# /etc/timidity/fluidr3_gm.cfg, which only the sound font package that timidity recommends
# installs, so without it every run took a second more. The baseline therefore runs timidity in
# a private mount namespace of its own (`unshare`, no privileges needed) in which an empty file
# stands for the system configuration: no instruments, no error, the same on every machine.
# Where no namespace can be made it runs timidity as installed, and says so. Before the rounds
# one timidity run per song is timed on its own; a run that waits (wall time far beyond its CPU
# time) or a baseline far from those direct timings stops the script with a message.
# A measuring command, not a test: it fails only when a run cannot be carried out or its
# baseline cannot be trusted.
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
    "$root"/mt32/*.cpp "$root"/cli/*.cpp "$root"/cli/posix/*.cpp "$root"/dll/common/FileNames.cpp \
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
$build -I"$root" "$work/inprocess.cpp" "$root"/smf/*.cpp "$root"/rcp/*.cpp "$root"/mt32/*.cpp \
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

songs=("$corpus"/*.rcp)
mkdir "$work/songs"
copies=$((1000 / ${#songs[@]}))
for copy in $(seq $copies); do
    for song in "${songs[@]}"; do cp "$song" "$work/songs/$copy-$(basename "$song")"; done
done
batch_songs=$((copies * ${#songs[@]}))
batch_bytes=$(cat "$work"/songs/* | wc -c)
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
convert="$work/vellacord-convert"

# timidity as the baseline runs it: `$work/timidity-env COMMAND...` runs COMMAND where timidity
# reads an empty system configuration, or as installed where no private namespace can be made.
: >"$work/empty.cfg"
cat >"$work/timidity-env" <<SH
#!/bin/sh
mount --bind "$work/empty.cfg" /etc/timidity/timidity.cfg 2>/dev/null || exit 97
exec "\$@"
SH
chmod +x "$work/timidity-env"
if unshare -rm "$work/timidity-env" true 2>/dev/null; then
    timidity_env=(unshare -rm "$work/timidity-env")
    timidity_config="an empty configuration in a private namespace (no instruments)"
else
    timidity_env=()
    timidity_config="its system configuration and an empty one (no private namespace could be made)"
fi
# One pass of timidity over the corpus songs, one process per song: prints the seconds it took.
cat >"$work/timidity-pass" <<SH
#!/bin/bash
start=\$EPOCHREALTIME
for song in "\$@"; do
    timidity -c "$work/empty.cfg" -Om -o "$work/ref.mid" "\$song" >/dev/null 2>&1 || exit 1
done
awk -v a="\$start" -v b="\$EPOCHREALTIME" 'BEGIN { print b - a }'
SH
chmod +x "$work/timidity-pass"

# One timidity run per song, each timed on its own before anything else runs: its wall and its
# CPU time. A run that waits (as after a configuration error) is no conversion speed.
direct_wall=0
direct_cpu=0
for song in "${songs[@]}"; do
    "${timidity_env[@]}" /usr/bin/time -f '%e %U %S' -o "$work/direct" \
        timidity -c "$work/empty.cfg" -Om -o "$work/ref.mid" "$song" >/dev/null 2>"$work/timidity.err" || {
        echo "bench-converters: timidity failed on $song:"
        cat "$work/timidity.err"
        exit 1
    }
    read -r wall user system <"$work/direct"
    direct_wall=$(awk -v s="$direct_wall" -v w="$wall" 'BEGIN { print s + w }')
    direct_cpu=$(awk -v s="$direct_cpu" -v u="$user" -v y="$system" 'BEGIN { print s + u + y }')
done
direct_ms=$(awk -v s="$direct_wall" -v n=${#songs[@]} 'BEGIN { print s * 1000 / n }')
direct_cpu_ms=$(awk -v s="$direct_cpu" -v n=${#songs[@]} 'BEGIN { print s * 1000 / n }')
if awk -v w="$direct_ms" -v c="$direct_cpu_ms" 'BEGIN { exit !(w - c > 200) }'; then
    printf 'bench-converters: timidity waits: %.0f ms a song, of which %.0f ms of CPU time, with %s.\n' \
        "$direct_ms" "$direct_cpu_ms" "$timidity_config"
    echo "  It pauses a second after an error in its configuration; what it said:"
    "${timidity_env[@]}" timidity -c "$work/empty.cfg" -Om -o "$work/ref.mid" "${songs[0]}" 2>&1 >/dev/null | head -3 | sed 's/^/    /'
    echo "  Such a baseline measures the pause, not a conversion: no figures are printed."
    exit 1
fi

# One batch run with N workers into a new folder: prints its seconds; its peak memory in KB goes
# to $work/rss. The folders are removed only at the end: deleting a thousand files keeps the
# file system busy for a while after, which would fall on the next run; for the same reason the
# last run's files are written back to the disk before the clock starts.
batch() {
    local start out
    out=$(mktemp -d "$work/out.XXXXXX")
    sync
    start=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$convert" --loops 1 --jobs "$1" --out-dir "$out" \
        "$work/songs" >/dev/null || { echo "bench-converters: the batch run failed" >&2; exit 1; }
    awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }'
}
cores=$(nproc)
seconds_of() {
    local start
    start=$(now)
    "$@" || exit 1
    awk -v a="$start" -v b="$(now)" 'BEGIN { print b - a }'
}
# Each round: pure computation in one and two threads, the batch with one, two and one worker
# per core, and two timidity passes over the corpus songs; every ratio is taken within a round.
timidity_passes=2
rounds=5
: >"$work/rounds"
: >"$work/peak"
for round in $(seq $rounds); do
    spin1=$(seconds_of "$work/spin" 1) || exit 1
    spin2=$(seconds_of "$work/spin" 2) || exit 1
    # One and two workers take turns at going first.
    if [ $((round % 2)) = 1 ]; then
        jobs1=$(batch 1) || exit 1
        jobs2=$(batch 2) || exit 1
    else
        jobs2=$(batch 2) || exit 1
        jobs1=$(batch 1) || exit 1
    fi
    jobsn=$(batch "$cores") || exit 1
    cat "$work/rss" >>"$work/peak"
    timidity=0
    for _ in $(seq $timidity_passes); do
        pass=$("${timidity_env[@]}" "$work/timidity-pass" "${songs[@]}") ||
            { echo "bench-converters: timidity failed"; exit 1; }
        timidity=$(awk -v t="$timidity" -v p="$pass" 'BEGIN { print t + p }')
    done
    echo "$spin1 $spin2 $jobs1 $jobs2 $jobsn $timidity" >>"$work/rounds"
done
n_timidity=$((timidity_passes * ${#songs[@]}))
column() { awk -v c="$1" '{ print $c }' "$work/rounds" | median; }
spin_gain=$(awk '{ print 2 * $1 / $2 }' "$work/rounds" | median)
workers_gain=$(awk '{ print $3 / $4 }' "$work/rounds" | median)
ratio=$(awk -v n="$batch_songs" -v t="$n_timidity" '{ print (n / $5) / (t / $6) }' "$work/rounds" | median)
jobs1=$(column 3)
jobs2=$(column 4)
jobsn=$(column 5)
timidity_ms=$(awk -v t="$n_timidity" '{ print $6 * 1000 / t }' "$work/rounds" | median)
peak=$(sort -g "$work/peak" | tail -1)
# The baseline must be what a single run of timidity takes on this machine.
if awk -v b="$timidity_ms" -v d="$direct_ms" 'BEGIN { exit !(b > 3 * d || 3 * b < d) }'; then
    printf 'bench-converters: timidity took %.1f ms a song in the rounds against %.1f ms in the runs timed on their own: the baseline is not to be trusted, no figures are printed.\n' \
        "$timidity_ms" "$direct_ms"
    exit 1
fi

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
per_small=$(awk '{ print $2 - $1 }' "$work/pairs" | median)
per_true=$(awk '{ print $3 - $2 }' "$work/pairs" | median)
small_ratio=$(awk '{ print ($2 - $1) / ($3 - $2) }' "$work/pairs" | median)

per_mb=$("$work/inprocess" "${songs[@]}" | awk '{ print $1 }')
largest=$(ls -S "${songs[@]}" | head -1)
largest_peak=$(/usr/bin/time -f %M "$convert" "$largest" "$work/ours.mid" 2>&1 >/dev/null | tail -1)

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo "no git")
echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC') on $cores cores ($cpu), build: $build -static" \
    "(g++ $(g++ -dumpversion)), commit $commit; $(timidity --version 2>/dev/null | head -1) with $timidity_config"
printf 'timidity -Om timed on its own before the rounds: %.1f ms a song (%.1f ms of CPU time), %d songs\n' \
    "$direct_ms" "$direct_cpu_ms" ${#songs[@]}
echo
echo "| figure | measured | goal | |"
echo "|---|---|---|---|"
awk -v n="$batch_songs" -v mb="$(awk -v b="$batch_bytes" 'BEGIN { print b / 1048576 }')" \
    -v j1="$jobs1" -v j2="$jobs2" -v jn="$jobsn" -v cores="$cores" -v spin="$spin_gain" \
    -v ratio="$ratio" -v gain="$workers_gain" -v tms="$timidity_ms" -v sratio="$small_ratio" \
    -v small="$per_small" -v none="$per_true" -v peak="$peak" -v permb="$per_mb" \
    -v largest="$(basename "$largest")" -v lpeak="$largest_peak" 'BEGIN {
    rate = n / jn
    printf "| batch of %d songs (%d workers) / `timidity -Om` one process per song | %.0f times (%.0f songs/s, %.1f MB/s, against %.1f songs/s: %.1f ms a song) | 50 times | %s |\n",
        n, cores, ratio, rate, mb / jn, 1000 / tms, tms, (ratio >= 50 ? "met" : "missed")
    printf "| batch, `--jobs 2` / `--jobs 1` | %.2f (%.0f against %.0f songs/s; pure computation on this machine meanwhile: %.2f) | 1.7 on 2 cores | %s |\n",
        gain, n / j2, n / j1, spin, (gain >= 1.7 ? "met" : "missed")
    printf "| one small song, whole process / `/bin/true` | %.2f (%.2f ms against %.2f ms) | 2 | %s |\n",
        sratio, small * 1000, none * 1000, (sratio <= 2 ? "met" : "missed")
    printf "| batch of %d songs, peak memory | %.1f MB | under 64 MB | %s |\n",
        n, peak / 1024, (peak / 1024 < 64 ? "met" : "missed")
    printf "| song converter, time per MB of song (in one process) | %.1f ms | | |\n", permb
    printf "| song converter, peak memory on `%s` | %.1f MB | under 16 MB | %s |\n",
        largest, lpeak / 1024, (lpeak / 1024 < 16 ? "met" : "missed")
}'
