#!/usr/bin/env bash
# Every test: native unit tests, the converters against independent readers, the Windows build
# (and the 64-bit one where the Wine runs use it, see tests/wine/wine-env.sh), the Wine suite in
# two locales, and the release package.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
START=$(date +%s)
declare -a RESULTS=()
FAILED=0
LOG=$(mktemp)
trap 'rm -f "$LOG"' EXIT
stage() {  # stage NAME COMMAND...
    local name=$1 t0=$(date +%s) rc
    shift
    echo "=== $name"
    "$@" 2>&1 | tee -a "$LOG"
    rc=${PIPESTATUS[0]}
    if [ "$rc" = 0 ]; then RESULTS+=("ok   $name ($(( $(date +%s) - t0 )) s)")
    else RESULTS+=("FAIL $name ($(( $(date +%s) - t0 )) s)"); FAILED=$((FAILED + 1)); fi
}
# Adds up the counts every suite printed: ctest's "N tests failed out of M" and the plain
# "N passed, N failed" closing lines of the fuzz and Wine suites.
total_counts() {
    awk '/tests passed, [0-9]+ tests failed out of [0-9]+/ { f = $(NF-5); t = $NF; p += t - f; x += f }
         /^[0-9]+ passed, [0-9]+ failed$/ { p += $1; x += $3 }
         END { printf "%d passed, %d failed\n", p, x }' "$LOG"
}

stage "setup" scripts/setup.sh || true
[ "$FAILED" = 0 ] || { printf '%s\n' "${RESULTS[@]}"; exit 1; }
. tests/wine/wine-env.sh

native() {
    cmake --preset native >/dev/null && cmake --build --preset native -j2 &&
        ctest --preset native -j2
}
win() {  # $1: preset
    cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j2
}
stage "native build and unit tests" native
stage "song converter against the reference reader" python3 tests/converter/fidelity.py build/native/vellacord-convert
stage "endless songs fade and end cleanly" python3 tests/converter/fade-check.py build/native/vellacord-convert
stage "post-processor over the corpora" tests/converter/knife-corpus.sh build/native/vellacord-convert
fuzz() {
    cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j2 &&
        tests/fuzz/run-short.sh build/fuzz
}
stage "fuzzing, short seeded run" fuzz
stage "win32 build (Vellacord.dll, ORVO.exe)" win win32
vlc_uses_win64 && stage "win64 build (for 64-bit Wine)" win win64
# The summary names the build and the Wine the suite ran, as the suite itself does.
WINE_SUITE="Wine suite"
vlc_pick_wine "$ROOT" 2>/dev/null && WINE_SUITE=$(vlc_describe_wine "$ROOT")
stage "$WINE_SUITE" tests/wine/run.sh
package() { scripts/package.sh && tests/package/run.sh; }
stage "release package (dist/Vellacord-<version>-win32.zip) and its check" package

echo "=== summary"
printf '%s\n' "${RESULTS[@]}"
echo "total $(( $(date +%s) - START )) s"
# A stage that failed without printing a count still counts as a failure.
counts=$(total_counts)
if [ "$FAILED" != 0 ]; then
    read -r p _ f _ <<<"$counts"
    [ "$f" -ge "$FAILED" ] || counts="$p passed, $FAILED failed"
fi
echo "$counts"
[ "$FAILED" = 0 ]
