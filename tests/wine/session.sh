#!/usr/bin/env bash
# Whole sessions of the real plug-in in the stand-in host under Wine, once in the default locale
# (code page 1252, the songs in a folder whose name holds a space) and once in Japanese with
# the host, the plug-in and the songs in folders whose names hold 0x5C trail bytes: start,
# chained conversion, cache hits and eviction, the fallbacks when a converter fails, the menu,
# the settings dialog, close and reopen, the exit item and the stop; a second host process
# refused meanwhile. One prefix per locale.
# One ok/FAIL line per check, then "N passed, N failed".
# Usage: tests/wine/session.sh   (the build that wine-env.sh chooses)
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tests/wine/wine-env.sh"
. "$ROOT/tests/wine/session-steps.sh"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a "$0" "$@"; fi
vlc_pick_wine "$ROOT" || { echo "0 passed, 1 failed"; exit 1; }
vlc_describe_wine "$ROOT" "whole sessions"
BUILD=$VLC_WIN_BUILD
export WINEDLLOVERRIDES="mscoree,mshtml="

passed=0 failed=0
check() {  # check NAME STATUS
    if [ "$2" -eq 0 ]; then echo "ok   $1"; passed=$((passed + 1)); else echo "FAIL $1"; failed=$((failed + 1)); fi
}
has() { grep -qxF -- "$2" "$OUT/$1.txt"; }   # has RUN LINE
sect() {  # sect RUN N: the lines of the N-th "== " section of a run
    awk -v n="$2" '/^== /{k++} k==n && !/^== /' "$OUT/$1.txt"
}
# A path as the stand-in converters log it: ANSI bytes, all but printable ASCII as \xNN.
logq() { printf '"%s"' "$1" | iconv -f UTF-8 -t "$CP" | perl -pe 's/([^\x20-\x7e]|(?<=.)"(?=.))/sprintf("\\x%02X", ord $1)/ge'; }
ini() {  # ini FILE LINE...: a settings file in the ANSI code page
    printf '%s\r\n' "${@:2}" | iconv -f UTF-8 -t "$CP" >"$1"
}
host() {  # host RUN [VAR=value ...]: runs $DRIVE/RUN.steps in the host of $DIR
    local run=$1
    shift
    rm -rf "$DRIVE/logs" "$DRIVE/kept"
    mkdir -p "$DRIVE/logs"
    env VLC_RCPCV_LOG='C:\logs\rcpcv.log' VLC_SMFK32_LOG='C:\logs\smfk32.log' "$@" \
        timeout 120 "$WINE" "$DIR\\ORVO.exe" --script "C:\\$run.steps" 2>/dev/null | tr -d '\r' >"$OUT/$run.txt"
    echo "exit ${PIPESTATUS[0]}" >>"$OUT/$run.txt"
}
midi_ok() {  # every file kept by the last run is a Standard MIDI File to midicsv
    local f n=0
    for f in "$DRIVE"/kept/*; do
        [ -e "$f" ] || continue
        midicsv "$f" >/dev/null 2>&1 || return 1
        n=$((n + 1))
    done
    [ $n -gt 0 ]
}
captions=("Vellacord" "-" "Vellacord" "SMFナイフ" "デフォルト" "Config File" "その他..." "プロパティ..." "ヘルプ" "-" "終了")

locale_pass() {  # LABEL LANG CODEPAGE DIR SONGDIR CFG
    local L=$1 lang=$2 acp=$3
    DIR=$4 SONGDIR=$5 CFG=$6 CP=CP$acp
    [ "$acp" = 932 ] || CP=CP1252
    export LANG=$lang LC_ALL=$lang
    OUT=$(mktemp -d /tmp/vellacord-session-out.XXXXXX)
    vlc_new_prefix "$(mktemp -d /tmp/vellacord-session.XXXXXX)"
    DRIVE=$WINEPREFIX/drive_c
    mkdir -p "$DRIVE/stage"
    # The stand-in converters, test doubles by their built names, go in under the real names.
    cp "$BUILD/ORVO.exe" "$BUILD/Vellacord.dll" "$HELP" "$DRIVE/stage/"
    cp "$BUILD/standins/rcpcv/rcpcv-double.dll" "$DRIVE/stage/rcpcv.dll"
    cp "$BUILD/standins/smfk32/smfk32-double.dll" "$DRIVE/stage/smfk32.dll"
    python3 "$ROOT/tests/samples/make-samples.py" "$DRIVE/stage"
    # Folders made by a process of this locale's code page, so their names are its bytes.
    local f steps=("acp" "mkdir \"$DIR\"" "mkdir \"$SONGDIR\"")
    for f in ORVO.exe Vellacord.dll Vellacord.chm rcpcv.dll smfk32.dll; do steps+=("copy C:\\stage\\$f \"$DIR\\$f\""); done
    for f in song.rcp tune.mid A.mid B.mid C.mid D.MID; do
        steps+=("copy C:\\stage\\demo.${f##*.} \"$SONGDIR\\$f\"")
    done
    printf '%s\n' "${steps[@]}" >"$DRIVE/place.steps"
    timeout 120 "$WINE" 'C:\stage\ORVO.exe' --script 'C:\place.steps' 2>/dev/null | tr -d '\r' >"$OUT/place.txt"
    grep -qx "acp: $acp" "$OUT/place.txt" && grep -qx 'host: done' "$OUT/place.txt"
    check "$L: code page $acp; host, plug-in and converters placed in $DIR" $?
    local udir=$DRIVE/${DIR#C:\\} rcp="$SONGDIR\\song.rcp" mid="$SONGDIR\\tune.mid" other="$SONGDIR\\Other.RCP"
    local V="$DIR\\VLCRD"

    # ---- A: the whole session, a second host meanwhile, close and reopen ----
    ini "$udir/Vellacord.ini" "[Vellacord]" "Cache=3" "RCPCV=1" "SMFKnife=1" "SMFKConfig=$CFG"
    SONGS=("$rcp" "$mid") TRACKS=("$rcp" "$mid" "$other") SELECT=2 CACHE_EDIT=4 SECOND=1 REOPEN=1 UNPIN=1 SHOT=
    vlc_session_steps >"$DRIVE/A.steps"
    printf '%s\n' "load \"$DIR\\Vellacord.dll\"" "decline 3341" run abort 'touch C:\second-done' >"$DRIVE/second.steps"
    rm -f "$DRIVE/first-running" "$DRIVE/second-done"
    host A &
    local first=$! i
    for i in $(seq 600); do [ -e "$DRIVE/first-running" ] && break; sleep 0.1; done
    timeout 60 "$WINE" "$DIR\\ORVO.exe" --window none --script 'C:\second.steps' 2>/dev/null | tr -d '\r' >"$OUT/second.txt"
    wait $first
    cp -r "$DRIVE/kept" "$OUT/kept-A" 2>/dev/null

    grep -q '^run: result=0x[0-9a-f]* nonzero decline=no$' "$OUT/A.txt" && has A "host: AcceptsVersion(6000) -> 1" &&
        grep -q '^com: CheckVersion(4300) -> S_OK$' "$OUT/A.txt" && grep -q '^com: Attach(' "$OUT/A.txt"
    check "$L: start: version gate, bound to the host's automation server" $?
    grep -q '^run: result=0xd0d .*decline=yes' "$OUT/second.txt" && ! grep -q '^box' "$OUT/second.txt"
    check "$L: a second host process is refused silently while the first runs" $?
    [ "$(sect A 3 | sed -n 's/^menu: *\[0x[0-9a-f]*\] "\(.*\)"$/\1/p' | tr '\n' '|')" = "$(printf '%s|' "${captions[@]}")" ]
    check "$L: the menu tree the host holds" $?
    local got expected="" c
    got=$(grep -A1 'Menu.AddItem' "$OUT/A.txt" | grep '^com-utf16: ' | head -11 | cut -d' ' -f2)
    for c in "${captions[@]}"; do expected+="$(printf '%s' "$c" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')"$'\n'; done
    [ "$got" = "${expected%$'\n'}" ]
    check "$L: the host receives the captions as the right UTF-16" $?
    sect A 4 | tr '\n' '|' | grep -qF 'file: [mci extensions]|file: rcp=Sequencer|file: r36=Sequencer|file: g36=Sequencer|'
    check "$L: WIN.INI registers rcp, r36, g36 as Sequencer" $?
    sect A 5 | grep -qxF "rcpcv: rcpcvSaveSMF(0x5A000001, $(logq "${V}0.mid")) -> 0" &&
        sect A 5 | grep -qF "smfk32: SmfkConvert(" &&
        sect A 5 | grep -qF ", $(logq "${V}0.mid"), $(logq "${V}1.mid"), $(logq "$CFG"), 0," &&
        sect A 5 | grep -qxF "open: result=${V}1.mid same-pointer=no"
    check "$L: an .rcp is chained: VLCRD0.mid, then VLCRD1.mid, which the host gets" $?
    [ "$(sect A 5 | grep -c '^com: set_Counter(')" -ge 6 ] && sect A 5 | grep -qxF 'com: set_Counter(100)'
    check "$L: both converters' progress reaches the host's counter" $?
    sect A 6 | grep -qF "smfk32: SmfkConvert(0x" && sect A 6 | grep -qxF "open: result=${V}2.mid same-pointer=no" &&
        ! sect A 6 | grep -q '^rcpcv: rcpcvConvert'
    check "$L: a .mid goes through SMF Knife alone" $?
    sect A 7 | grep -qxF "open: result=${V}1.mid same-pointer=no" && [ "$(sect A 7 | grep -c ': (no calls)$')" = 2 ]
    check "$L: the same .rcp again is a hit without a converter call" $?
    sect A 8 | grep -qxF 'com: Menu.SetItemEnabled(0x103, 1)' && sect A 8 | grep -q '^com: Menu.SetItemCaption(0x105, '
    check "$L: the menu display for a .RCP track enables the submenu and shows the configuration" $?
    sect A 8 | grep -qxF "file: $other=$CFG"
    check "$L: a click pins the shown configuration ($CFG) to the track" $?
    local unpin
    unpin=$(sect A 8 | grep -n '^step: menu click .*デフォルト' | cut -d: -f1)
    [ -n "$unpin" ] && ! sect A 8 | tail -n +"$unpin" | grep -qF "file: $other="
    check "$L: a click on デフォルト removes the track's key" $?
    local shell want=", verb=null, file=\"$DIR\\Vellacord.chm\", parameters=null, directory=null, show=1) exists=yes"
    shell=$(grep '^shell: ' "$OUT/A.txt")
    [ "$(sed -n 1p <<<"$shell")" = "shell: ShellExecuteA(parent=TFormORVO$want" ]
    check "$L: the menu's ヘルプ hands the shell $DIR\\Vellacord.chm beside the plug-in, with the player's window" $?
    [ "$(sed -n 2p <<<"$shell")" = "shell: ShellExecuteA(parent=VellacordFormMain$want" ] && [ "$(wc -l <<<"$shell")" = 2 ]
    check "$L: the dialog's ヘルプ hands the shell the same help file, with the dialog's window" $?
    sect A 9 | grep -q '^dialog: shown ' && sect A 9 | grep -qx 'dialog: none shown' &&
        sect A 9 | grep -qx 'file: Cache=4' && sect A 9 | grep -qx 'file: SMFKCC64=0'
    check "$L: the settings dialog opens from the menu, and its OK saves the change" $?
    sect A 10 | grep -q '^rcpcv: rcpcvConvertFile(' && sect A 10 | grep -qxF "open: result=${V}4.mid same-pointer=no"
    check "$L: after the dialog's OK the cache is flushed and the .rcp converts anew" $?
    sect A 11 | grep -qx 'clients: 0 attached, 0 references held' && [ "$(grep -c '^com: Attach(' "$OUT/A.txt")" = 2 ] &&
        [ "$(sect A 11 | sed -n 's/^menu: *\[0x[0-9a-f]*\] "\(.*\)"$/\1/p' | tr '\n' '|')" = "$(printf '%s|' "${captions[@]}")" ] &&
        sect A 11 | grep -qxF "open: result=${V}4.mid same-pointer=no" && [ "$(sect A 11 | grep -c ': (no calls)$')" = 2 ]
    check "$L: Close then Open: unbound, bound again, menu rebuilt, cache kept" $?
    sect A 12 | grep -qx 'host: ending the client, _pinAbort' && sect A 12 | grep -qx 'clients: 0 attached, 0 references held'
    check "$L: the exit item stops the plug-in, leaving no client or reference" $?
    local keys
    keys=$(sect A 13 | sed -n '/^file: \[Vellacord\]$/,/^file: \[/p' | grep -v '^file: \[' | sort | tr '\n' '|')
    [ "$keys" = "$(printf 'file: %s\n' Cache=4 RCPCV=1 SMFKCC64=0 SMFKCh10=-1 SMFKBank=-1 SMFKMac=-1 "SMFKConfig=$CFG" SMFKnife=1 Version=6003 | sort | tr '\n' '|')" ]
    check "$L: after stop the settings file holds the nine keys (Version 6003, the dialog's changes, $CFG)" $?
    sect A 13 | grep -qx 'list: 0 files'
    check "$L: every cache file is deleted at stop" $?
    has A "exit 0" && ! grep -q FAIL "$OUT/A.txt" && midi_ok
    check "$L: the session ran without failure and midicsv reads every converted file" $?

    # ---- B: only SMF Knife, cache 2: eviction, a hit moving to the front, .MID, .rcp untouched ----
    ini "$udir/Vellacord.ini" "[Vellacord]" "Cache=2" "RCPCV=0" "SMFKnife=1" "SMFKConfig=$CFG"
    steps=("load \"$DIR\\Vellacord.dll\"" run)
    for f in A.mid B.mid C.mid list B.mid list D.MID song.rcp; do
        case $f in list) steps+=("list \"$DIR\" VLCRD*") ;; *) steps+=("echo == $f" "play-keep \"$SONGDIR\\$f\"" "log-new C:\\logs\\smfk32.log smfk32") ;; esac
    done
    printf '%s\n' "${steps[@]}" abort >"$DRIVE/B.steps"
    host B
    sect B 3 | grep -qxF "open: result=${V}2.mid same-pointer=no" && sect B 3 | tr '\n' '|' | grep -qF 'list: VLCRD1.mid|list: VLCRD2.mid|list: 2 files|'
    check "$L: A, B, C with cache 2: A's file is evicted and deleted" $?
    sect B 4 | grep -qxF "open: result=${V}1.mid same-pointer=no" && sect B 4 | grep -qx 'smfk32: (no calls)' &&
        sect B 4 | tr '\n' '|' | grep -qF 'list: VLCRD1.mid|list: VLCRD2.mid|list: 2 files|'
    check "$L: B again is a hit and moves to the front" $?
    sect B 5 | grep -qxF "open: result=${V}3.mid same-pointer=no" && sect B 5 | grep -qF "$(logq "$SONGDIR\\D.MID")"
    check "$L: .MID in upper case is converted" $?
    sect B 6 | grep -qxF "open: result=$SONGDIR\\song.rcp same-pointer=yes" && sect B 6 | grep -qx 'smfk32: (no calls)'
    check "$L: an .rcp with only SMF Knife on is returned unchanged" $?

    # ---- C: a fresh object, both on, cache 2: the chained example; SMF Knife failing ----
    ini "$udir/Vellacord.ini" "[Vellacord]" "Cache=2" "RCPCV=1" "SMFKnife=1" "SMFKConfig=$CFG"
    printf '%s\n' "keep-folder C:\\kept" "load \"$DIR\\Vellacord.dll\"" run "echo == rcp" "play-keep \"$rcp\"" "log-new C:\\logs\\smfk32.log smfk32" \
        "echo == mid" "play-keep \"$mid\"" abort "list \"$DIR\" VLCRD*" >"$DRIVE/C.steps"
    host C
    sect C 1 | grep -qxF "open: result=${V}1.mid same-pointer=no" && has C "exit 0" && ! grep -q FAIL "$OUT/C.txt" && midi_ok
    check "$L: cache 2, both on: the host gets VLCRD1.mid, a valid SMF" $?
    host C VLC_SMFK32_STEER=result=1
    sect C 1 | grep -qxF "open: result=${V}0.mid same-pointer=no" && sect C 1 | grep -qx 'smfk32: SmfkConvert -> 1' &&
        sect C 2 | grep -qxF "open: result=$mid same-pointer=yes" && ! grep -q '^box' "$OUT/C.txt" && grep -qx 'list: 0 files' "$OUT/C.txt"
    check "$L: SMF Knife failing: the intermediate file, then the host's own path, no message" $?

    # ---- D: RCPCV writing nothing, no configuration ----
    ini "$udir/Vellacord.ini" "[Vellacord]" "Cache=2" "RCPCV=1" "SMFKnife=1"
    printf '%s\n' "keep-folder C:\\kept" "load \"$DIR\\Vellacord.dll\"" run "echo == rcp" "play-keep \"$rcp\"" "log-new C:\\logs\\rcpcv.log rcpcv" \
        "echo == rcp" "play-keep \"$rcp\"" "log-new C:\\logs\\rcpcv.log rcpcv" "echo == mid" "play-keep \"$mid\"" \
        "echo == mid" "play-keep \"$mid\"" "log-new C:\\logs\\smfk32.log smfk32" abort >"$DRIVE/D.steps"
    host D VLC_RCPCV_STEER=write-nothing
    sect D 1 | grep -qxF "open: result=$rcp same-pointer=yes" && sect D 2 | grep -qxF "open: result=$rcp same-pointer=yes" &&
        sect D 2 | grep -q '^rcpcv: rcpcvSaveSMF('
    check "$L: RCPCV writing nothing: the host's own path, and the failed entry is no hit" $?
    [ "$(grep -c '^box: icon=' "$OUT/D.txt")" = 1 ] && sect D 3 | grep -qF 'text="SMFナイフ コンフィグファイルが設定されていません"' &&
        sect D 3 | grep -qxF "open: result=$mid same-pointer=yes" && sect D 4 | grep -qxF "open: result=$mid same-pointer=yes" &&
        ! sect D 4 | grep -q 'SmfkConvert(' && ! grep -q 'kept: FAIL' "$OUT/D.txt"
    check "$L: no configuration: the message once, the host's own path both times" $?

    if [ "$failed" -gt 0 ] && [ -n "${VLC_WINE_VERBOSE:-}" ]; then tail -n +1 "$OUT"/*.txt; fi
    vlc_end_prefix
    rm -rf "$WINEPREFIX" "$OUT"
}

start=$(date +%s)
# The help file as the package holds it, made from the guide's source.
GUIDE=$(mktemp -d /tmp/vellacord-guide.XXXXXX)
python3 "$ROOT/scripts/make-guide.py" "$GUIDE" >/dev/null
HELP=$GUIDE/help/Vellacord.chm
locale_pass "default" C.UTF-8 1252 'C:\Vellacord' 'C:\My Songs' 'C:\cfg\café.cfg'
if locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    locale_pass "ja_JP" ja_JP.UTF-8 932 'C:\ソフト表' 'C:\曲ソ表' 'C:\cfg\表ソ.cfg'
else
    check "ja_JP: locale ja_JP.UTF-8 generated (scripts/setup.sh)" 1
fi
rm -rf "$GUIDE"
echo "session suite: $(( $(date +%s) - start )) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
