#!/usr/bin/env bash
# Measures what the plug-in costs the player: the real DLL in the stand-in host under Wine,
# each figure against the work that call is required to do, made by the host itself in the same
# process and interleaved with it (see standins/host/BenchSteps.cpp and docs/benchmarks.md),
# printed with its target, then the native converter benchmarks; one block, ready to paste. A measuring command, not a test: it fails only when a run cannot
# be carried out, never because a target was missed.
# Usage: scripts/bench.sh [--no-build] [--plug-in-only]
#   --no-build      measure what is built
#   --plug-in-only  leave out the native converter benchmarks (bench-converters.sh, bench-knife.sh)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a "$0" "$@"; fi
build=1
converters=1
for arg in "$@"; do
    case $arg in
    --no-build) build=0 ;;
    --plug-in-only) converters=0 ;;
    *) echo "usage: scripts/bench.sh [--no-build] [--plug-in-only]"; exit 2 ;;
    esac
done
. "$root/tests/wine/wine-env.sh"
vlc_pick_wine "$root" || exit 1
if [ $build = 1 ]; then
    preset=$(basename "$VLC_WIN_BUILD")
    (cd "$root" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2 >/dev/null) ||
        { echo "bench: the $preset build failed"; exit 1; }
fi

work=$(mktemp -d)
trap 'vlc_end_prefix; rm -rf "$work"' EXIT
# The stand-in converters are test doubles, built under their own names: staged as the real ones.
for file in ORVO.exe:ORVO.exe Vellacord.dll:Vellacord.dll standins/smfk32/smfk32-double.dll:smfk32.dll \
    standins/rcpcv/rcpcv-double.dll:rcpcv.dll; do
    cp "$VLC_WIN_BUILD/${file%%:*}" "$work/${file#*:}" ||
        { echo "bench: ${file%%:*} missing in $VLC_WIN_BUILD"; exit 1; }
done
cd "$work"
win() { printf 'Z:%s' "${1//\//\\}"; }  # the Wine path of a Unix path

# Songs: small ones for the hit and memory runs, 1 MB ones for the miss run; a RCP-family song
# goes through both converters, a MIDI song through SMF Knife alone.
mkdir songs mem
head -c 4096 /dev/urandom >songs/hit.mid
head -c 4096 /dev/urandom >songs/hit.rcp
for i in 0 1 2 3 4 5; do head -c 1048576 /dev/urandom >"songs/big$i.rcp"; done
for i in $(seq 0 999); do printf 'song %d\n' "$i" >"mem/s$i.rcp"; done
printf 'stand-in configuration\r\n' >bench.cfg
printf '[Vellacord]\r\nCache=8\r\nRCPCV=1\r\nSMFKnife=1\r\nSMFKConfig=%s\r\n' "$(win "$work/bench.cfg")" >Vellacord.ini

songs=$(win "$work/songs")
{
    echo "load Vellacord.dll"
    echo "bench-start 15"
    echo "run"
    echo "pump 200"
    echo "bench-hit $songs\\hit.mid 21 200"
    echo "bench-hit $songs\\hit.rcp 21 200"
    echo "bench-miss stand-in 5 $(win "$work/bench.cfg") $songs\\big0.rcp $songs\\big1.rcp $songs\\big2.rcp $songs\\big3.rcp $songs\\big4.rcp $songs\\big5.rcp"
    echo "bench-memory 10000 100 $(win "$work/mem")\\s 1000 .rcp"
    echo "abort"
} >bench.txt

vlc_new_prefix "$work/prefix"
start=$(date +%s)
LANG=C.UTF-8 timeout 600 "$WINE" ORVO.exe --script bench.txt >transcript.txt 2>wine.err
status=$?
if [ $status -ne 0 ] || grep -q FAIL transcript.txt; then
    echo "bench: the run failed (exit $status):"
    grep -E 'FAIL|^bench:|^box:' transcript.txt
    exit 1
fi

# The same miss with our real converter libraries beside the host, on a corpus song copied six
# times, against the host making the required work itself on the same song.
corpus=$root/../shared/corpus/rcp/grand-slam.rcp
if [ -f "$corpus" ] && [ -f "$VLC_WIN_BUILD/rcpcv.dll" ] && [ -f "$VLC_WIN_BUILD/smfk32.dll" ]; then
    mkdir real real/songs
    cp ORVO.exe Vellacord.dll "$VLC_WIN_BUILD/rcpcv.dll" "$VLC_WIN_BUILD/smfk32.dll" real/
    for i in 0 1 2 3 4 5; do cp "$corpus" "real/songs/song$i.rcp"; done
    printf '; benchmark\r\ntarget gs\r\n' >real/bench.cfg
    printf '[Vellacord]\r\nCache=8\r\nRCPCV=1\r\nSMFKnife=1\r\nSMFKConfig=%s\r\n' "$(win "$work/real/bench.cfg")" >real/Vellacord.ini
    {
        echo "load Vellacord.dll"
        echo "run"
        echo "pump 200"
        printf 'bench-miss real 15 %s' "$(win "$work/real/bench.cfg")"
        for i in 0 1 2 3 4 5; do printf ' %s' "$(win "$work/real/songs/song$i.rcp")"; done
        echo
        echo "abort"
    } >real/bench.txt
    (cd real && LANG=C.UTF-8 timeout 600 "$WINE" ORVO.exe --script bench.txt >>../transcript.txt 2>>../wine.err) ||
        { echo "bench: the real-converter run failed:"; grep -E 'FAIL|^bench:' transcript.txt; exit 1; }
fi

field() { sed -n "s/^bench: $1 .*[ ]$2=\([^ ]*\).*/\1/p" transcript.txt | head -1; }
hitline() { grep "^bench: hit .*$1 " transcript.txt; }
value() { sed -n "s/.* $1=\([^ ]*\).*/\1/p"; }
verdict() { awk -v v="${1%\%}" -v t="$2" 'BEGIN { print (v + 0 <= t + 0) ? "met" : "MISSED" }'; }

mid_ratio=$(hitline 'hit.mid' | value ratio)
rcp_ratio=$(hitline 'hit.rcp' | value ratio)
miss_ratio=$(field 'miss stand-in' ratio)
real_ratio=$(field 'miss real' ratio)
[ -n "$real_ratio" ] || real_ratio="no corpus"
start_ratio=$(field start ratio)
growth=$(field memory growth)

cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -1)
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo "no git")
echo "Vellacord benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores ($cpu), commit $commit," \
    "build $(basename "$VLC_WIN_BUILD") ($VLC_WIN_BITS-bit, $(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$VLC_WIN_BUILD/CMakeCache.txt" 2>/dev/null)) under $($WINE --version), $(( $(date +%s) - start )) s"
printf '%-50s %10s %8s  %s\n' "figure (median of interleaved pairs)" "measured" "target" "verdict"
printf '%-50s %10s %8s  %s\n' "cache hit, MIDI song / GetFileAttributesA" "$mid_ratio" "1.5" "$(verdict "$mid_ratio" 1.5)"
printf '%-50s %10s %8s  %s\n' "cache hit, chained .rcp / GetFileAttributesA" "$rcp_ratio" "2.5" "$(verdict "$rcp_ratio" 2.5)"
printf '%-50s %10s %8s  %s\n' "cache miss, 1 MB .rcp, stand-ins / required work" "$miss_ratio" "1.1" "$(verdict "$miss_ratio" 1.1)"
printf '%-50s %10s %8s  %s\n' "cache miss, corpus song, ours / required work" "$real_ratio" "1.1" "$([ "$real_ratio" = "no corpus" ] && echo skipped || verdict "$real_ratio" 1.1)"
printf '%-50s %10s %8s  %s\n' "start: _pinRun / required work" "$start_ratio" "1.5" "$(verdict "$start_ratio" 1.5)"
printf '%-50s %10s %8s  %s\n' "memory: private bytes, 10,000 vs 100 plays" "$growth" "1%" "$(verdict "$growth" 1)"
echo "details (medians in ns; direct = the required work made by the host itself):"
grep '^bench: ' transcript.txt | sed 's/^bench: /  /'
[ $converters = 1 ] || exit 0

# The converter core on its own, natively (plain -O2 builds): song conversion against the
# reference reader, time per MB and peak memory; post-processing time per MB.
echo "converters (native, -O2):"
"$root/scripts/bench-converters.sh" 2>&1 | sed 's/^/  /'
"$root/scripts/bench-knife.sh" 2>&1 | grep -v 'building' | sed 's/^/  /'
