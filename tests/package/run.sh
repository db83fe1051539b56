#!/usr/bin/env bash
# The release package's check, and a test that the check itself catches what it must: it passes
# on the package, and fails on a package missing a file, on one whose text guide comes from
# another version of the guide than its help file, and on one holding a stand-in converter in
# place of the real one. Run after scripts/package.sh.
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

# The command-line converter is not packaged, but carries the same version resource.
EXE=$ROOT/build/win32/vellacord-convert.exe
if [ -f "$EXE" ]; then
    found=$(python3 -c '
import sys
sys.path.insert(0, sys.argv[1])
from peimage import PeImage
resource = PeImage(open(sys.argv[2], "rb").read()).version_resource()
print(resource and ".".join(map(str, resource[0])), resource and resource[2].get("CompanyName"))
' "$ROOT/tests/package" "$EXE")
    want="$(basename "$ZIP" | sed 's/^Vellacord-\(.*\)-win32\.zip$/\1/').0 Vellacord"
    if [ "$found" = "$want" ]; then ok "vellacord-convert.exe: version resource $want"
    else fail "vellacord-convert.exe: version resource" "found '$found', want '$want'"; fi
fi
finish
