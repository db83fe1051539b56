# Sourced by scripts/demo.sh after its session: a song written for the MT-32 (it names a CM6
# setup file, which lies beside it) played through the real rcpcv.dll beside the stand-in host at
# each target of rcpcv.ini (none, gs, gm). The player is restarted for each, so that the cache
# starts empty. The command-line converter, given the same song and --target, must give the very
# bytes the host got; it prints what the rendering did. midicsv shows what changed.
# Needs: WINE, DRIVE, OUT, VLC_WIN_BUILD. Prints the transcript part and counts what went wrong
# in MT32_FAILURES.

vlc_demo_mt32() {
    MT32_FAILURES=0
    python3 tests/samples/make-mt32-sample.py "$DRIVE/Songs" || { MT32_FAILURES=1; return 1; }
    mkdir -p "$DRIVE/check"
    cp "$VLC_WIN_BUILD/vellacord-convert.exe" "$DRIVE/check/" 2>/dev/null
    printf '[Vellacord]\r\nCache=8\r\nRCPCV=1\r\nSMFKnife=0\r\n' >"$DRIVE/cfg/mt32.ini"
    local targets=(none gs gm) steps=("keep-folder C:\\kept-mt32" "load C:\\ORVO\\Vellacord.dll") t
    for t in "${targets[@]}"; do
        printf '[rcpcv]\r\nTarget=%s\r\n' "$t" >"$DRIVE/cfg/rcpcv-$t.ini"
        steps+=("copy C:\\cfg\\mt32.ini C:\\ORVO\\Vellacord.ini" "copy C:\\cfg\\rcpcv-$t.ini C:\\ORVO\\rcpcv.ini"
            run "echo == $t" 'play-keep C:\Songs\mt32.rcp' abort)
    done
    printf '%s\n' "${steps[@]}" >"$DRIVE/mt32.txt"
    timeout 120 "$WINE" 'C:\ORVO\ORVO.exe' --script 'C:\mt32.txt' 2>/dev/null | tr -d '\r' >"$OUT/host-mt32.txt"
    local rc=${PIPESTATUS[0]}
    rm -f "$DRIVE/ORVO/rcpcv.ini"

    echo
    echo "== an MT-32 song (C:\\Songs\\mt32.rcp, naming MT32DEMO.CM6) at each Target of rcpcv.ini"
    local kept csv report firsts
    for t in "${targets[@]}"; do
        kept=$(awk -v h="== $t" '$0 == h {on = 1; next} /^== /{on = 0} on' "$OUT/host-mt32.txt" |
            sed -n 's/^kept: //p' | tail -1)
        echo
        echo "   Target=$t"
        if [ -z "$kept" ]; then
            echo "   FAIL the host got no converted file"
            MT32_FAILURES=$((MT32_FAILURES + 1))
            continue
        fi
        cp "$DRIVE/kept-mt32/$kept" "$OUT/converted/mt32-$t.mid"
        report=$("$WINE" 'C:\check\vellacord-convert.exe' --target "$t" 'C:\Songs\mt32.rcp' "C:\\check\\mt32-$t.mid" 2>&1 | tr -d '\r')
        if ! cmp -s "$DRIVE/check/mt32-$t.mid" "$DRIVE/kept-mt32/$kept"; then
            echo "   FAIL vellacord-convert --target $t does not give the plug-in's bytes: $report"
            MT32_FAILURES=$((MT32_FAILURES + 1))
            continue
        fi
        csv=$(midicsv "$DRIVE/kept-mt32/$kept")
        echo "   the host got converted/mt32-$t.mid; vellacord-convert --target $t gives the same bytes and says:"
        if [ -n "$report" ]; then echo "$report" | sed 's/^/     /'; else echo "     (nothing: the song as written)"; fi
        echo "   midicsv: $(grep -c 'Note_on_c, .*, [1-9][0-9]*$' <<<"$csv") notes," \
            "$(grep -c Program_c <<<"$csv") program changes," \
            "$(grep -c 'Control_c, [0-9]*, 0, ' <<<"$csv") bank selects," \
            "$(grep -c 'System_exclusive, [0-9]*, 65, 16, 22, ' <<<"$csv") MT-32 exclusives"
        # The program each channel starts with, and the melody's program change.
        firsts=$(awk -F', ' '$3 == "Program_c" && !seen[$4]++ {printf "%s%d:%d", sep, $4 + 1, $5; sep = " "}' <<<"$csv")
        echo "   first program per channel (channel:program, 0-based programs): ${firsts:-none}"
        echo "   channel 3's program changes: $(awk -F', ' '$3 == "Program_c" && $4 == 2 {printf "%s%s", sep, $5; sep = ", "}' <<<"$csv")"
    done
    # The notes themselves are the same in all three.
    local a b
    a=$(midicsv "$OUT/converted/mt32-none.mid" 2>/dev/null | grep Note_ | cut -d, -f2,4- | sort)
    for t in gs gm; do
        b=$(midicsv "$OUT/converted/mt32-$t.mid" 2>/dev/null | grep Note_ | cut -d, -f2,4- | sort)
        if [ -n "$a" ] && [ "$a" = "$b" ]; then
            echo "   $t: every note has the tick, channel, key and velocity it has as written"
        else
            echo "   FAIL $t: the notes differ from the song as written"
            MT32_FAILURES=$((MT32_FAILURES + 1))
        fi
    done
    [ "$rc" = 0 ] || { echo "   FAIL the host ended with $rc"; MT32_FAILURES=$((MT32_FAILURES + 1)); }
}
