#!/usr/bin/env python3
"""Makes the user guide's two forms from its one source per language (docs/guide/ja.txt and
docs/guide/en.txt, UTF-8):
    scripts/make-guide.py OUTDIR
writes OUTDIR/README-ja.txt and OUTDIR/README-en.txt (UTF-8, line feeds: the package turns them
into what Windows readers expect) and OUTDIR/help/, an HTML Help project (Vellacord.hhp) that
`chmcmd` (Debian package fp-utils) compiles into OUTDIR/help/Vellacord.chm.

The source is the text guide itself plus a few marks, each on a line of its own:
    = Title                 the guide's title (underlined with "=" in the text)
    == Heading              a section; in the help file a page of its own ("-" in the text)
    @ word; other word      index keywords for what follows (an anchor in the page)
    @picture FILE text      a picture from docs/guide/images, with its text (help file only)
Everything else is copied to the text unchanged. In a page, a block of lines without
indentation is a paragraph (its lines joined); a block with indented lines keeps its layout.

The help file is Japanese (language 0x411): pages, contents and project in code page 932,
each page declaring it. The keyword index alone is written in UTF-8, since the compiler turns
its keywords into the UTF-16 of the binary index by reading them as UTF-8."""

import html
import os
import shutil
import subprocess
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "docs", "guide")
LANGUAGES = (("ja", "README-ja.txt"), ("en", "README-en.txt"))
PAGE_CODE_PAGE = ("cp932", "Shift_JIS")


def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


class Section:
    def __init__(self, heading, page):
        self.heading = heading
        self.page = page
        self.lines = []  # source lines: text, or ("@", keywords) / ("@picture", file, text)


def parse(path, language):
    """The title and the sections; the text before the first heading is section 0."""
    with open(path, encoding="utf-8") as source:
        lines = source.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines or not lines[0].startswith("= "):
        sys.exit(f"{path}: the first line must be '= Title'")
    title = lines[0][2:].strip()
    sections = [Section(title, f"{language}.html" if language != "ja" else "index.html")]
    for number, line in enumerate(lines[1:], 2):
        if line.startswith("== "):
            page = f"{language}{len(sections):02d}.html"
            sections.append(Section(line[3:].strip(), page))
        elif line.startswith("@picture "):
            parts = line.split(None, 2)
            if len(parts) != 3 or not os.path.isfile(os.path.join(SOURCE, "images", parts[1])):
                sys.exit(f"{path}:{number}: '@picture FILE text' with FILE in docs/guide/images")
            sections[-1].lines.append(("@picture", parts[1], parts[2]))
        elif line.startswith("@ "):
            words = [w.strip() for w in line[2:].split(";") if w.strip()]
            sections[-1].lines.append(("@", words))
        elif line.startswith("@") or line.startswith("= "):
            sys.exit(f"{path}:{number}: unknown mark: {line}")
        else:
            sections[-1].lines.append(line)
    return title, sections


def text_guide(title, sections):
    out = [title, "=" * width(title)]
    for index, section in enumerate(sections):
        if index:
            out += [section.heading, "-" * width(section.heading)]
        out += [line for line in section.lines if isinstance(line, str)]
    return "\n".join(out) + "\n"


def joined(lines):
    """A paragraph's lines as one: a blank at each line break, but between two Japanese
    characters."""
    text = ""
    for line in lines:
        line = line.strip()
        if text and (width(text[-1]) == 1 or width(line[0]) == 1):
            text += " "
        text += line
    return text


def page_body(section, page_keywords, counter):
    """The HTML of a section's blocks; records (keyword, page#anchor) for the index."""
    out, block = [], []

    def flush():
        if not block:
            return
        texts = [item for item in block if isinstance(item, str)]
        keep_layout = any(t.startswith(" ") for t in texts)
        parts = []
        for item in block:
            if isinstance(item, str):
                parts.append(html.escape(item, quote=False) if keep_layout else item)
            else:
                parts.append(item[1])  # an anchor
        if keep_layout:
            indent = min(len(t) - len(t.lstrip(" ")) for t in texts)
            lines = [p[indent:] if not p.startswith("<a ") else p for p in parts]
            out.append("<pre>" + "\n".join(lines).replace("</a>\n", "</a>") + "</pre>")
        else:
            anchors = "".join(p for p in parts if p.startswith("<a "))
            out.append("<p>" + anchors + html.escape(joined(texts), quote=False) + "</p>")
        block.clear()

    for line in section.lines:
        if isinstance(line, tuple) and line[0] == "@":
            counter[0] += 1
            anchor = f"k{counter[0]}"
            for word in line[1]:
                page_keywords.append((word, f"{section.page}#{anchor}", section.heading))
            item = ("anchor", f'<a name="{anchor}"></a>')
            block.append(item) if block else out.append(item[1])
        elif isinstance(line, tuple):
            flush()
            # The picture's text goes in its attributes only, so a page reads as its text guide.
            out.append(f'<p class="picture"><img src="images/{line[1]}" alt="'
                       f'{html.escape(line[2])}" title="{html.escape(line[2])}"></p>')
        elif line.strip():
            block.append(line)
        else:
            flush()
    flush()
    return "\n".join(out)


def page(heading, body, charset):
    return (f'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">\n<html><head>\n'
            f'<meta http-equiv="Content-Type" content="text/html; charset={charset}">\n'
            f'<title>{html.escape(heading, quote=False)}</title>\n'
            f'<link rel="stylesheet" href="guide.css" type="text/css">\n</head><body>\n'
            f'<h1>{html.escape(heading, quote=False)}</h1>\n{body}\n</body></html>\n')


def sitemap_entry(name, local, indent):
    pad = "  " * indent
    return (f'{pad}<LI><OBJECT type="text/sitemap">'
            f'<param name="Name" value="{html.escape(name)}">'
            f'<param name="Local" value="{local}"></OBJECT>\n')


def sitemap(charset, body):
    return ('<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD>\n'
            f'<meta http-equiv="Content-Type" content="text/html; charset={charset}">\n'
            f'</HEAD><BODY>\n<UL>\n{body}</UL>\n</BODY></HTML>\n')


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir = argv[1]
    help_dir = os.path.join(out_dir, "help")
    shutil.rmtree(help_dir, ignore_errors=True)
    os.makedirs(os.path.join(help_dir, "images"))
    guides = {language: parse(os.path.join(SOURCE, f"{language}.txt"), language)
              for language, _ in LANGUAGES}
    for language, name in LANGUAGES:
        with open(os.path.join(out_dir, name), "w", encoding="utf-8") as text:
            text.write(text_guide(*guides[language]))

    encoding, charset = PAGE_CODE_PAGE
    keywords, contents, files, counter = [], "", [], [0]
    others = {"ja": ("en", "English guide"), "en": ("ja", "日本語の説明書")}
    for language, _ in LANGUAGES:
        title, sections = guides[language]
        contents += sitemap_entry(title, sections[0].page, 0) + "  <UL>\n"
        for index, section in enumerate(sections):
            body = page_body(section, keywords, counter)
            if index == 0:  # the first page leads to every section and to the other language
                other_language, other_name = others[language]
                links = "".join(f'<li><a href="{s.page}">{html.escape(s.heading, quote=False)}'
                                f"</a></li>\n" for s in sections[1:])
                body += (f"\n<ul>\n{links}</ul>\n<p class=\"other\"><a href=\""
                         f"{guides[other_language][1][0].page}\">{other_name}</a></p>")
            else:
                contents += sitemap_entry(section.heading, section.page, 2)
            with open(os.path.join(help_dir, section.page), "w", encoding=encoding) as out:
                out.write(page(section.heading, body, charset))
            files.append(section.page)
        contents += "  </UL>\n"
    with open(os.path.join(help_dir, "Vellacord.hhc"), "w", encoding=encoding) as out:
        out.write(sitemap(charset, contents))
    # The compiler keeps a keyword's characters as written (no entities): only quotes are
    # escaped. A keyword on several pages is listed once per page, and it merges them.
    entries = "".join(
        f'<LI><OBJECT type="text/sitemap"><param name="Name" value="'
        f'{word.replace(chr(34), "&quot;")}"><param name="Local" value="{local}"></OBJECT>\n'
        for word, local, _ in sorted(keywords, key=lambda k: (k[0].lower(), k[1])))
    with open(os.path.join(help_dir, "Vellacord.hhk"), "w", encoding="utf-8") as out:
        out.write(sitemap("UTF-8", entries))

    images = sorted(os.listdir(os.path.join(SOURCE, "images")))
    for image in images:
        shutil.copyfile(os.path.join(SOURCE, "images", image),
                        os.path.join(help_dir, "images", image))
    shutil.copyfile(os.path.join(SOURCE, "guide.css"), os.path.join(help_dir, "guide.css"))
    files += ["guide.css"] + [f"images/{image}" for image in images]
    project = f"""[OPTIONS]
Compatibility=1.1 or later
Compiled file=Vellacord.chm
Contents file=Vellacord.hhc
Index file=Vellacord.hhk
Default topic=index.html
Default Window=main
Display compile progress=No
Language=0x411 Japanese
Title={guides["ja"][0]}
Binary Index=Yes
Binary TOC=No

[WINDOWS]
main="{guides["ja"][0]}","Vellacord.hhc","Vellacord.hhk","index.html","index.html",,,,,0x63520,,0x387e,,,,,,,,0

[FILES]
""" + "\n".join(files) + "\n"
    with open(os.path.join(help_dir, "Vellacord.hhp"), "w", encoding=encoding,
              newline="\r\n") as out:
        out.write(project)
    # The compiler reads the keyword index as UTF-8 only under a UTF-8 locale.
    try:
        result = subprocess.run(["chmcmd", "Vellacord.hhp"], cwd=help_dir, capture_output=True,
                                text=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
    except FileNotFoundError:
        sys.exit("chmcmd missing (scripts/setup.sh installs fp-utils)")
    if result.returncode != 0 or not os.path.isfile(os.path.join(help_dir, "Vellacord.chm")):
        sys.exit("chmcmd could not compile the help file:\n" + result.stdout + result.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
