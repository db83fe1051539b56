#!/usr/bin/env bash
# The post-processor over real files: every MIDI file of the corpus (Debian's
# planetblupi-music-midi) and every RCP-family song of the song corpus (chained through the song
# converter, as the plug-in does), under each option alone and under the sample configuration
# with all options. Every output must be accepted by midicsv; a run with no option and an empty
# configuration must keep every event (same midicsv listing as the source, or as the song
# converted alone).
#
#   tests/converter/knife-corpus.sh CLI [MIDI_DIR] [SONG_DIR]
#
# Prints one line per file and "N passed, N failed"; exits nonzero when a check fails.
set -u

cli=${1:?usage: knife-corpus.sh CLI [MIDI_DIR] [SONG_DIR]}
root=$(cd "$(dirname "$0")/../.." && pwd)
midi_dir=${2:-/usr/share/planetblupi/music}
song_dir=${3:-$root/../shared/corpus/rcp}
sample=$root/knife/sample.cfg
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/empty.cfg"

passed=0
failed=0
fail() {
    echo "FAIL $1"
    failed=$((failed + 1))
}

# Runs the command line; the output must exist and midicsv must read it without complaint.
accepted() {  # NAME ARGUMENTS...
    local name=$1
    shift
    rm -f "$work/out.mid"
    if ! "$cli" "$@" "$work/out.mid" >"$work/report" 2>&1; then
        fail "$name: $(head -1 "$work/report")"
        return 1
    fi
    if ! midicsv "$work/out.mid" >"$work/out.csv" 2>"$work/midicsv.err" ||
        [ -s "$work/midicsv.err" ]; then
        fail "$name: midicsv refuses the output: $(head -1 "$work/midicsv.err")"
        return 1
    fi
    return 0
}

# One source under every option; $2 is the midicsv listing an untouched run must reproduce.
check_source() {  # SOURCE EXPECTED_CSV
    local source=$1 expected=$2 name ok=1
    name=$(basename "$source")
    if accepted "$name untouched" --knife "$work/empty.cfg" "$source"; then
        if ! cmp -s "$expected" "$work/out.csv"; then
            fail "$name untouched: events differ from the source"
            ok=0
        fi
    else
        ok=0
    fi
    for option in --ch10 --bank --cc64 --no-mac-cut; do
        accepted "$name $option" --knife "$work/empty.cfg" "$option" "$source" || ok=0
    done
    accepted "$name sample" --knife "$sample" --ch10 --bank --cc64 "$source" || ok=0
    if [ $ok -eq 1 ]; then
        echo "ok   $name ($(tr '\n' ';' <"$work/report"))"
        passed=$((passed + 1))
    fi
}

if ! command -v midicsv >/dev/null; then
    fail "midicsv is not installed (scripts/setup.sh installs it)"
elif ! ls "$midi_dir"/*.mid >/dev/null 2>&1; then
    fail "no MIDI corpus in $midi_dir (scripts/setup.sh installs planetblupi-music-midi)"
else
    for source in "$midi_dir"/*.mid; do
        if ! midicsv "$source" >"$work/source.csv" 2>/dev/null; then
            fail "$(basename "$source"): midicsv cannot read the source itself"
            continue
        fi
        check_source "$source" "$work/source.csv"
    done
    for source in "$song_dir"/*.rcp "$song_dir"/*.r36 "$song_dir"/*.g36; do
        [ -e "$source" ] || continue
        # An untouched chain must give what the song converter gives alone.
        if ! "$cli" "$source" "$work/plain.mid" >/dev/null 2>&1 ||
            ! midicsv "$work/plain.mid" >"$work/plain.csv" 2>/dev/null; then
            fail "$(basename "$source"): the song converter alone fails"
            continue
        fi
        check_source "$source" "$work/plain.csv"
    done
fi
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
