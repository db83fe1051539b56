#!/usr/bin/env python3
"""Checks a release package before anyone installs it:
    tests/package/check-package.py dist/Vellacord-<version>-win32.zip
Prints one line per finding ("ok ..." or "FAIL ...") and exits 1 when anything failed."""

import struct
import sys
import zipfile
from pathlib import PurePosixPath

sys.path.insert(0, str(PurePosixPath(__file__).parent))
from helpfile import check_help  # noqa: E402
from peimage import PeError, PeImage  # noqa: E402

EXPECTED = {
    "Vellacord.dll", "Vellacord.chm", "rcpcv.dll", "smfk32.dll", "vellacord-convert.exe",
    "sample.cfg", "README-ja.txt", "README-en.txt",
}
BINARIES = ("Vellacord.dll", "rcpcv.dll", "smfk32.dll", "vellacord-convert.exe")
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "comdlg32.dll", "comctl32.dll", "msvcrt.dll",
}
PLUGIN_LIMIT = 500 * 1024
# Each library must offer what the plug-in cannot do without (plain or underscored names).
REQUIRED_EXPORTS = {
    "rcpcv.dll": ["rcpcvConvertFile", "rcpcvSaveSMF"],
    "smfk32.dll": ["SmfkConvert"],
}
PLUGIN_EXPORTS = ["_pinAbort", "_pinOpenPlayFile", "_pinRun"]


class Findings:
    def __init__(self):
        self.failed = 0

    def check(self, condition, what, why=""):
        if condition:
            print(f"ok   {what}")
        else:
            print(f"FAIL {what}: {why}")
            self.failed += 1
        return condition


def version_of(zip_name):
    """"Vellacord-6.3.0-win32.zip" -> (6, 3, 0, 0); None when the name has another form."""
    stem = PurePosixPath(zip_name).name
    if not (stem.startswith("Vellacord-") and stem.endswith("-win32.zip")):
        return None
    parts = stem[len("Vellacord-") : -len("-win32.zip")].split(".")
    if len(parts) != 3 or not all(p.isdigit() for p in parts):
        return None
    return tuple(int(p) for p in parts) + (0,)


def stand_in_marks(image, strings):
    """Why a library is one of the suite's test doubles, or an empty list."""
    marks = []
    if "test double" in strings.get("FileDescription", "").lower():
        marks.append("its version resource calls it a test double")
    steering = [name for name in image.exports() if name.lower().startswith("standin")]
    if steering:
        marks.append("it exports the stand-ins' " + ", ".join(steering))
    return marks


def check_binary(findings, name, data, version):
    try:
        image = PeImage(data)
    except PeError as error:
        findings.check(False, f"{name}: a PE image", str(error))
        return
    if name.endswith(".exe"):  # the command line, for a console window
        findings.check(image.is_pe32_console_program,
                       f"{name}: a 32-bit (PE32, i386) console program (subsystem 3)",
                       f"machine {image.machine:#x}, magic {image.magic:#x}, subsystem "
                       f"{image.subsystem}, characteristics {image.characteristics:#x}")
    else:
        findings.check(image.is_pe32_dll, f"{name}: a 32-bit (PE32, i386) DLL",
                       f"machine {image.machine:#x}, magic {image.magic:#x}")
    try:
        resource = image.version_resource()
    except PeError as error:
        resource, reason = None, str(error)
    else:
        reason = "no version resource"
    if not findings.check(resource is not None, f"{name}: version resource", reason):
        return
    file_version, _, strings = resource
    dotted = ".".join(map(str, version))
    findings.check(file_version == version, f"{name}: file version {dotted}", f"{file_version}")
    # The product version is the plug-in's own number as its dialog shows it: 6.3 -> "6.003".
    shown = f"{version[0]}.{version[1]:03d}"
    findings.check(strings.get("ProductVersion") == shown, f"{name}: product version {shown}",
                   repr(strings.get("ProductVersion")))
    for key, want in (("CompanyName", "Vellacord"), ("ProductName", "Vellacord")):
        findings.check(strings.get(key) == want, f"{name}: {key} {want}", repr(strings.get(key)))
    findings.check(strings.get("OriginalFilename", "").lower() == name.lower(),
                   f"{name}: original file name {name}", repr(strings.get("OriginalFilename")))
    marks = stand_in_marks(image, strings)
    findings.check(not marks, f"{name}: not a stand-in", "; ".join(marks))
    findings.check(image.symbol_count == 0, f"{name}: stripped", f"{image.symbol_count} symbols")

    exports = image.exports()
    if name == "Vellacord.dll":
        findings.check(sorted(exports) == PLUGIN_EXPORTS,
                       f"{name}: exports exactly {' '.join(PLUGIN_EXPORTS)}",
                       " ".join(exports))
        findings.check(len(data) < PLUGIN_LIMIT, f"{name}: under {PLUGIN_LIMIT // 1024} KB",
                       f"{len(data)} bytes")
    for function in REQUIRED_EXPORTS.get(name, []):
        findings.check(function in exports or "_" + function in exports,
                       f"{name}: exports {function}", "missing")
    foreign = sorted({i for i in image.imports() if i.lower() not in SYSTEM_DLLS})
    findings.check(image.imports() and not foreign, f"{name}: imports only system DLLs",
                   " ".join(foreign) or "no import table")


def is_utf8(data):
    try:
        data.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def check_guides(findings, files):
    """The two text guides' encodings; their texts for the help file's check."""
    ja, en = files.get("README-ja.txt"), files.get("README-en.txt")
    texts = {"README-ja.txt": None, "README-en.txt": None}
    if ja is not None:
        try:
            text = ja.decode("cp932")
        except UnicodeDecodeError:
            text = None
        # A page of Japanese in code page 932 is practically never valid UTF-8: a UTF-8 guide shows.
        texts["README-ja.txt"] = text
        findings.check(text is not None and not text.isascii() and not is_utf8(ja),
                       "README-ja.txt: Japanese text in code page 932",
                       "not Japanese text in code page 932")
        findings.check(ja.count(b"\n") == ja.count(b"\r\n") > 0, "README-ja.txt: CR LF line ends",
                       "bare line feeds")
    if en is not None:
        crlf = en.count(b"\n") == en.count(b"\r\n") > 0
        findings.check(is_utf8(en) and en.startswith(b"\xef\xbb\xbf") and crlf,
                       "README-en.txt: UTF-8 with byte order mark and CR LF line ends",
                       "other encoding or line ends")
        texts["README-en.txt"] = en.decode("utf-8-sig", "replace")
    return texts


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    findings = Findings()
    version = version_of(argv[1])
    if not findings.check(version is not None,
                          "package name Vellacord-<major.minor.patch>-win32.zip",
                          argv[1]):
        return 1
    try:
        with zipfile.ZipFile(argv[1]) as package:
            files = {info.filename: package.read(info) for info in package.infolist()}
    except (OSError, zipfile.BadZipFile) as error:
        findings.check(False, "package readable", str(error))
        return 1
    names = set(files)
    findings.check(names == EXPECTED, "exact file list " + " ".join(sorted(EXPECTED)),
                   "missing: " + (" ".join(sorted(EXPECTED - names)) or "none") +
                   "; extra: " + (" ".join(sorted(names - EXPECTED)) or "none"))
    for name in BINARIES:
        if name in files:
            try:
                check_binary(findings, name, files[name], version)
            except (PeError, ValueError, IndexError, struct.error) as error:
                findings.check(False, f"{name}: a readable PE image", str(error))
    findings.check(files.get("sample.cfg", b"").strip() != b"", "sample.cfg: not empty",
                   "empty or missing")
    guides = check_guides(findings, files)
    if "Vellacord.chm" in files:
        check_help(findings, files["Vellacord.chm"], guides)
    return 1 if findings.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
