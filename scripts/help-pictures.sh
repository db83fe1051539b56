#!/usr/bin/env bash
# Makes the help file's pictures anew: the plug-in's menu and its settings dialog as the demo's
# Wine session shows them in Japanese (code page 932, a Japanese font), cropped to what they
# cover, into docs/guide/images/ (menu.png, dialog.png). Run after changing the menu or the
# dialog, then commit the pictures.
#   scripts/help-pictures.sh
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
VLC_DEMO_LOCALE=ja scripts/demo.sh >/dev/null || { echo "help-pictures: the demo failed (demo-output/transcript.txt)" >&2; exit 1; }
for picture in menu dialog; do
    [ -s "demo-output/help-$picture.png" ] || { echo "help-pictures: the demo took no $picture picture" >&2; exit 1; }
    cp "demo-output/help-$picture.png" "docs/guide/images/$picture.png"
    echo "docs/guide/images/$picture.png: $(identify -format '%wx%h' "docs/guide/images/$picture.png")"
done
