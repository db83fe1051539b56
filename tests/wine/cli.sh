#!/usr/bin/env bash
# The command line under Wine in the default locale (code page 1252): a song in a folder whose
# name holds Japanese characters is converted, its output replaced, a folder refused as the
# output, and --info and the messages print the song's title and the file names readable, both
# redirected (UTF-8) and on a console; the folder then converts into an output folder, and a
# song is never written over by its own conversion. One ok/FAIL line per check, then "N passed,
# N failed".
# Usage: tests/wine/cli.sh [build]
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tests/wine/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a "$0" "$@"; fi
vlc_pick_wine "$ROOT" || { echo "0 passed, 1 failed"; exit 1; }
BUILD=$(cd "${1:-$VLC_WIN_BUILD}" && pwd) || { echo "0 passed, 1 failed"; exit 1; }
SONG=$ROOT/../shared/corpus/rcp/grand-slam.rcp
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8

passed=0 failed=0
check() {  # check NAME STATUS [DETAIL]
    if [ "$2" -eq 0 ]; then echo "ok   $1"; passed=$((passed + 1)); else echo "FAIL $1${3:+: $3}"; failed=$((failed + 1)); fi
}
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }
[ -f "$BUILD/vellacord-convert.exe" ] || { check "vellacord-convert.exe is built" 1; finish; }
[ -f "$SONG" ] || { check "the song corpus holds grand-slam.rcp" 1; finish; }

vlc_new_prefix "$(mktemp -d /tmp/vellacord-cli.XXXXXX)"
trap 'vlc_end_prefix; rm -rf "$WINEPREFIX"' EXIT
DRIVE=$WINEPREFIX/drive_c
mkdir -p "$DRIVE/曲集/表ソ" "$DRIVE/曲集/out.mid"
cp "$BUILD/vellacord-convert.exe" "$DRIVE/"
cp "$SONG" "$DRIVE/曲集/表ソ/グランド.rcp"
convert() { timeout 60 "$WINE" 'C:\vellacord-convert.exe' "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }

acp=$(timeout 60 "$WINE" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null | tr -d '\r' | awk '/ACP/ {print $NF}')
check "Wine runs with code page 1252 ($acp)" "$([ "$acp" = 1252 ]; echo $?)"

out=$(convert 'C:\曲集\表ソ\グランド.rcp' 'C:\曲集\表ソ\出力.mid'); status=$?
notes=$(midicsv "$DRIVE/曲集/表ソ/出力.mid" 2>/dev/null | grep -c ', Note_on_c, .*, [1-9][0-9]*$')
check "a song in a Japanese folder converts (exit $status, $notes notes)" "$([ $status = 0 ] && [ -z "$out" ] && [ "$notes" -gt 100 ]; echo $?)" "$out"

printf 'old' >"$DRIVE/曲集/表ソ/出力.mid"
out=$(convert --loops 1 'C:\曲集\表ソ\グランド.rcp' 'C:\曲集\表ソ\出力.mid'); status=$?
left=$(ls "$DRIVE/曲集/表ソ" | tr '\n' ' ')
check "an existing output is replaced, nothing else left ($left)" "$([ $status = 0 ] && [ "$(head -c 4 "$DRIVE/曲集/表ソ/出力.mid")" = MThd ] && [ "$left" = "グランド.rcp 出力.mid " ]; echo $?)" "$out"

out=$(convert 'C:\曲集\表ソ\グランド.rcp' 'C:\曲集\out.mid'); status=$?
check "a folder given as the output is refused and kept" "$([ $status = 1 ] && [ -d "$DRIVE/曲集/out.mid" ] && [ "$out" = 'vellacord-convert: C:\曲集\out.mid: is a folder, not a file' ]; echo $?)" "exit $status: $out"

title=$(python3 -c 'import sys; d=open(sys.argv[1],"rb").read(); print(d[0x20:0x60].decode("cp932").rstrip(" \0"))' "$SONG")
out=$(convert --info 'C:\曲集\表ソ\グランド.rcp'); status=$?
check "--info prints the title decoded: $title" "$([ $status = 0 ] && grep -qxF "title: $title" <<<"$out"; echo $?)" "$(grep '^title' <<<"$out")"

# On a console (a terminal here) the text goes through the wide console calls; the console
# draws blanks as cursor moves, so the comparison leaves blanks out.
out=$(script -qc "timeout 60 $WINE 'C:\\vellacord-convert.exe' --info 'C:\\曲集\\表ソ\\グランド.rcp'" /dev/null |
    sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\r ')
check "--info on a console shows the title too" "$(grep -qxF "title:${title// /}" <<<"$out"; echo $?)" "$(grep '^title' <<<"$out")"

out=$(convert 'C:\曲集\無い.rcp' 'C:\曲集\x.mid'); status=$?
check "a message names a Japanese file readably" "$([ $status = 1 ] && [ "$out" = 'vellacord-convert: C:\曲集\無い.rcp: cannot open the file' ]; echo $?)" "$out"

out=$(convert --jobs 2 --out-dir 'C:\出力' 'C:\曲集'); status=$?
check "a Japanese folder converts into an output folder of the same layout" "$([ $status = 0 ] && [ "$out" = '1 converted, 0 skipped (output present), 0 failed' ] && [ "$(head -c 4 "$DRIVE/出力/表ソ/グランド.mid")" = MThd ]; echo $?)" "exit $status: $out"
mkdir -p "$DRIVE/同じ" && cp "$SONG" "$DRIVE/同じ/song.mid"
out=$(convert --force --out-dir 'c:\同じ' 'C:\同じ'); status=$?
check "a song under a MIDI name is never written over by its own conversion" "$([ $status = 1 ] && cmp -s "$SONG" "$DRIVE/同じ/song.mid" && grep -qF 'is one of the songs of this run' <<<"$out"; echo $?)" "exit $status: $out"
finish
