# Sourced by scripts/demo.sh after its session: SMF Knife's four options, each on once, with a
# configuration file, through the real smfk32.dll beside the stand-in host. The plug-in reads
# its options when it starts, so the host starts and stops it once per option, each time with
# its own settings file. What each option changed is told by the command-line converter run on
# the same input with the same configuration and options: the same post-processor, and the
# demo checks that it gives the very bytes the plug-in's library gave.
# Needs: WINE, DRIVE, OUT, VLC_WIN_BUILD; the samples in C:\Songs. Prints the transcript part
# and counts what went wrong in KNIFE_FAILURES.

vlc_demo_knife() {
    KNIFE_FAILURES=0
    local cfg='C:\cfg\demo-knife.cfg'
    printf '%s\r\n' "; SMF Knife configuration of the demo (docs/post-processor.md lists every directive)" \
        "; The device is a GS module: its reset message goes first." "target gs" \
        "; Every part a little softer." "velocity all 90" >"$DRIVE/cfg/demo-knife.cfg"
    python3 tests/samples/make-samples.py "$DRIVE/Songs" || return 1
    mkdir -p "$DRIVE/check"
    cp "$VLC_WIN_BUILD/vellacord-convert.exe" "$DRIVE/check/" ||
        { echo "   FAIL vellacord-convert.exe is not built"; KNIFE_FAILURES=1; return 1; }

    # label | SMFKCh10 SMFKBank SMFKCC64 SMFKMac | command-line options | songs. The record's
    # words: Ch10, Bank and CC64 are on at 0, Mac at any other value. The chained song comes
    # first, so that its intermediate file is the first one kept. The last run shows what Mac
    # does by its absence: the same MacBinary file is refused, and the host plays its own.
    local runs=("CC64|-1 -1 0 0|--cc64 --no-mac-cut|demo.rcp knife.mid"
        "Ch10|0 -1 -1 0|--ch10 --no-mac-cut|knife.mid"
        "Bank|-1 0 -1 0|--bank --no-mac-cut|knife.mid"
        "Mac|-1 -1 -1 -1||knife-mac.mid"
        "Mac off|-1 -1 -1 0|--no-mac-cut|knife-mac.mid|refused")
    local steps=("keep-folder C:\\kept-knife" "load C:\\ORVO\\Vellacord.dll") run n=0 words song
    for run in "${runs[@]}"; do
        n=$((n + 1))
        read -r -a words <<<"$(cut -d'|' -f2 <<<"$run")"
        printf '[Vellacord]\r\nCache=8\r\nRCPCV=1\r\nSMFKnife=1\r\nSMFKConfig=%s\r\nSMFKCh10=%s\r\nSMFKBank=%s\r\nSMFKCC64=%s\r\nSMFKMac=%s\r\n' \
            "$cfg" "${words[@]}" >"$DRIVE/cfg/knife-$n.ini"
        steps+=("copy C:\\cfg\\knife-$n.ini C:\\ORVO\\Vellacord.ini" run)
        for song in $(cut -d'|' -f4 <<<"$run"); do steps+=("echo == $n $song" "play-keep C:\\Songs\\$song"); done
        steps+=(abort)
    done
    printf '%s\n' "${steps[@]}" >"$DRIVE/knife.txt"
    timeout 120 "$WINE" 'C:\ORVO\ORVO.exe' --script 'C:\knife.txt' 2>/dev/null | tr -d '\r' >"$OUT/host-knife.txt"
    local rc=${PIPESTATUS[0]}

    echo
    echo "== SMF Knife: each option on once, with the configuration $cfg:"
    tr -d '\r' <"$DRIVE/cfg/demo-knife.cfg" | sed 's/^/   | /'
    local section label flags got kept input report
    n=0
    for run in "${runs[@]}"; do
        n=$((n + 1))
        label=$(cut -d'|' -f1 <<<"$run") flags=$(cut -d'|' -f3 <<<"$run")
        for song in $(cut -d'|' -f4 <<<"$run"); do
            section=$(awk -v h="== $n $song" '$0 == h {on = 1; next} /^== /{on = 0} on' "$OUT/host-knife.txt")
            got=$(sed -n 's/^open: result=\(.*\) same-pointer=.*/\1/p' <<<"$section")
            kept=$(sed -n 's/^kept: //p' <<<"$section" | tail -1)
            echo
            echo "   $label$([ "${label% off}" = "$label" ] && echo " on") ($(cut -d'|' -f2 <<<"$run" | awk '{print "SMFKCh10=" $1 " SMFKBank=" $2 " SMFKCC64=" $3 " SMFKMac=" $4}')), $song"
            if [ "$(cut -d'|' -f5 <<<"$run")" = refused ]; then
                report=$("$WINE" 'C:\check\vellacord-convert.exe' --knife "$cfg" $flags "C:\\Songs\\$song" "C:\\check\\$n-$song.mid" 2>&1 | tr -d '\r')
                if grep -qxF "open: result=C:\\Songs\\$song same-pointer=yes" <<<"$section" && [ ! -e "$DRIVE/check/$n-$song.mid" ]; then
                    echo "   refused: the host plays its own file; vellacord-convert on the same input says:"
                    echo "$report" | sed '/^$/d; s/^/     /'
                else
                    echo "   FAIL the MacBinary file was not refused (the host got $got)"
                    KNIFE_FAILURES=$((KNIFE_FAILURES + 1))
                fi
                continue
            fi
            if [ -z "$kept" ]; then
                echo "   FAIL the host got $got, not a converted file"
                KNIFE_FAILURES=$((KNIFE_FAILURES + 1))
                continue
            fi
            cp "$DRIVE/kept-knife/$kept" "$OUT/converted/knife-$kept"
            echo "   the host got: $got ($(midicsv "$DRIVE/kept-knife/$kept" 2>/dev/null | grep -c 'Note_on_c, .*, [1-9][0-9]*$') notes; converted/knife-$kept)"
            # A chained song's post-processor input is the intermediate file the plug-in kept.
            input="C:\\Songs\\$song"
            [ "${song##*.}" = rcp ] && input="C:\\kept-knife\\$(sed -n 's/^kept: //p' <<<"$section" | head -1)"
            report=$("$WINE" 'C:\check\vellacord-convert.exe' --knife "$cfg" $flags "$input" "C:\\check\\$n-$song.mid" 2>&1 | tr -d '\r')
            if cmp -s "$DRIVE/check/$n-$song.mid" "$DRIVE/kept-knife/$kept"; then
                echo "   what it changed (vellacord-convert on $input gives the same bytes):"
                echo "$report" | sed '/^$/d; s/^/     /'
                [ "$label" = Mac ] &&
                    echo "     the file the host got starts with \"$(head -c 4 "$DRIVE/kept-knife/$kept")\""
            else
                echo "   FAIL vellacord-convert on $input does not give the plug-in's bytes:"
                echo "$report" | sed 's/^/     /'
                KNIFE_FAILURES=$((KNIFE_FAILURES + 1))
            fi
        done
    done
    [ "$rc" = 0 ] || { echo "   FAIL the host ended with $rc"; KNIFE_FAILURES=$((KNIFE_FAILURES + 1)); }
}
