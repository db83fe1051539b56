#!/usr/bin/env bash
# The release package's check, and a test that the check itself catches what it must: it passes
# on the package, and fails on a package missing a file, on one whose text guide comes from
# another version of the guide than its help file, on one holding a stand-in converter in place
# of the real one, and on one with a library in the command line's place. Then the help file's
# pages in chromium (tests/package/pages.py, with a page too wide to show that it fails
# there), and the packaged command line under Wine (tests/package/wine-cli.sh). Run after
# scripts/package.sh.
#   tests/package/run.sh [dist/Vellacord-<version>-win32.zip]
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
CHECK=$ROOT/tests/package/check-package.py
ZIP=${1:-}
if [ -z "$ZIP" ]; then
    VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$ROOT/build/win32/CMakeCache.txt" \
        2>/dev/null)
    ZIP=$ROOT/dist/Vellacord-$VERSION-win32.zip
fi
PASSED=0 FAILED=0
ok() { echo "ok   $1"; PASSED=$((PASSED + 1)); }
fail() { echo "FAIL $1: $2"; FAILED=$((FAILED + 1)); }
finish() { echo "$PASSED passed, $FAILED failed"; [ "$FAILED" = 0 ]; exit; }

if [ ! -f "$ZIP" ]; then
    fail "package" "$ZIP missing (run scripts/package.sh)"
    finish
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The package as made: every finding of the check is shown.
if python3 "$CHECK" "$ZIP" >"$WORK/good.txt" 2>&1; then
    ok "package check passes on $(basename "$ZIP")"
else
    fail "package check on $(basename "$ZIP")" "$(grep '^FAIL' "$WORK/good.txt" | tr '\n' ' ')"
fi
sed 's/^/    /' "$WORK/good.txt"

# A copy of the package under the same name, with one member changed: rewrite NAME [FILE].
# Without FILE the member is left out; with it the member's bytes are FILE's.
variant() {
    local dir=$WORK/$1
    mkdir -p "$dir"
    python3 - "$ZIP" "$dir/$(basename "$ZIP")" "$2" "${3:-}" <<'EOF'
import sys, zipfile
source, target, member, replacement = sys.argv[1:]
with zipfile.ZipFile(source) as old, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as new:
    for info in old.infolist():
        if info.filename != member:
            new.writestr(info, old.read(info))
        elif replacement:
            with open(replacement, "rb") as f:
                new.writestr(info, f.read())
EOF
    echo "$dir/$(basename "$ZIP")"
}
refused() {  # refused NAME ZIP EXPECTED-FAILURE-TEXT
    local out
    out=$(python3 "$CHECK" "$2" 2>&1)
    if [ $? = 0 ]; then fail "$1" "the check passed"
    elif grep '^FAIL' <<<"$out" | grep -qF -- "$3"; then ok "$1"
    else fail "$1" "refused for another reason: $(grep '^FAIL' <<<"$out" | tr '\n' ' ')"; fi
}

refused "package check fails on a package without smfk32.dll" \
    "$(variant missing smfk32.dll)" "missing: smfk32.dll"

# A text guide from another version of the guide than the help file: one sentence changed.
python3 - "$ZIP" "$WORK/older-en.txt" <<'EOF'
import sys, zipfile
guide = zipfile.ZipFile(sys.argv[1]).read("README-en.txt")
changed = guide.replace(b"replace Vellacord.dll", b"replace only Vellacord.dll", 1)
assert changed != guide
open(sys.argv[2], "wb").write(changed)
EOF
refused "package check fails on a text guide that is not the help file's version" \
    "$(variant older README-en.txt "$WORK/older-en.txt")" "README-en.txt: every section as in"

# The suite's stand-in RCPCV library, stripped as the package's libraries are, so that only
# what makes it a stand-in can fail.
DOUBLE=$(find "$ROOT/build/win32/standins" -name 'rcpcv*.dll' 2>/dev/null | head -n 1)
if [ -z "$DOUBLE" ]; then
    fail "package check fails on a stand-in" "no stand-in rcpcv library in build/win32/standins"
else
    i686-w64-mingw32-strip --strip-all -o "$WORK/double.dll" "$DOUBLE"
    refused "package check fails on a package holding the stand-in $(basename "$DOUBLE")" \
        "$(variant double rcpcv.dll "$WORK/double.dll")" "rcpcv.dll: not a stand-in"
fi

# A library in the command line's place: the package's program must be a console program.
python3 -c 'import sys, zipfile
sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("rcpcv.dll"))' "$ZIP" >"$WORK/not-a-program.exe"
refused "package check fails on a DLL in the command line's place" \
    "$(variant dll-as-program vellacord-convert.exe "$WORK/not-a-program.exe")" \
    "vellacord-convert.exe: a 32-bit (PE32, i386) console program"

# The shipped sample, as shipped (CR LF), must be a configuration the post-processor accepts:
# run the native command line with it on a one-note song.
CLI=$ROOT/build/native/vellacord-convert
if [ ! -x "$CLI" ]; then
    fail "the packaged sample.cfg is accepted" \
        "build/native/vellacord-convert missing (native preset)"
else
    python3 - "$ZIP" "$WORK" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as package:
    open(sys.argv[2] + "/sample.cfg", "wb").write(package.read("sample.cfg"))
track = bytes([0, 0x90, 60, 100, 96, 0x80, 60, 0, 0, 0xFF, 0x2F, 0])
song = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1, 0, 96])
open(sys.argv[2] + "/one.mid", "wb").write(song + b"MTrk" + len(track).to_bytes(4, "big") + track)
EOF
    if out=$("$CLI" --knife "$WORK/sample.cfg" "$WORK/one.mid" "$WORK/out.mid" 2>&1) &&
        [ -s "$WORK/out.mid" ]; then ok "the packaged sample.cfg is accepted by the post-processor"
    else fail "the packaged sample.cfg is accepted" "$out"; fi
fi

# The help file's pages in a browser engine, 800 px wide: nothing runs off a page, pictures
# load, links lead somewhere; a screenshot of each page for a person to look at.
SHOTS=$ROOT/build/package/pages
if python3 "$ROOT/tests/package/pages.py" "$ZIP" "$SHOTS" >"$WORK/pages.txt" 2>&1; then
    ok "help pages laid out 800 px wide by chromium: $(grep -c 'runs off' "$WORK/pages.txt") \
pages fit, screenshots in ${SHOTS#"$ROOT"/}"
else
    fail "help pages in chromium" "$(grep '^FAIL' "$WORK/pages.txt" | tr '\n' ' ')"
fi
# ... and the same check fails on a page holding a line wider than the page.
mkdir -p "$WORK/wide"
python3 -c '
import os, sys, zipfile
sys.path.insert(0, sys.argv[1])
from helpfile import read_chm
members = read_chm(zipfile.ZipFile(sys.argv[2]).read("Vellacord.chm"), sys.argv[3])
for name, data in members.items():
    if name.endswith((".html", ".css")) or name.startswith("images/"):
        os.makedirs(os.path.dirname(os.path.join(sys.argv[3], "pages", name)), exist_ok=True)
        if name == "en06.html":
            wide = b"<pre style=\"white-space:pre\">" + b"x" * 200 + b"</pre>"
            data = data.replace(b"<h1>", wide + b"<h1>", 1)
        open(os.path.join(sys.argv[3], "pages", name), "wb").write(data)
' "$ROOT/tests/package" "$ZIP" "$WORK/wide"
if python3 "$ROOT/tests/package/pages.py" "$WORK/wide/pages" >"$WORK/wide.txt" 2>&1; then
    fail "help page check fails on a page wider than 800 px" "the check passed"
elif grep '^FAIL' "$WORK/wide.txt" | grep -q '^FAIL en06.html: nothing runs off'; then
    ok "help page check fails on a page wider than 800 px"
else
    fail "help page check fails on a page wider than 800 px" \
        "$(grep '^FAIL' "$WORK/wide.txt" | tr '\n' ' ')"
fi

# The packaged command line runs under Wine.
while IFS= read -r line; do
    case $line in
        "ok   "*) ok "${line#ok   }" ;;
        "FAIL "*) line=${line#FAIL }; fail "${line%%: *}" "${line#*: }" ;;
        *) echo "    $line" ;;
    esac
done < <("$ROOT/tests/package/wine-cli.sh" "$ZIP" 2>&1)
finish
