#!/usr/bin/env bash
# The real converter libraries under Wine, once in the default locale and once in Japanese
# (code page 932, folders whose names hold 0x5C trail bytes), in one prefix:
#  - their binary contract as a caller sees it (tests/wine/libraries/main.cpp), with what they
#    wrote read back by midicsv;
#  - rcpcv.ini beside rcpcv.dll: the library's files with and without one are the command
#    line's at the same settings, byte for byte;
#  - a session of the plug-in in the stand-in host with both libraries beside the host: a
#    corpus song converted and post-processed with a configuration file, a MIDI file
#    post-processed, the progress on the host's counter, every file the host got read by midicsv.
# One ok/FAIL line per check, then "N passed, N failed".   Usage: tests/wine/libraries.sh [build]
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tests/wine/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a "$0" "$@"; fi
vlc_pick_wine "$ROOT" || { echo "0 passed, 1 failed"; exit 1; }
BUILD=$(cd "${1:-$VLC_WIN_BUILD}" && pwd) || { echo "0 passed, 1 failed"; exit 1; }
CORPUS=$ROOT/../shared/corpus/rcp
export WINEDLLOVERRIDES="mscoree,mshtml="

passed=0 failed=0
check() {  # check NAME STATUS
    if [ "$2" -eq 0 ]; then echo "ok   $1"; passed=$((passed + 1)); else echo "FAIL $1"; failed=$((failed + 1)); fi
}
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }
notes() { midicsv "$1" 2>/dev/null | grep -c ', Note_on_c, .*, [1-9][0-9]*$'; }

for f in ORVO.exe Vellacord.dll rcpcv.dll smfk32.dll vellacord-convert.exe \
    tests/wine/libraries/libraries_wine_test.exe; do
    [ -f "$BUILD/$f" ] || { check "$f is built" 1; finish; }
done
for f in small-test-a.rcp small-test-b.rcp grand-slam.rcp; do
    [ -f "$CORPUS/$f" ] || { check "the song corpus holds $f ($CORPUS)" 1; finish; }
done

vlc_new_prefix "$(mktemp -d /tmp/vellacord-libraries.XXXXXX)"
DRIVE=$WINEPREFIX/drive_c
OUT=$(mktemp -d /tmp/vellacord-libraries-out.XXXXXX)
trap 'vlc_end_prefix; rm -rf "$WINEPREFIX" "$OUT"' EXIT
mkdir -p "$DRIVE/stage"
cp "$BUILD/ORVO.exe" "$BUILD/Vellacord.dll" "$BUILD/rcpcv.dll" "$BUILD/smfk32.dll" \
    "$BUILD/vellacord-convert.exe" "$BUILD/tests/wine/libraries/libraries_wine_test.exe" "$DRIVE/stage/"
cp "$CORPUS/small-test-a.rcp" "$DRIVE/stage/song.rcp"
cp "$CORPUS/small-test-b.rcp" "$DRIVE/stage/other.rcp"
cp "$CORPUS/grand-slam.rcp" "$DRIVE/stage/grand.rcp"
python3 "$ROOT/tests/converter/make-endless.py" "$CORPUS/grand-slam.rcp" "$DRIVE/stage/endless.rcp"
python3 "$ROOT/tests/samples/make-samples.py" "$DRIVE/stage" >/dev/null
cp "$DRIVE/stage/demo.mid" "$DRIVE/stage/tune.mid"
printf '; post-processing of the library tests\r\ntarget gs\r\nvelocity all 90\r\n' >"$DRIVE/stage/k.cfg"
printf 'target gs\r\nfrobnicate 3\r\n' >"$DRIVE/stage/bad.cfg"

locale_pass() {  # LABEL LANG CODEPAGE DIR SONGDIR CFG
    local L=$1 acp=$3 DIR=$4 SONGDIR=$5 CFG=$6 cp=CP1252 f
    [ "$acp" = 932 ] && cp=CP932
    export LANG=$2 LC_ALL=$2

    # The contract, from a folder of its own.
    local lib=$DRIVE/lib-$acp
    rm -rf "$lib" && mkdir -p "$lib"
    for f in libraries_wine_test.exe rcpcv.dll smfk32.dll vellacord-convert.exe song.rcp other.rcp \
        endless.rcp tune.mid k.cfg bad.cfg; do
        cp "$DRIVE/stage/$f" "$lib/"
    done
    local ran=no line
    while IFS= read -r line; do
        line=${line%$'\r'}
        case "$line" in
            ok\ *) check "$L: ${line#ok }" 0 ;;
            FAIL\ *) check "$L: ${line#FAIL }" 1 ;;
            *"failed in the program") ran=yes ;;
        esac
    done < <(timeout 120 "$WINE" "C:\\lib-$acp\\libraries_wine_test.exe" 2>/dev/null)
    check "$L: the contract program ran to its end" "$([ $ran = yes ]; echo $?)"
    for f in saved second knifed chained; do
        midicsv "$lib/out_$f.mid" >/dev/null 2>&1 && [ "$(notes "$lib/out_$f.mid")" -gt 0 ]
        check "$L: midicsv reads notes from the libraries' $f.mid" $?
    done
    # The song with endless loops as rcpcv.dll converted it without and with rcpcv.ini, against
    # the command line at the same settings (whose fade tests/converter/fade-check.py checks).
    local song="C:\\lib-$acp\\endless.rcp"
    cli() { timeout 60 "$WINE" "C:\\lib-$acp\\vellacord-convert.exe" "$@" 2>/dev/null | tr -d '\r'; }
    cli "$song" "C:\\lib-$acp\\cli_default.mid" >/dev/null
    cmp -s "$lib/cli_default.mid" "$lib/out_default.mid"
    check "$L: rcpcv.dll without rcpcv.ini makes vellacord-convert's file at the defaults" $?
    cli --loops 1 --fade 0 "$song" "C:\\lib-$acp\\cli_short.mid" >/dev/null
    cmp -s "$lib/cli_short.mid" "$lib/out_short.mid"
    check "$L: rcpcv.dll with LoopPasses=1, FadeSeconds=0 makes vellacord-convert's at --loops 1 --fade 0" $?
    local window
    window=$(cli --info "$song" | sed -n 's/^fade: \([0-9.]*\) s to \([0-9.]*\) s$/\1 \2/p')
    [ -n "$window" ] && python3 "$ROOT/tests/converter/fade-check.py" --fades "$lib/out_default.mid" $window >/dev/null
    check "$L: midicsv reads rcpcv.dll's fade out without rcpcv.ini (${window/ / s to } s)" $?

    # The session: host, plug-in and both real libraries in DIR, the songs in SONGDIR.
    local steps=("acp" "mkdir $DIR" "mkdir $SONGDIR" "mkdir C:\\cfg" "copy C:\\stage\\k.cfg \"$CFG\"")
    for f in ORVO.exe Vellacord.dll rcpcv.dll smfk32.dll; do steps+=("copy C:\\stage\\$f \"$DIR\\$f\""); done
    steps+=("copy C:\\stage\\grand.rcp \"$SONGDIR\\Grand.RCP\"" "copy C:\\stage\\tune.mid \"$SONGDIR\\tune.mid\"")
    printf '%s\n' "${steps[@]}" >"$DRIVE/place.steps"
    timeout 120 "$WINE" 'C:\stage\ORVO.exe' --script 'C:\place.steps' 2>/dev/null | tr -d '\r' >"$OUT/place.txt"
    grep -qx "acp: $acp" "$OUT/place.txt" && grep -qx 'host: done' "$OUT/place.txt"
    check "$L: code page $acp; host, plug-in and the real libraries placed in $DIR" $?

    local udir=$DRIVE/${DIR#C:\\}
    printf '%s\r\n' "[Vellacord]" "Cache=4" "RCPCV=1" "SMFKnife=1" "SMFKCC64=0" "SMFKConfig=$CFG" |
        iconv -f UTF-8 -t "$cp" >"$udir/Vellacord.ini"
    rm -rf "$DRIVE/kept"
    printf '%s\n' "keep-folder C:\\kept" "load $DIR\\Vellacord.dll" run "pump 300" \
        "echo == song" "play-keep $SONGDIR\\Grand.RCP" "echo == tune" "play-keep $SONGDIR\\tune.mid" \
        "echo == end" abort "list $DIR VLCRD*" >"$DRIVE/session.steps"
    timeout 120 "$WINE" "$DIR\\ORVO.exe" --script 'C:\session.steps' 2>/dev/null | tr -d '\r' >"$OUT/session.txt"
    local status=${PIPESTATUS[0]}
    sect() { awk -v n="$1" '/^== /{k++} k==n && !/^== /' "$OUT/session.txt"; }

    sect 1 | grep -qxF "open: result=$DIR\\VLCRD1.mid same-pointer=no"
    check "$L: the song is converted and post-processed: the host gets VLCRD1.mid" $?
    local counter
    counter=$(sect 1 | sed -n 's/^com: set_Counter(\([0-9]*\))$/\1/p' | tr '\n' ' ')
    [ "$(wc -w <<<"$counter")" -ge 4 ] && grep -qw 0 <<<"$counter" && grep -qw 100 <<<"$counter"
    check "$L: both libraries' progress reaches the host's counter ($counter)" $?
    sect 2 | grep -qxF "open: result=$DIR\\VLCRD2.mid same-pointer=no"
    check "$L: the MIDI file is post-processed alone: the host gets VLCRD2.mid" $?
    [ "$status" = 0 ] && ! grep -qE '^box|FAIL' "$OUT/session.txt" && grep -qx 'list: 0 files' "$OUT/session.txt"
    check "$L: the session ran without a message or failure, and the cache was emptied at stop" $?

    local kept=$DRIVE/kept middle final title count
    middle=$(ls "$kept"/*-VLCRD0.mid 2>/dev/null | head -1) final=$(ls "$kept"/*-VLCRD1.mid 2>/dev/null | head -1)
    title=$(midicsv "${final:-/dev/null}" 2>/dev/null | LC_ALL=C sed -n 's/^1, 0, Title_t, "\(.*\)"$/\1/p' | head -1)
    count=$(notes "${final:-/dev/null}")
    [ -n "$middle" ] && [ "$count" -gt 100 ] && [ "$count" = "$(notes "$middle")" ] &&
        LC_ALL=C grep -q 'Grand Slam Ver.2.01' <<<"$title"
    check "$L: midicsv reads the song's title and its $count notes in the file the host got" $?
    local all=0 bad=0
    for f in "$kept"/*; do
        all=$((all + 1))
        midicsv "$f" >/dev/null 2>&1 || bad=$((bad + 1))
    done
    [ "$all" -ge 3 ] && [ "$bad" = 0 ]
    check "$L: midicsv accepts all $all files the plug-in made" $?
}

locale_pass "default" C.UTF-8 1252 'C:\Vellacord' 'C:\Songs' 'C:\cfg\café.cfg'
if locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    locale_pass "ja_JP" ja_JP.UTF-8 932 'C:\ソフト表' 'C:\曲ソ表' 'C:\cfg\表ソ.cfg'
else
    check "ja_JP: locale ja_JP.UTF-8 generated (scripts/setup.sh)" 1
fi
finish
