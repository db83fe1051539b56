#!/usr/bin/env python3
"""Looks at the help file's pages in a real browser engine (Debian's chromium, headless):
    tests/package/pages.py ZIP|PAGES-DIR [SHOTS-DIR]
lays every page out 800 pixels wide and fails a page on which anything runs off that width
(an element's right edge past 800 px, content wider than its element, or a document
wider than 800 px), whose pictures do not
load, or whose links lead to no page or anchor of the help file. With SHOTS-DIR it writes a
screenshot of each whole page there (NAME.png, 800 px wide), for a person to look at.
Prints one line per finding ("ok ..." or "FAIL ...") and exits 1 when anything failed."""

import html
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from helpfile import read_chm  # noqa: E402

WIDTH = 800
TALLEST = 16000  # a screenshot's height limit, far beyond the longest page
BROWSER = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
           "--no-first-run", "--disable-background-networking", "--disable-component-update",
           "--disable-sync", "--hide-scrollbars"]

# Every page is laid out in a frame 800 px wide and taller than any page (so that no scroll bar
# takes width from it); the frames' documents are measured once all have loaded.
HARNESS = """<!DOCTYPE html><html><body style="margin:0">
%s
<pre id="result"></pre>
<script>
window.onload = function () {
  var found = {}, frames = document.getElementsByTagName('iframe');
  for (var i = 0; i < frames.length; i++) {
    var page = frames[i].contentDocument, over = [], broken = [];
    var all = page.body.getElementsByTagName('*');
    for (var j = 0; j < all.length; j++) {
      var box = all[j].getBoundingClientRect();
      var spills = all[j].clientWidth > 0 && all[j].scrollWidth > all[j].clientWidth + 1;
      if (box.right > %d + 0.5 || box.left < -0.5 || spills)
        over.push(all[j].tagName.toLowerCase() + ' ' + Math.round(box.right) + ' px, content ' +
                  all[j].scrollWidth + ' px: ' +
                  (all[j].textContent || all[j].getAttribute('src') || '').slice(0, 50));
    }
    var images = page.images;
    for (var j = 0; j < images.length; j++)
      if (!images[j].complete || images[j].naturalWidth === 0) broken.push(images[j].src);
    found[frames[i].getAttribute('data-page')] = {
      width: page.documentElement.scrollWidth,
      height: Math.ceil(page.body.getBoundingClientRect().bottom) + 16,
      over: over.slice(0, 3), broken: broken};
  }
  document.getElementById('result').textContent = JSON.stringify(found);
};
</script></body></html>
"""


class Findings:
    def __init__(self):
        self.failed = 0

    def check(self, condition, what, why=""):
        print(f"ok   {what}" if condition else f"FAIL {what}: {why}")
        self.failed += 0 if condition else 1
        return condition


def browser(profile, *arguments):
    return subprocess.run(BROWSER + [f"--user-data-dir={profile}"] + list(arguments),
                          capture_output=True, text=True, timeout=180)


def measure(folder, pages, profile):
    frames = "\n".join(f'<iframe data-page="{p}" src="{p}" style="display:block;width:{WIDTH}px;'
                       f'height:{TALLEST}px;border:0"></iframe>' for p in pages)
    harness = os.path.join(folder, "measure-harness.html")
    with open(harness, "w", encoding="utf-8") as out:
        out.write(HARNESS % (frames, WIDTH))
    # File pages may reach into each other's frames only with file access allowed.
    result = browser(profile, "--allow-file-access-from-files", f"--window-size={WIDTH},600",
                     "--dump-dom", "file://" + harness)
    found = re.search(r'<pre id="result">(.*?)</pre>', result.stdout, re.S)
    if not found or not found.group(1):
        raise RuntimeError("chromium measured nothing: " + result.stderr.strip()[-300:])
    return json.loads(html.unescape(found.group(1)))


def png_size(path):
    with open(path, "rb") as image:
        head = image.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def dangling_links(folder, pages):
    """Links of every page that lead to no page of the help file, or to no anchor in it."""
    texts = {}
    for name in os.listdir(folder):
        if name.endswith(".html"):
            with open(os.path.join(folder, name), "rb") as page:
                texts[name] = page.read().decode("ascii", "replace")
    bad = []
    for page in pages:
        for target in re.findall(r'href="([^"]+)"', texts[page]):
            if target.endswith(".css") or re.match(r"[a-z]+:", target):
                continue
            name, _, anchor = target.partition("#")
            name = name or page
            if name not in texts or (anchor and f'name="{anchor}"' not in texts[name]):
                bad.append(f"{page} -> {target}")
    return bad


def main(argv):
    if len(argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    findings = Findings()
    if shutil.which("chromium") is None:
        findings.check(False, "help pages in a browser engine", "chromium missing "
                       "(scripts/setup.sh installs it)")
        return 1
    with tempfile.TemporaryDirectory() as work:
        if os.path.isdir(argv[1]):
            folder = os.path.abspath(argv[1])
        else:
            with zipfile.ZipFile(argv[1]) as package:
                members = read_chm(package.read("Vellacord.chm"), work)
            folder = os.path.join(work, "pages")
            for name, data in members.items():
                if not name.startswith(("#", "$")):
                    os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
                    with open(os.path.join(folder, name), "wb") as out:
                        out.write(data)
        pages = sorted(n for n in os.listdir(folder)
                       if n.endswith(".html") and n != "measure-harness.html")
        profile = os.path.join(work, "profile")
        try:
            measured = measure(folder, pages, profile)
        except (RuntimeError, ValueError, subprocess.TimeoutExpired) as error:
            findings.check(False, "help pages measured by chromium", str(error))
            return 1
        finally:
            harness = os.path.join(folder, "measure-harness.html")
            if os.path.exists(harness):
                os.remove(harness)
        for page in pages:
            got = measured.get(page)
            if got is None:
                findings.check(False, f"{page}: laid out", "not measured")
                continue
            findings.check(got["width"] <= WIDTH and not got["over"],
                           f"{page}: nothing runs off {WIDTH} px (document {got['width']} px wide)",
                           "; ".join(got["over"]) or f"document {got['width']} px wide")
            if got["broken"]:
                findings.check(False, f"{page}: pictures load", " ".join(got["broken"]))
        bad = dangling_links(folder, pages)
        findings.check(not bad, f"every link of the {len(pages)} pages leads to a page and anchor",
                       " ".join(bad[:5]))

        if len(argv) == 3:
            shots = argv[2]
            os.makedirs(shots, exist_ok=True)
            wrong = []
            for page in pages:
                height = min(max(measured.get(page, {}).get("height", 600), 200), TALLEST)
                target = os.path.join(shots, page.replace(".html", ".png"))
                if os.path.exists(target):
                    os.remove(target)
                browser(profile, f"--window-size={WIDTH},{height}", f"--screenshot={target}",
                        "file://" + os.path.join(folder, page))
                size = png_size(target) if os.path.exists(target) else None
                if size is None or size[0] != WIDTH:
                    wrong.append(f"{page} ({size})")
            findings.check(not wrong, f"a screenshot of each of the {len(pages)} pages, {WIDTH} px "
                           f"wide, in {shots}", " ".join(wrong))
    return 1 if findings.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
