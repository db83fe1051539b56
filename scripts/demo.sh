#!/usr/bin/env bash
# The demo session: the plug-in in the stand-in ORVO host under Wine, headless.
#   scripts/demo.sh [song.rcp other.mid ...]
# Each file argument becomes a play-file request. Transcript: stdout and build/demo/transcript.txt.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
scripts/setup.sh || exit 1
. tests/wine/wine-env.sh

# Paths as the host sees them: Wine's drive Z: is the Unix root.
FILES=()
for f in "$@"; do
    p=$(realpath -m -- "$f")
    FILES+=("Z:${p//\//\\}")
done
[ ${#FILES[@]} -gt 0 ] || FILES=('C:\Songs\demo.rcp')

if [ -z "${VLC_WINE_DISPLAY:-}" ]; then
    if vlc_native32; then preset=win32; else preset=win64; fi
    { cmake --preset win32 && cmake --build --preset win32 -j2; } >/dev/null || exit 1
    if [ $preset = win64 ]; then
        { cmake --preset win64 && cmake --build --preset win64 -j2; } >/dev/null || exit 1
    fi
    VLC_WINE_DISPLAY=1 exec xvfb-run -a "$0" "$@"
fi

vlc_pick_wine "$ROOT" || exit 1
OUT=$ROOT/build/demo
mkdir -p "$OUT"
vlc_new_prefix "$OUT/wineprefix"
DRIVE=$WINEPREFIX/drive_c
rm -f "$DRIVE/first-running" "$DRIVE/second-done"
mkdir -p "$DRIVE/ORVO"
cp "$VLC_WIN_BUILD/ORVO.exe" "$VLC_WIN_BUILD/Vellacord.dll" "$DRIVE/ORVO/"

{
    printf '%s\n' "echo -- the host starts the plug-in" 'load C:\ORVO\Vellacord.dll' run
    for f in "${FILES[@]}"; do printf '%s\n' "echo -- the host is about to play $f" "open $f"; done
    printf '%s\n' "echo -- a second ORVO process starts meanwhile" 'touch C:\first-running' \
        'wait-for-file C:\second-done 60000' "echo -- the host stops the plug-in" abort
} >"$DRIVE/first.txt"
printf '%s\n' 'load C:\ORVO\Vellacord.dll' run abort 'touch C:\second-done' >"$DRIVE/second.txt"

timeout 120 "$WINE" 'C:\ORVO\ORVO.exe' --script 'C:\first.txt' >"$OUT/first.txt" 2>/dev/null &
first=$!
for _ in $(seq 600); do [ -e "$DRIVE/first-running" ] && break; sleep 0.1; done
timeout 120 "$WINE" 'C:\ORVO\ORVO.exe' --window none --script 'C:\second.txt' >"$OUT/second.txt" 2>/dev/null
wait $first
rc=$?
{
    echo "== ORVO (first instance)"
    cat "$OUT/first.txt"
    echo "== ORVO (second instance, started while the first was running)"
    cat "$OUT/second.txt"
} | tee "$OUT/transcript.txt"
vlc_end_prefix
exit $rc
