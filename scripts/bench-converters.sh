#!/usr/bin/env bash
# Measures the song converter against the reference reader on the corpus songs, in one run:
# the speed ratio against `timidity -Om` (both as whole processes on the same songs), the
# converter's time per MB of song, and the command line's peak memory on the largest song.
# Uses a plain -O2 build of the command line (the native preset carries sanitizers). A
# measuring command, not a test: it fails only when a run cannot be carried out.
# Usage: scripts/bench-converters.sh
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
corpus="$root/../shared/corpus/rcp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v timidity >/dev/null || { echo "bench-converters: timidity is not installed"; exit 1; }
[ -d "$corpus" ] || { echo "bench-converters: no corpus at $corpus"; exit 1; }
g++ -std=c++17 -O2 -DNDEBUG -I"$root" "$root"/smf/*.cpp "$root"/rcp/*.cpp \
    $(ls "$root"/knife/*.cpp 2>/dev/null) "$root"/cli/*.cpp "$root"/cli/posix/*.cpp \
    "$root"/dll/common/FileNames.cpp -o "$work/vellacord-convert" ||
    { echo "bench-converters: the -O2 build failed"; exit 1; }
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
g++ -std=c++17 -O2 -DNDEBUG -I"$root" "$work/inprocess.cpp" "$root"/smf/*.cpp "$root"/rcp/*.cpp \
    -o "$work/inprocess" || { echo "bench-converters: the in-process build failed"; exit 1; }
printf 'soundfont /dev/null\n' >"$work/t.cfg"

songs=("$corpus"/*.rcp)
rounds=20
now() { date +%s.%N; }

start=$(now)
for _ in $(seq $rounds); do
    for song in "${songs[@]}"; do
        "$work/vellacord-convert" --loops 1 "$song" "$work/ours.mid" || exit 1
    done
done
ours=$(awk -v a="$start" -v b="$(now)" -v n=$rounds 'BEGIN { print (b - a) / n }')

start=$(now)
for _ in $(seq 3); do
    for song in "${songs[@]}"; do
        timidity -c "$work/t.cfg" -Om -o "$work/ref.mid" "$song" >/dev/null 2>&1 || exit 1
    done
done
reference=$(awk -v a="$start" -v b="$(now)" 'BEGIN { print (b - a) / 3 }')

bytes=$(cat "${songs[@]}" | wc -c)
per_mb=$("$work/inprocess" "${songs[@]}" | awk '{ print $1 }')
largest=$(ls -S "${songs[@]}" | head -1)
peak=$(/usr/bin/time -v "$work/vellacord-convert" "$largest" "$work/ours.mid" 2>&1 >/dev/null |
       awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }')

awk -v ours="$ours" -v ref="$reference" -v n="${#songs[@]}" -v bytes="$bytes" \
    -v peak="$peak" -v permb="$per_mb" -v song="$(basename "$largest")" 'BEGIN {
    printf "converter vs timidity -Om, %d songs: %.1f ms vs %.1f ms, %.1fx faster (goal: at least 20x)\n",
        n, ours * 1000, ref * 1000, ref / ours
    printf "converter time per MB of song: %.1f ms/MB in one process, %.1f ms/MB as whole processes\n",
        permb, ours * 1000 / (bytes / 1048576)
    printf "peak memory of vellacord-convert on %s: %.1f MB (goal: under 16 MB)\n", song, peak / 1024
}'
