# Sourced by scripts/demo.sh after its session: how long each song of the session plays, with
# and without the fade out of an endless loop. The command-line converter reports the lengths
# (one pass without a fade, and the defaults rcpcv.dll also uses when no rcpcv.ini lies beside
# it); the file the host got is measured through midicsv and must last as long.
# Needs: WINE, DRIVE, OUT, VLC_WIN_BUILD, SONGS; the host's transcript in $OUT/host.txt. Prints
# the transcript part; a disagreement shows as a FAIL line.

vlc_demo_fade() {
    local song info short length kept measured
    echo
    echo "== how long the songs play: an endless loop plays twice, then fades out over 10 s"
    for song in "${SONGS[@]}"; do
        case "${song,,}" in *.rcp | *.r36 | *.g36 | *.g18) ;; *) continue ;; esac
        info=$("$WINE" "$VLC_WIN_BUILD/vellacord-convert.exe" --info "$song" 2>&1 | tr -d '\r')
        length=$(sed -n 's/^length: //p' <<<"$info")
        echo "   $song"
        if [ -z "$length" ]; then
            echo "   FAIL vellacord-convert --info gives no length:"
            echo "$info" | sed 's/^/     /'
            continue
        fi
        if grep -qx 'endless loop: yes' <<<"$info"; then
            short=$("$WINE" "$VLC_WIN_BUILD/vellacord-convert.exe" --info --loops 1 --fade 0 "$song" 2>&1 |
                tr -d '\r' | sed -n 's/^length: //p')
            echo "   an endless loop, one pass $(sed -n 's/^loop pass: //p' <<<"$info") long"
            echo "   played once with no fade (--loops 1 --fade 0): $short"
            echo "   as the plug-in's rcpcv.dll plays it (the defaults): $length;" \
                "the fade runs from $(sed -n 's/^fade: //p' <<<"$info")"
        else
            echo "   no endless loop: $length, whatever the loop and fade settings"
        fi
        # The file the host got for the song's first play.
        # (ENVIRON: awk -v would read the backslashes of the path as escapes.)
        kept=$(H="== play $song" awk '$0 == ENVIRON["H"] {on = 1; next} /^== /{if (on) exit} on' "$OUT/host.txt" |
            sed -n 's/^kept: //p' | tail -1)
        measured=$(python3 tests/converter/fade-check.py --length "$DRIVE/kept/$kept" 2>/dev/null)
        if [ -n "$kept" ] && [ -n "$measured" ] &&
            awk -v a="$measured" -v b="${length% s}" 'BEGIN { exit !(a - b < 0.0015 && b - a < 0.0015) }'; then
            echo "   the file the host got (converted/$kept) lasts $measured s as midicsv reads it"
        else
            echo "   FAIL the file the host got (${kept:-none}) lasts ${measured:-?} s, not $length"
        fi
    done
}
