#!/usr/bin/env bash
# Every test: native unit tests, both Windows builds, and the Wine suite in two locales.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
START=$(date +%s)
declare -a RESULTS=()
FAILED=0
stage() {  # stage NAME COMMAND...
    local name=$1 t0=$(date +%s)
    shift
    echo "=== $name"
    if "$@"; then RESULTS+=("ok   $name ($(( $(date +%s) - t0 )) s)")
    else RESULTS+=("FAIL $name ($(( $(date +%s) - t0 )) s)"); FAILED=$((FAILED + 1)); fi
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
fuzz() {
    cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j2 &&
        tests/fuzz/run-short.sh build/fuzz
}
stage "fuzzing, short seeded run" fuzz
stage "win32 build (Vellacord.dll, ORVO.exe)" win win32
vlc_native32 || stage "win64 build (for 64-bit Wine)" win win64
stage "Wine suite" tests/wine/run.sh

echo "=== summary"
printf '%s\n' "${RESULTS[@]}"
echo "total $(( $(date +%s) - START )) s"
[ "$FAILED" = 0 ]
