#!/bin/sh
# Short fuzz run, part of the test command: each fuzz target of BUILD_DIR (the `fuzz` preset,
# build/fuzz) runs from its committed seed corpus with a fixed seed and a fixed number of
# inputs, a few seconds each. Prints one ok/FAIL line per target and "N passed, N failed";
# exits non-zero when a target crashes, leaks, trips a sanitizer or breaks a property.
#
#   cmake --preset fuzz && cmake --build --preset fuzz && tests/fuzz/run-short.sh build/fuzz
#
# Longer run (any target; new inputs collect in the first folder, the seeds stay untouched;
# a finding is written as crash-*/leak-*/oom-* to the current folder):
#
#   mkdir -p /tmp/fuzz-orvo && build/fuzz/fuzz_orvo_handler -max_total_time=1800 \
#       -timeout=10 -rss_limit_mb=2048 /tmp/fuzz-orvo tests/fuzz/corpus/fuzz_orvo_handler
#
# Replay a finding:  build/fuzz/fuzz_orvo_handler crash-<hash>
# Seeds are written by tests/fuzz/make-corpus.py.
set -u

build=${1:?usage: run-short.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inputs per target, sized for a few seconds on one core.
runs_for() {
    case "$1" in
        fuzz_mbcs_paths) echo 40000 ;;
        fuzz_orvo_handler) echo 20000 ;;
        fuzz_cd_track) echo 10000 ;;
        fuzz_knife) echo 100000 ;;
        fuzz_mt32) echo 20000 ;;
        fuzz_rcp_convert) echo 1500 ;;
        *) echo 2500 ;;
    esac
}

passed=0
failed=0
for corpus in "$here"/corpus/*/; do
    target=$(basename "$corpus")
    exe="$build/$target"
    if [ ! -x "$exe" ]; then
        echo "FAIL $target (not built in $build)"
        failed=$((failed + 1))
        continue
    fi
    # The fuzzer adds new inputs to its first folder: a scratch copy, never the seeds.
    mkdir -p "$work/$target/corpus" "$work/$target/found"
    cp "$corpus"/* "$work/$target/corpus/"
    start=$(date +%s.%N)
    "$exe" -seed=1 -runs="$(runs_for "$target")" -max_total_time=20 -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$work/$target/found/" \
        "$work/$target/corpus" >"$work/$target/log" 2>&1
    status=$?
    seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    if [ $status -eq 0 ]; then
        printf 'ok   %s (%.1f s)\n' "$target" "$seconds"
        passed=$((passed + 1))
    else
        printf 'FAIL %s (%.1f s, exit %d)\n' "$target" "$seconds" "$status"
        grep -E 'ERROR|SUMMARY|property failed' "$work/$target/log" | head -5 | sed 's/^/     /'
        for found in "$work/$target/found"/*; do
            [ -e "$found" ] || continue
            mkdir -p fuzz-findings && cp "$found" fuzz-findings/
            echo "     input kept as fuzz-findings/$(basename "$found")"
        done
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
