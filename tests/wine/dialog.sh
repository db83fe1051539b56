#!/usr/bin/env bash
# Runs the settings dialog's window test under Wine in a throwaway prefix on a virtual X
# display, once in the C locale and once in Japanese, and saves a screenshot of the dialog from
# each run into the folder given as argument.
#
# Usage: tests/wine/dialog.sh OUTPUT-DIR   (the build that Wine can run, see wine-env.sh)
set -u

if [[ "${1:-}" == "--inside" ]]; then
    # One run on the display that xvfb-run gave us: $2 label, $3 exe, $4 output dir.
    label=$2 exe=$3 out=$4
    winpath() { local p=${1//\//\\}; echo "Z:$p"; }  # the prefix maps / to drive Z:
    wine=${VLC_WINE:-wine}
    work=$(mktemp -d /tmp/vellacord-dialog.XXXXXX)
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    timeout 180 "$wine" wineboot -i >/dev/null 2>&1
    "${VLC_WINESERVER:-wineserver}" -w
    # Wine has no "ＭＳ Ｐゴシック": map it to an installed Japanese font so the captions render.
    { printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n' |
        iconv -f UTF-8 -t UTF-16LE; } >"$work/fonts.reg"
    "$wine" regedit /S "$(winpath "$work/fonts.reg")" >/dev/null 2>&1
    "${VLC_WINESERVER:-wineserver}" -w
    ready="$work/ready" shot="$work/shot"
    timeout 120 "$wine" "$exe" "$(winpath "$ready")" "$(winpath "$shot")" >"$work/log" 2>"$work/err" &
    pid=$!
    for _ in $(seq 1 600); do [[ -e "$ready" ]] && break; kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if [[ -e "$ready" ]]; then
        sleep 0.5
        xwd -root -display "$DISPLAY" | convert xwd:- "$out/dialog-$label.png"
        touch "$shot"
    fi
    wait $pid
    rc=$?
    tr -d '\r' <"$work/log" | grep -E '^(ok|FAIL) ' | sed "s/^/[$label] /"
    [[ -e "$ready" ]] && echo "[$label] screenshot $out/dialog-$label.png"
    "${VLC_WINESERVER:-wineserver}" -k 2>/dev/null
    rm -rf "$work"
    exit $rc
fi

out=${1:?usage: $0 OUTPUT-DIR}
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/wine/wine-env.sh"
vlc_pick_wine "$root" || { echo "0 passed, 1 failed"; exit 1; }
vlc_describe_wine "$root" "settings dialog"
export VLC_WINE=$WINE VLC_WINESERVER=$WINESERVER_BIN
exe=$(realpath "$VLC_WIN_BUILD/tests/wine/dialog/dialog_test.exe") ||
    { echo "FAIL dialog_test.exe missing (build first)"; echo "0 passed, 1 failed"; exit 1; }
mkdir -p "$out"
out=$(realpath "$out")
self=$(realpath "$0")

results=$(mktemp)
for run in "C:C" "ja:ja_JP.UTF-8"; do
    label=${run%%:*} lang=${run#*:}
    LANG=$lang LC_ALL=$lang xvfb-run -a -s "-screen 0 1024x768x24" \
        "$self" --inside "$label" "$exe" "$out" | tee -a "$results"
done
passed=$(grep -c '] ok ' "$results")
failed=$(grep -c '] FAIL ' "$results")
[[ $passed -gt 0 ]] || failed=$((failed + 1))  # nothing ran at all
rm -f "$results"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
