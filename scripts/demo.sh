#!/usr/bin/env bash
# The demo: one scripted session of the plug-in in the stand-in ORVO host under Wine, headless,
# in a throwaway prefix: start, plays through both converters and the cache, the plug-in's menu,
# the settings dialog, the exit item and the stop; then SMF Knife's four options, each on once
# (scripts/demo-knife.sh); then a song written for the MT-32 at each target (scripts/demo-mt32.sh).
# The converters are our own rcpcv.dll and smfk32.dll. Every converted
# file is read back by midicsv.
#   scripts/demo.sh [song.rcp "other dir/ソング.mid" ...]   (files to play instead of the samples)
# A path that the default locale's code page cannot hold (Japanese names, say) makes the session
# run in the Japanese locale (code page 932), as the plug-in's users run it.
# Outputs in demo-output/: transcript.txt (readable), host.txt (the host's full transcript),
# dialog.png (the settings dialog while open), help-menu.png and help-dialog.png (the plug-in's
# menu and its dialog as the help file shows them; scripts/help-pictures.sh puts them there),
# converted/ (a copy of every converted file).
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
. tests/wine/wine-env.sh

# The locale the session runs in: the default one while its code page holds every given path,
# else the Japanese one when it holds them. Wine takes its ANSI code page from the locale.
ansi_holds() {  # ansi_holds CODEPAGE PATH...
    local cp=$1 p
    shift
    for p in "$@"; do printf '%s' "$p" | iconv -f UTF-8 -t "$cp" >/dev/null 2>&1 || return 1; done
}
pick_locale() {
    if [ "${VLC_DEMO_LOCALE:-}" = ja ] && locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
        DEMO_LANG=ja_JP.UTF-8 DEMO_ACP=932
    elif ansi_holds CP1252 "$@"; then DEMO_LANG=C.UTF-8 DEMO_ACP=1252
    elif ansi_holds CP932 "$@" && locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
        DEMO_LANG=ja_JP.UTF-8 DEMO_ACP=932
    else
        return 1
    fi
}

if [ -z "${VLC_WINE_DISPLAY:-}" ]; then
    for f in "$@"; do [ -f "$f" ] || { echo "demo: no file $f" >&2; exit 1; }; done
    scripts/setup.sh || exit 1
    paths=()
    for f in "$@"; do paths+=("$(realpath -- "$f")"); done
    pick_locale "${paths[@]}" || {
        echo "demo: a path holds characters neither code page 1252 nor 932 can hold; rename or copy the file" >&2
        exit 1
    }
    build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j2 >/dev/null; }
    echo "building the plug-in and the stand-ins ..."
    build win32 || { echo "demo: the win32 build failed" >&2; exit 1; }
    if vlc_uses_win64; then build win64 || { echo "demo: the win64 build failed" >&2; exit 1; }; fi
    VLC_WINE_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

vlc_pick_wine "$ROOT" || exit 1
paths=()
for f in "$@"; do paths+=("$(realpath -- "$f")"); done
pick_locale "${paths[@]}" || exit 1
export LANG=$DEMO_LANG LC_ALL=$DEMO_LANG
OUT=$ROOT/demo-output
rm -rf "$OUT" && mkdir -p "$OUT/converted"
PREFIX=$(mktemp -d /tmp/vellacord-demo.XXXXXX)
trap 'vlc_end_prefix; rm -rf "$PREFIX"' EXIT
echo "preparing a fresh Wine prefix ..."
export WINEDLLOVERRIDES="mscoree,mshtml="  # no .NET or HTML engine: a quicker prefix
vlc_new_prefix "$PREFIX"
DRIVE=$WINEPREFIX/drive_c

# Wine has no "ＭＳ Ｐゴシック": map it to an installed Japanese font for the screenshot.
{ printf '\xff\xfe'; printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n' |
    iconv -f UTF-8 -t UTF-16LE; } >"$DRIVE/fonts.reg"
"$WINE" regedit /S 'C:\fonts.reg' >/dev/null 2>&1

mkdir -p "$DRIVE/ORVO" "$DRIVE/cfg" "$DRIVE/Songs"
# Our own converter libraries, so that every song comes back as its own music.
for f in ORVO.exe Vellacord.dll rcpcv.dll smfk32.dll; do
    cp "$VLC_WIN_BUILD/$f" "$DRIVE/ORVO/" || exit 1
done
# The help file beside the plug-in, as the package puts it, made from the guide's source.
python3 scripts/make-guide.py "$OUT/guide" >/dev/null && cp "$OUT/guide/help/Vellacord.chm" "$DRIVE/ORVO/" ||
    exit 1
printf '; SMF Knife configuration of the demo\r\n' >"$DRIVE/cfg/default.cfg"

SONGS=()
if [ $# -gt 0 ]; then  # Wine's drive Z: is the Unix root
    for p in "${paths[@]}"; do SONGS+=("Z:${p//\//\\}"); done
else
    python3 tests/samples/make-samples.py "$DRIVE/Songs" || exit 1
    SONGS=('C:\Songs\demo.rcp' 'C:\Songs\demo.mid')
    # A real song as well, when the song corpus lies beside the repository.
    corpus=$(realpath -q "$ROOT/../shared/corpus/rcp/grand-slam.rcp") && SONGS+=("Z:${corpus//\//\\}")
    # The same song with its loops made endless, as game music is: it fades out at the end.
    [ -n "$corpus" ] && python3 tests/converter/make-endless.py "$corpus" "$DRIVE/Songs/grand-slam-endless.rcp" &&
        SONGS+=('C:\Songs\grand-slam-endless.rcp')
fi
# Room for every song converted twice, so that playing the first again is a hit.
CACHE=$((2 * ${#SONGS[@]} + 1))
printf '[Vellacord]\r\nCache=%s\r\nRCPCV=1\r\nSMFKnife=1\r\nSMFKConfig=C:\\cfg\\default.cfg\r\n' \
    "$CACHE" >"$DRIVE/ORVO/Vellacord.ini"
INI_START=$(tr -d '\r' <"$DRIVE/ORVO/Vellacord.ini")

. tests/wine/session-steps.sh
. scripts/demo-knife.sh
. scripts/demo-fade.sh
. scripts/demo-mt32.sh
DIR='C:\ORVO' CFG='C:\cfg\default.cfg' CACHE_EDIT=$((CACHE + 1)) SHOT=1
vlc_session_steps >"$DRIVE/session.txt"

# The pictures, taken while the host holds its menu, then the dialog, open: the host writes the
# menu's picture itself, and the dialog's screen rectangle ("left top right bottom").
shoot() {  # shoot RECT-FILE PICTURE: the rectangle's part of the screen
    local l t r b
    read -r l t r b <"$1"
    xwd -root -display "$DISPLAY" | convert xwd:- -crop "$((r - l))x$((b - t))+$l+$t" +repage "$2" 2>/dev/null
}
(
    for _ in $(seq 600); do [ -e "$DRIVE/menu-open" ] && break; sleep 0.1; done
    [ -e "$DRIVE/menu-open" ] && convert "bmp:$DRIVE/menu-open" "$OUT/help-menu.png"
    touch "$DRIVE/menu-shot-done"
    for _ in $(seq 600); do [ -e "$DRIVE/dialog-open" ] && break; sleep 0.1; done
    sleep 1
    xwd -root -display "$DISPLAY" | convert xwd:- "$OUT/dialog.png" 2>/dev/null
    shoot "$DRIVE/dialog-open" "$OUT/help-dialog.png"
    touch "$DRIVE/shot-done"
) &
shooter=$!
echo "running the session ..."
VLC_RCPCV_LOG='C:\logs\rcpcv.log' VLC_SMFK32_LOG='C:\logs\smfk32.log' \
    timeout 120 "$WINE" 'C:\ORVO\ORVO.exe' --script 'C:\session.txt' 2>/dev/null | tr -d '\r' >"$OUT/host.txt"
rc=${PIPESTATUS[0]}
wait $shooter
cp "$DRIVE"/kept/* "$OUT/converted/" 2>/dev/null

{
    echo "Vellacord demo session, $(date '+%Y-%m-%d %H:%M')"
    vlc_describe_wine "$ROOT" "Run with"
    echo "Locale $DEMO_LANG: Windows programs see code page $DEMO_ACP."
    echo "Settings file before start:"
    echo "$INI_START" | sed 's/^/   | /'
    # The stand-in converters log paths as ANSI bytes, all but printable ASCII as \xNN.
    perl -MEncode -pe 'if (/^(rcpcv|smfk32): /) { s/\\x([0-9A-Fa-f]{2})/chr(hex $1)/ge;
        $_ = encode("UTF-8", decode("cp'"$DEMO_ACP"'", $_)) }' "$OUT/host.txt" |
        awk -f tests/wine/session-transcript.awk
    echo
    echo "== every converted file read back by midicsv (an independent Standard MIDI File reader)"
    good=0 bad=0
    for f in "$OUT"/converted/*; do
        [ -e "$f" ] || continue
        if csv=$(midicsv "$f" 2>&1); then
            good=$((good + 1))
            echo "   ok   $(basename "$f"): $(echo "$csv" | grep -c 'Note_on_c, .*, [1-9][0-9]*$') notes, $(echo "$csv" | grep -c Start_track) track(s), \"$(echo "$csv" | LC_ALL=C sed -n 's/.*Title_t, "\(.*\)"/\1/p' | head -1 | perl -pe 's/\\([0-7]{3})/chr(oct($1))/ge' | iconv -f CP932 -t UTF-8 -c)\""
        else
            bad=$((bad + 1))
            echo "   FAIL $(basename "$f"): $csv"
        fi
    done
    echo "   $good accepted, $bad rejected"
    vlc_demo_fade
    vlc_demo_knife
    vlc_demo_mt32
    echo
    echo "== the help file that both ヘルプ entries open"
    # Wine's help viewer draws its pages with Wine's HTML engine, which Debian does not ship and
    # this prefix leaves out; without it the viewer shows no page, so the pages are listed.
    if ls /usr/share/wine/gecko/*.msi >/dev/null 2>&1; then
        VIEWER=$(mktemp -d /tmp/vellacord-viewer.XXXXXX)
        ( WINEDLLOVERRIDES= WINEPREFIX=$VIEWER timeout 180 "$WINE" wineboot -i >/dev/null 2>&1
          cp "$DRIVE/ORVO/Vellacord.chm" "$VIEWER/drive_c/"
          WINEDLLOVERRIDES= WINEPREFIX=$VIEWER timeout 30 "$WINE" hh.exe 'C:\Vellacord.chm' >/dev/null 2>&1 &
          sleep 10
          xwd -root -display "$DISPLAY" | convert xwd:- "$OUT/help-viewer.png" 2>/dev/null
          WINEPREFIX=$VIEWER "$WINESERVER_BIN" -k >/dev/null 2>&1 )
        rm -rf "$VIEWER"
        echo "   Wine's help viewer with its first page: help-viewer.png"
    else
        echo "   Wine's help viewer cannot show a page here (no Wine Gecko HTML engine), so no"
        echo "   picture of it; the help file's pages instead, as an independent reader lists them:"
    fi
    python3 scripts/list-help.py "$DRIVE/ORVO/Vellacord.chm" | sed 's/^/   /'
    echo
    [ "$rc" = 0 ] && [ "$bad" = 0 ] && [ "$good" -gt 0 ] && [ "$KNIFE_FAILURES" = 0 ] &&
        [ "$MT32_FAILURES" = 0 ] &&
        echo "demo: the session ran to its end" ||
        echo "demo: FAIL (host exit $rc, $bad files rejected, $KNIFE_FAILURES SMF Knife runs failed, $MT32_FAILURES MT-32 runs failed)"
    echo "outputs: ${OUT#"$ROOT"/}/ (transcript.txt, host.txt, dialog.png, help-menu.png, help-dialog.png, converted/)"
} | tee "$OUT/transcript.txt"
[ "$rc" = 0 ] && ! grep -q FAIL "$OUT/transcript.txt"
