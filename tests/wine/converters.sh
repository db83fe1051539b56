#!/usr/bin/env bash
# Runs the converter bindings against the stand-in converter libraries under Wine, in a
# throwaway prefix and directory, then has an independent SMF reader (midicsv) read what the
# stand-ins wrote. One ok/FAIL line per check, then "N passed, N failed".
# Usage: tests/wine/converters.sh   (the build that wine-env.sh chooses)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/tests/wine/wine-env.sh"
vlc_pick_wine "$root" || { echo "0 passed, 1 failed"; exit 1; }
vlc_describe_wine "$root" "converter bindings"
build=$VLC_WIN_BUILD
work=$(mktemp -d)
prefix=$(mktemp -d)
trap 'WINEPREFIX="$prefix" "$WINESERVER_BIN" -k 2>/dev/null; rm -rf "$work" "$prefix"' EXIT

# The stand-ins are built as test doubles under their own names; the bindings load the real
# names, so they are staged under those.
cp "$build/tests/wine/converters/converters_wine_test.exe" "$work/" &&
    cp "$build/standins/smfk32/smfk32-double.dll" "$work/smfk32.dll" &&
    cp "$build/standins/rcpcv/rcpcv-double.dll" "$work/rcpcv.dll" ||
    { echo "FAIL build outputs missing"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
count() { case "$1" in ok\ *) passed=$((passed + 1)) ;; FAIL\ *) failed=$((failed + 1)) ;; esac; }

cd "$work"
ran=no
while IFS= read -r line; do
    line=${line%$'\r'}
    echo "$line"
    count "$line"
    case "$line" in *"failed in the program") ran=yes ;; esac
done < <(WINEPREFIX="$prefix" timeout 300 "$WINE" converters_wine_test.exe 2>"$work/wine.err")
if [ "$ran" != yes ]; then
    echo "FAIL the Wine program ran to its end ($(head -c 200 "$work/wine.err" | tr '\n' ' '))"
    count "FAIL x"
fi

check() {  # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then echo "ok $name"; count "ok"; else echo "FAIL $name"; count "FAIL x"; fi
}
smf_ok() {  # smf_ok FILE TEXT: midicsv reads it, with a header, a text event holding TEXT, an end
    local csv
    csv=$(midicsv "$1" 2>&1) || return 1
    grep -q ', Header, 0, 1, 480' <<<"$csv" && grep -q ", Text_t, .*$2" <<<"$csv" &&
        grep -q ', End_track' <<<"$csv" && grep -q ', End_of_file' <<<"$csv"
}
check "midicsv reads the RCPCV output naming its source" smf_ok out_rcpcv.mid 'song.rcp'
check "midicsv reads the RCPCV output of a 1 MB source" smf_ok out_big.mid 'big.rcp'
check "midicsv reads the SMF Knife output naming its source" smf_ok out_smfk.mid 'in.mid'
check "midicsv reads the SMF Knife output written with result -1" smf_ok out_minus1.mid 'in.mid'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
