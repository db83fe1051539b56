#!/usr/bin/env bash
# Builds the win32 preset (release) and writes dist/Vellacord-<version>-win32.zip: the plug-in,
# our two converter libraries and the command-line converter (a console program for converting
# whole collections), stripped, the commented sample configuration, the user guide
# in Japanese (code page 932, CR LF, as Windows users of the player read it) and English (UTF-8
# with a byte order mark, since it quotes the Japanese captions, and CR LF), and the help file
# Vellacord.chm. The guides and the help file are made afresh from docs/guide every time, so
# the three always say the same.
# build/win32 keeps its symbols (the Wine suite reads calling conventions from them); the
# stripped copies are made in build/package/.
#   scripts/package.sh [--no-build]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
fail() { echo "package: $*" >&2; exit 1; }

if [ "${1:-}" != "--no-build" ]; then
    LOG=$(mktemp)
    trap 'rm -f "$LOG"' EXIT
    { cmake --preset win32 && cmake --build --preset win32 -j2; } >"$LOG" 2>&1 ||
        { tail -n 30 "$LOG" >&2; fail "the win32 build failed"; }
fi
VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
[ -n "$VERSION" ] || fail "no project version in build/win32/CMakeCache.txt"
ZIP=dist/Vellacord-$VERSION-win32.zip
rm -f "$ZIP"  # never leave an older package standing in for one that could not be made

# The text guides and the help file, from the one source of the guide.
GUIDE=build/guide
rm -rf "$GUIDE" && mkdir -p "$GUIDE"
python3 scripts/make-guide.py "$GUIDE" || fail "the guide could not be made from docs/guide"

# What goes in, and where each comes from. A missing one stops the package: a zip without the
# converters, or with the suite's stand-ins in their place, must never be made.
declare -A FROM=(
    [Vellacord.dll]=build/win32/Vellacord.dll
    [rcpcv.dll]=build/win32/rcpcv.dll
    [smfk32.dll]=build/win32/smfk32.dll
    [vellacord-convert.exe]=build/win32/vellacord-convert.exe
    [sample.cfg]=knife/sample.cfg
    [README-en.txt]=$GUIDE/README-en.txt
    [README-ja.txt]=$GUIDE/README-ja.txt
    [Vellacord.chm]=$GUIDE/help/Vellacord.chm
)
MEMBERS=(Vellacord.dll Vellacord.chm rcpcv.dll smfk32.dll vellacord-convert.exe sample.cfg
    README-ja.txt README-en.txt)
missing=()
for name in "${MEMBERS[@]}"; do [ -f "${FROM[$name]}" ] || missing+=("${FROM[$name]}"); done
[ ${#missing[@]} = 0 ] || fail "missing, so no package: ${missing[*]}"

STAGE=build/package/Vellacord-$VERSION
rm -rf "$STAGE" && mkdir -p "$STAGE" dist
for binary in Vellacord.dll rcpcv.dll smfk32.dll vellacord-convert.exe; do
    i686-w64-mingw32-strip --strip-all -o "$STAGE/$binary" "${FROM[$binary]}"
done
cp "${FROM[Vellacord.chm]}" "$STAGE/"

python3 - "$STAGE" "$ZIP" "${FROM[README-en.txt]}" "${FROM[README-ja.txt]}" "${FROM[sample.cfg]}" \
    "${MEMBERS[@]}" <<'EOF'
import os, sys, zipfile
stage, target, english, japanese = sys.argv[1:5]

def windows_text(path, encoding):
    # The guides are kept as UTF-8 with line feeds; Windows readers get CR LF, and the Japanese
    # one code page 932 (a character outside it stops the package here).
    with open(path, encoding="utf-8") as source:
        text = source.read()
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode(encoding)

# The sample is edited in Notepad and the like: CR LF too (the post-processor reads both).
with open(sys.argv[5], "rb") as source, open(os.path.join(stage, "sample.cfg"), "wb") as out:
    out.write(source.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))
with open(os.path.join(stage, "README-en.txt"), "wb") as out:
    out.write(windows_text(english, "utf-8-sig"))
with open(os.path.join(stage, "README-ja.txt"), "wb") as out:
    out.write(windows_text(japanese, "cp932"))
partial = target + ".part"
with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as package:
    for name in sys.argv[6:]:
        package.write(os.path.join(stage, name), name)
os.replace(partial, target)
EOF
if ! findings=$(python3 tests/package/check-package.py "$ZIP"); then
    grep '^FAIL' <<<"$findings" >&2
    rm -f "$ZIP"
    fail "the package failed its check (tests/package/check-package.py), so it was removed"
fi
echo "package: $ZIP"
for f in "$STAGE"/*; do printf '  %8d  %s\n' "$(stat -c %s "$f")" "${f##*/}"; done
