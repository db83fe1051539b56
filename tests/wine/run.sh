#!/usr/bin/env bash
# The Wine suite: the real DLL in the stand-in host, once in the default locale and once in
# Japanese (code page 932) from a folder whose name holds 0x5C trail bytes, plus the DLL's
# binary contract. Builds nothing: run after the win32 build (and win64 where it is used, see
# wine-env.sh, which chooses for every script of the suite).
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$ROOT/tests/wine/wine-env.sh"

# Everything runs on one headless display; Wine needs one for windows and message boxes.
if [ -z "${VLC_WINE_DISPLAY:-}" ]; then
    VLC_WINE_DISPLAY=1 exec xvfb-run -a "$0" "$@"
fi

PASSED=0 FAILED=0
ok() { echo "ok   $1"; PASSED=$((PASSED + 1)); }
fail() { echo "FAIL $1: $2"; FAILED=$((FAILED + 1)); }
check() {  # check NAME CONDITION-RESULT(0/1) REASON
    if [ "$2" = 0 ]; then ok "$1"; else fail "$1" "$3"; fi
}
has() { grep -qF -- "$2" "$1"; }

DECLINE=3341  # 0xd0d: a value no start would return by chance
REFUSAL='Vellacord

このバージョンのORVOには対応していません
対応版をお使いください'
REFUSAL_HEX=$(printf '%s' "$REFUSAL" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')

# --- Binary contracts, read from the 32-bit images --------------------------------------------
exports_of() {  # the export names of a PE image, sorted, on one line
    i686-w64-mingw32-objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' '
}
foreign_imports() {  # foreign_imports IMAGE ALLOWED-PATTERN: the imported DLLs not allowed
    local imports
    imports=$(i686-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    if [ -z "$imports" ]; then echo "no import table"; return; fi
    echo "$imports" | grep -vxE "$2" | tr '\n' ' '
}
# Calling conventions, read from the 32-bit symbol tables: a stdcall name carries the bytes its
# callee removes ("@8"), a cdecl one carries none. Wrong conventions crash only on a 32-bit run,
# which the machine may not be able to make.
decorations() {  # decorations LABEL IMAGE SYMBOL...
    local label=$1 file=$2 table sym missing=
    shift 2
    table=$(i686-w64-mingw32-objdump -t "$file" 2>/dev/null | awk '{print $NF}')
    for sym; do grep -qxF -- "$sym" <<<"$table" || missing="$missing $sym"; done
    [ -z "$missing" ]
    check "$label" $? "missing:$missing"
}

contract() {
    local dll=$ROOT/build/win32/Vellacord.dll exports bad entry
    if [ ! -f "$dll" ]; then fail "contract" "build/win32/Vellacord.dll missing"; return; fi
    i686-w64-mingw32-objdump -p "$dll" | grep -q 'file format pei-i386'
    check "contract: 32-bit PE" $? "not a pei-i386 image"
    exports=$(exports_of "$dll")
    [ "$exports" = "_pinAbort _pinOpenPlayFile _pinRun " ]
    check "contract: exports exactly _pinAbort _pinOpenPlayFile _pinRun" $? "exports: $exports"
    bad=$(foreign_imports "$dll" 'kernel32\.dll|msvcrt\.dll|user32\.dll|gdi32\.dll|advapi32\.dll|ole32\.dll|oleaut32\.dll|shell32\.dll|comdlg32\.dll|comctl32\.dll')
    [ -z "$bad" ]
    check "contract: imports only system DLLs" $? "not allowed: $bad"
    for entry in "Vellacord.dll:_pinRun _pinAbort _pinOpenPlayFile __ZN9TSMFKnife16ProgressCallbackEij@8 __ZN6TRCPCV16ProgressCallbackEPKv@4" \
        "standins/smfk32/smfk32-double.dll:_SmfkConvert@28" \
        "standins/rcpcv/rcpcv-double.dll:_rcpcvConvertFile@20 _rcpcvSaveSMF@8 _rcpcvDeleteObject@4" \
        "ORVO.exe:__ZN4host10PluginHost11HostVersionEv@4 __ZN4host10PluginHost14AcceptsVersionEi@8 __ZN4host10PluginHost7DeclineEv@4 __ZN4host10PluginHost14PluginFileNameEv@4 __ZN4host10PluginHost11PluginOwnerEv@4"; do
        decorations "contract: calling conventions in ${entry%%:*}" "$ROOT/build/win32/${entry%%:*}" ${entry#*:}
    done
}

# The real converter libraries: exactly the plain and underscore names, stdcall decorations
# behind them, system imports only.
library_contract() {
    local name dll exports want bad entry folder=$ROOT/build/win32
    for name in rcpcv smfk32; do
        dll=$folder/$name.dll
        if [ ! -f "$dll" ]; then fail "contract: $name.dll" "build/win32/$name.dll missing"; continue; fi
        exports=$(exports_of "$dll")
        case $name in
            rcpcv) want="rcpcvConvertFile rcpcvConvertFileFromBuffer rcpcvDeleteObject rcpcvGetCopyright rcpcvGetOriginalFileType rcpcvGetSMF rcpcvGetSMFLength rcpcvGetVersionMajor rcpcvGetVersionMinor rcpcvSaveSMF" ;;
            smfk32) want="GetSmfkVersion SmfkConvert" ;;
        esac
        want=$(printf '%s\n' $want | sed 'p;s/^/_/' | sort | tr '\n' ' ')
        [ "$exports" = "$want" ]
        check "contract: $name.dll exports exactly the plain and underscore names" $? "exports: $exports"
        bad=$(foreign_imports "$dll" 'kernel32\.dll|msvcrt\.dll|user32\.dll|advapi32\.dll')
        [ -z "$bad" ]
        check "contract: $name.dll imports only system DLLs" $? "not allowed: $bad"
    done
    for entry in "rcpcv.dll:_rcpcvConvertFile@20 _rcpcvConvertFileFromBuffer@20 _rcpcvSaveSMF@8 _rcpcvDeleteObject@4 _rcpcvGetSMF@4 _rcpcvGetSMFLength@4 _rcpcvGetOriginalFileType@4 _rcpcvGetVersionMajor@0 _rcpcvGetVersionMinor@0 _rcpcvGetCopyright@0" \
        "smfk32.dll:_SmfkConvert@28 _GetSmfkVersion@0"; do
        decorations "contract: calling conventions in the real ${entry%%:*}" "$folder/${entry%%:*}" ${entry#*:}
    done
}

# --- One locale pass --------------------------------------------------------------------------
# $1: label; $2: LANG value or empty for the default; $3: Windows folder for host and DLL
# (UTF-8, created by the host itself so the ANSI code page decides its bytes).
pass() {
    local label=$1 lang=$2 dir=$3 out
    out=$(mktemp -d /tmp/vellacord-wine-out.XXXXXX)
    if [ -n "$lang" ]; then export LANG=$lang; unset LC_ALL; fi
    vlc_new_prefix "$(mktemp -d /tmp/vellacord-wine.XXXXXX)"
    local drive=$WINEPREFIX/drive_c
    cp "$VLC_WIN_BUILD/ORVO.exe" "$VLC_WIN_BUILD/Vellacord.dll" "$drive/"
    local host="C:\\ORVO.exe" dll="$dir\\Vellacord.dll"
    orvo() { timeout 120 "$WINE" "$host" --script "$1" >"$2" 2>/dev/null; }

    # Place the DLL in its folder and report the code page.
    printf '%s\n' acp "mkdir \"$dir\"" "copy C:\\Vellacord.dll \"$dll\"" "copy C:\\ORVO.exe \"$dir\\ORVO.exe\"" \
        >"$drive/place.txt"
    orvo 'C:\place.txt' "$out/place"
    has "$out/place" "host: done"
    check "$label: host places the DLL in $dir" $? "$(grep FAIL "$out/place" | head -1)"
    if [ -n "$lang" ]; then
        has "$out/place" "acp: 932"
        check "$label: Wine runs with code page 932" $? "$(grep '^acp' "$out/place")"
    fi
    host="$dir\\ORVO.exe"

    # First host: pass-through before start, accepted start, held open while a second host
    # starts, then abort, pass-through after abort, abort again, and a fresh start.
    printf '%s\n' "load \"$dll\"" "decline $DECLINE" "open C:\\Songs\\before.mid" run \
        "touch C:\\first-running" "wait-for-file C:\\second-done 60000" abort \
        "open C:\\Songs\\after.mid" abort run abort >"$drive/first.txt"
    printf '%s\n' "load \"$dll\"" "decline $DECLINE" run abort "touch C:\\second-done" >"$drive/second.txt"
    orvo 'C:\first.txt' "$out/first" &
    local first=$! waited=0
    while [ ! -e "$drive/first-running" ] && [ $waited -lt 600 ]; do sleep 0.1; waited=$((waited + 1)); done
    orvo 'C:\second.txt' "$out/second"
    wait $first

    local runs
    runs=$(grep '^run: ' "$out/first")
    [ "$(echo "$runs" | head -1)" != "" ] && echo "$runs" | head -1 | grep -q 'nonzero decline=no'
    check "$label: accepted start returns a non-zero object address" $? "$(echo "$runs" | head -1)"
    has "$out/first" "host: PluginFileName() -> $dll"
    check "$label: host reports the plug-in path from its folder" $? "$(grep PluginFileName "$out/first")"
    grep '^open: ' "$out/first" | head -1 | grep -qxF 'open: result=C:\Songs\before.mid same-pointer=yes'
    check "$label: open before start returns the very pointer" $? "$(grep '^open: ' "$out/first" | head -1)"
    grep '^open: ' "$out/first" | sed -n 2p | grep -qxF 'open: result=C:\Songs\after.mid same-pointer=yes'
    check "$label: open after abort returns the very pointer" $? "$(grep '^open: ' "$out/first" | sed -n 2p)"
    [ "$(grep -c '^abort: returned' "$out/first")" = 3 ] && has "$out/first" "host: done"
    check "$label: abort twice is harmless" $? "$(tail -1 "$out/first")"
    echo "$runs" | sed -n 2p | grep -q 'nonzero decline=no'
    check "$label: start again after abort is accepted" $? "$(echo "$runs" | sed -n 2p)"

    grep -q "^run: result=0xd0d .*decline=yes" "$out/second" && ! grep -q '^box' "$out/second"
    check "$label: second host process is refused silently" $? "$(grep -E '^(run|box):' "$out/second" | tr '\n' ' ')"

    # Refusals with the message: too old a host, and a host that does not accept 6000.
    printf '%s\n' "load \"$dll\"" "decline $DECLINE" "version 5999" run >"$drive/old.txt"
    printf '%s\n' "load \"$dll\"" "decline $DECLINE" "accept no" run >"$drive/noaccept.txt"
    orvo 'C:\old.txt' "$out/old"
    orvo 'C:\noaccept.txt' "$out/noaccept"
    local case file
    for case in old noaccept; do
        file=$out/$case
        has "$file" "box-utf16: $REFUSAL_HEX"
        check "$label: $case host: refusal box shows the exact text" $? "$(grep '^box:' "$file" | head -1)"
        grep -q '^box: icon=warning caption="Vellacord"' "$file"
        check "$label: $case host: warning icon, caption Vellacord" $? "$(grep '^box:' "$file" | head -1)"
        grep -q '^run: result=0xd0d .*decline=yes' "$file"
        check "$label: $case host: start returns Decline's value" $? "$(grep '^run:' "$file")"
    done
    ! has "$out/noaccept" "HostVersion()"
    check "$label: a host that does not accept 6000 is not asked its version" $? "HostVersion was called"

    if [ "$FAILED" -gt 0 ] && [ -n "${VLC_WINE_VERBOSE:-}" ]; then tail -n +1 "$out"/*; fi
    vlc_end_prefix
    rm -rf "$WINEPREFIX" "$out"
    unset WINEPREFIX
}

vlc_pick_wine "$ROOT" || { echo "0 passed, 1 failed"; exit 1; }
vlc_describe_wine "$ROOT"
for f in ORVO.exe Vellacord.dll; do
    [ -f "$VLC_WIN_BUILD/$f" ] || { echo "FAIL $VLC_WIN_BUILD/$f missing (build first)"; echo "0 passed, 1 failed"; exit 1; }
done

contract
library_contract
( pass "default locale" "" 'C:\Vellacord' ; echo "$PASSED $FAILED" >"/tmp/vellacord-wine-count.$$" )
read -r P F <"/tmp/vellacord-wine-count.$$"; PASSED=$P FAILED=$F
if locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    ( pass "ja_JP.UTF-8" "ja_JP.UTF-8" 'C:\ソフト表' ; echo "$PASSED $FAILED" >"/tmp/vellacord-wine-count.$$" )
    read -r P F <"/tmp/vellacord-wine-count.$$"; PASSED=$P FAILED=$F
else
    fail "ja_JP.UTF-8" "locale not generated (run scripts/setup.sh)"
fi
rm -f "/tmp/vellacord-wine-count.$$"

# Suites of their own, each ending in its own count, added to this one's.
subsuite() {  # subsuite NAME COMMAND...
    local name=$1 log line p f
    shift
    log=$(mktemp)
    "$@" 2>&1 | tee "$log" | grep -vE '^[0-9]+ passed, [0-9]+ failed$'
    line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
    rm -f "$log"
    if [ -z "$line" ]; then fail "$name" "ended without a count"; return; fi
    p=${line%% passed*} f=${line#*, } f=${f%% failed}
    PASSED=$((PASSED + p)) FAILED=$((FAILED + f))
    echo "     ($name: $line)"
}
OUTPUTS=${VLC_TEST_OUTPUTS:-$ROOT/build/test-outputs}
mkdir -p "$OUTPUTS"
subsuite "converter bindings" "$ROOT/tests/wine/converters.sh"
subsuite "host link in the stand-in host" "$ROOT/tests/wine/host.sh"
subsuite "settings dialog" "$ROOT/tests/wine/dialog.sh" "$OUTPUTS"
subsuite "whole sessions in the stand-in host" "$ROOT/tests/wine/session.sh"
subsuite "the real converter libraries" "$ROOT/tests/wine/libraries.sh"
subsuite "the command line in the default locale" "$ROOT/tests/wine/cli.sh"
vlc_describe_wine "$ROOT"
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" = 0 ]
