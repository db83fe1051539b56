#!/usr/bin/env python3
"""Prints a C++ string literal holding the code-page-932 bytes of each argument.

Usage: scripts/cp932-literal.py "テキスト" ...
The plug-in keeps its Japanese texts as code-page-932 bytes; this turns a UTF-8 text into the
escaped literal to paste into the source, with the readable text beside it as a comment."""
import re
import sys

for text in sys.argv[1:]:
    escaped = "".join("\\x%02x" % b if b >= 0x80 or b < 0x20 or b in (0x22, 0x5C) else chr(b)
                      for b in text.encode("cp932"))
    # A hex escape followed by a hex digit would swallow it: close the literal there.
    escaped = re.sub(r"(\\x[0-9a-f]{2})(?=[0-9A-Fa-f])", r'\1""', escaped)
    print('"%s"  // %s' % (escaped, text.replace("\n", "\\n")))
