#!/usr/bin/env bash
# The release package's command line under Wine, as a player's user runs it on Windows: the
# packaged vellacord-convert.exe shows a generated song's title with --info and converts a
# folder of songs into MIDI files. One ok/FAIL line per check.
#   tests/package/wine-cli.sh ZIP
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tests/wine/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a "$0" "$@"; fi
ZIP=$1
failed=0
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1: $2"; failed=1; }
# The packaged program is 32-bit and runs wherever the kernel runs 32-bit code. Where it does
# not, the 64-bit build of the same sources runs in its place under 64-bit Wine (the packaged
# file is then checked statically only), and the lines say so.
vlc_pick_wine "$ROOT" || { fail "vellacord-convert.exe under Wine" "no runnable Wine"; exit 1; }
if [ "$VLC_WIN_BITS" = 32 ]; then
    PROGRAM=packaged
else
    PROGRAM="$VLC_WIN_BUILD/vellacord-convert.exe"
    [ -f "$PROGRAM" ] || {
        fail "vellacord-convert.exe under Wine" "no 32-bit code runs here, and the 64-bit \
build ${PROGRAM#"$ROOT"/} is missing (cmake --preset win64 && cmake --build --preset win64)"
        exit 1
    }
fi
WHAT="vellacord-convert.exe ($([ "$PROGRAM" = packaged ] && echo "the packaged 32-bit program" ||
    echo "no 32-bit code runs here: the 64-bit build of the same sources"), $("$WINE" --version))"
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
vlc_new_prefix "$(mktemp -d /tmp/vellacord-package-cli.XXXXXX)"
trap 'vlc_end_prefix; rm -rf "$WINEPREFIX"' EXIT
DRIVE=$WINEPREFIX/drive_c
mkdir -p "$DRIVE/Vellacord" "$DRIVE/Songs/Demo"
if [ "$PROGRAM" = packaged ]; then
    python3 -c 'import sys, zipfile
sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("vellacord-convert.exe"))' \
        "$ZIP" >"$DRIVE/Vellacord/vellacord-convert.exe"
else
    cp "$PROGRAM" "$DRIVE/Vellacord/vellacord-convert.exe"
fi
python3 "$ROOT/tests/samples/make-samples.py" "$DRIVE/Songs/Demo" >/dev/null
run() { timeout 60 "$WINE" 'C:\Vellacord\vellacord-convert.exe' "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }

out=$(run --info 'C:\Songs\Demo\demo.rcp'); status=$?
if [ $status = 0 ] && grep -q 'Vellacord demo song' <<<"$out"; then
    ok "$WHAT runs under Wine and shows the song's title (--info)"
else
    fail "vellacord-convert.exe --info under Wine" "exit $status: $(head -n 3 <<<"$out" | tr '\n' ' ')"
fi
out=$(run --out-dir 'C:\MIDI' 'C:\Songs'); status=$?
if [ $status = 0 ] && [ "$(head -c 4 "$DRIVE/MIDI/Demo/demo.mid" 2>/dev/null)" = MThd ]; then
    ok "$WHAT converts a folder of songs under Wine: $(tail -n 1 <<<"$out")"
else
    fail "vellacord-convert.exe --out-dir under Wine" "exit $status: $(tr '\n' ' ' <<<"$out")"
fi
exit $failed
