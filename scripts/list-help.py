#!/usr/bin/env python3
"""Lists a help file's pages as its table of contents names them, read by chmlib (the same
independent reader as the package check), and its size:
    scripts/list-help.py Vellacord.chm"""

import os
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "package"))
from helpfile import SitemapReader, read_chm  # noqa: E402


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], "rb") as source:
        data = source.read()
    with tempfile.TemporaryDirectory() as work:
        members = read_chm(data, work)
    contents = SitemapReader()
    contents.feed(members["Vellacord.hhc"].decode("cp932"))
    pictures = sorted(name for name in members if name.startswith("images/"))
    print(f"{os.path.basename(argv[1])}: {len(data)} bytes, {len(contents.entries)} pages in its "
          f"contents, pictures {' '.join(pictures)}")
    for depth, name, pages in contents.entries:
        print(f"{'  ' * depth}{pages[0] if pages else '-':<12} {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
