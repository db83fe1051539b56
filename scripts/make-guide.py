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
    @table                  the next block is a table laid out in columns (see below)
Everything else is copied to the text unchanged, so the text guide reads as written. In a page,
the blocks between blank lines become:
  - a paragraph: lines without indentation (joined); lines indented inside one, such as a
    long path, stay lines of their own;
  - a list: lines beginning "- " or "1. " (a step), with their indented continuations;
  - a term and its explanation: lines without indentation, then only indented lines;
  - a table, after "@table": its first line is the header, whose fields (apart by two blanks
    or more) give the columns. A line with text in the first column begins a row, a line
    without continues the row above; a first column of the header's label only (no other
    cell) heads a group of rows, and deeper indentation in the first column shows as such;
  - preformatted text: any other block whose every line is indented (an INI file, say).
Cross-references ("section 7", "7 章") link to their pages.

The help file is Japanese (language 0x411): pages, contents and project in code page 932,
each page declaring it. The keyword index alone is written in UTF-8, since the compiler turns
its keywords into the UTF-16 of the binary index by reading them as UTF-8."""

import html
import os
import re
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
        elif line.strip() == "@table":
            sections[-1].lines.append(("@table",))
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
        if not line:
            continue
        if text and (width(text[-1]) == 1 or width(line[0]) == 1):
            text += " "
        text += line
    return text


def indent(line):
    return len(line) - len(line.lstrip(" "))


class Inline:
    """Escapes a text for a page and links its cross-references ("section 7", "7 章") to the
    pages of those sections."""

    PATTERNS = {"en": re.compile(r"\b(sections? )(\d+)\b"), "ja": re.compile(r"()(\d+)( 章)")}

    def __init__(self, language, pages):
        self.pattern = self.PATTERNS[language]
        self.pages = pages  # section number -> page

    def __call__(self, text):
        def link(match):
            page = self.pages.get(int(match.group(2)))
            if page is None:
                return match.group(0)
            return f'<a href="{page}">{match.group(0)}</a>'
        return self.pattern.sub(link, html.escape(text, quote=False))


LIST_ITEM = re.compile(r"^( {0,4})(- |\d+\. )")


def render_list(lines, inline):
    """Lines of bullets ("- ") or numbered steps ("1. ") and their continuations. Inside an
    item, a change of indentation starts a new line, so a nested enumeration keeps its lines."""
    first = LIST_ITEM.match(lines[0][0])
    marker_indent = len(first.group(1))
    tag = "ol" if first.group(2)[0].isdigit() else "ul"
    items = []  # per item: runs of lines of one indentation, [indentation, anchors, texts]
    for text, anchors in lines:
        found = LIST_ITEM.match(text)
        if found and len(found.group(1)) == marker_indent:
            items.append([[found.end(), anchors, [text[found.end():]]]])
        elif items[-1][-1][0] == indent(text) and not anchors:
            items[-1][-1][2].append(text)
        else:
            items[-1].append([indent(text), anchors, [text]])
    out = []
    for runs in items:
        lines_out = []
        for depth, anchors, texts in runs:
            # Lines set deeper than the item's text (an enumeration inside it) keep their lines.
            kept = texts if depth > runs[0][0] else [joined(texts)]
            lines_out += [anchors + inline(text.strip()) for text in kept]
        out.append("<li>" + "<br>".join(lines_out) + "</li>")
    return f"<{tag}>\n" + "\n".join(out) + f"\n</{tag}>"


def render_block(lines, inline):
    """A block of lines between blank lines: (text, anchors) pairs."""
    texts = [text for text, _ in lines]
    anchors_of = [anchors for _, anchors in lines]
    item = next((n for n, t in enumerate(texts) if LIST_ITEM.match(t)), None)
    if item is not None and all(indent(t) > 0 or LIST_ITEM.match(t) for t in texts[item:]):
        before = render_block(lines[:item], inline) + "\n" if item else ""
        return before + render_list(lines[item:], inline)
    if all(indent(t) > 0 for t in texts):  # laid out by hand: kept as it is
        least = min(indent(t) for t in texts)
        return "<pre>" + "\n".join(a + html.escape(t[least:], quote=False)
                                   for t, a in lines) + "</pre>"
    flush_left = [indent(t) == 0 for t in texts]
    head = flush_left.index(False) if False in flush_left else len(texts)
    if head < len(texts) and not any(flush_left[head:]):
        # A term on lines of its own, then its explanation indented below it.
        term = "<br>".join(inline(t) for t in texts[:head])
        return (f"<dl><dt>{''.join(anchors_of)}{term}</dt>\n"
                f"<dd>{inline(joined(texts[head:]))}</dd></dl>")
    parts, run = [], []
    for text in texts + [None]:
        if run and (text is None or (indent(text) > 0) != (indent(run[0]) > 0)):
            if indent(run[0]) > 0:  # a path or command quoted on lines of its own
                parts.append("".join(f'<br><code>{html.escape(t.strip(), quote=False)}</code>'
                                     for t in run) + "<br>")
            else:
                parts.append(inline(joined(run)))
            run = []
        if text is not None:
            run.append(text)
    return f"<p>{''.join(anchors_of)}{''.join(parts)}</p>"


def display_columns(text):
    """The display column at which each character of a line starts."""
    columns, column = [], 0
    for character in text:
        columns.append(column)
        column += width(character)
    return columns


def split_columns(text, starts):
    """A table line cut into cells at the display columns of the header's fields. A cut that
    would fall inside a label running past its column moves to the next gap of two blanks."""
    columns = display_columns(text)
    cuts = []
    for start in starts[1:]:
        at = next((n for n, c in enumerate(columns) if c >= start), len(text))
        inside = 0 < at < len(text) and text[at] != " " and text[at - 1:at + 1].strip() and (
            text[at - 1] != " " or (at >= 2 and text[at - 2] != " "))
        if inside and text[:at].strip():
            gap = text.find("  ", at)
            at = len(text) if gap < 0 else gap
        cuts.append(max([at] + cuts[-1:]))
    bounds = [0] + cuts + [len(text)]
    return [text[a:b] for a, b in zip(bounds, bounds[1:])]


def render_table(lines, inline):
    """A table laid out in columns, its first line the header: a row begins where the first
    column holds text; lines with an empty first column continue the row above. Deeper
    indentation in the first column (a submenu's items) shows as indentation in its cell."""
    header = lines[0][0]
    fields = [m for m in re.finditer(r"\S+(?: \S+)*", header)]
    starts = [display_columns(header)[m.start()] for m in fields]
    rows = []
    for text, anchors in lines[1:]:
        cells = split_columns(text, starts)
        if cells[0].strip() or not rows:
            level = max(0, indent(cells[0]) - indent(header)) // 2
            rows.append([anchors, level, [[c] for c in cells]])
        else:
            rows[-1][0] += anchors
            for column, cell in enumerate(cells):
                rows[-1][2][column].append(cell)
    out = [lines[0][1] + f'<table class="columns{len(starts)}">',
           "<tr>" + "".join(f"<th>{inline(m.group(0))}</th>" for m in fields) + "</tr>"]
    for anchors, level, cells in rows:
        texts = [joined(cell) for cell in cells]
        gloss = re.match(r"\[[^\]]*\]", texts[-1]) if len(texts) == 2 else None
        if gloss:  # a caption's English gloss goes with the caption
            texts = [f"{texts[0]} {gloss.group(0)}", texts[1][gloss.end():].strip()]
        style = f' style="padding-left:{0.4 + 1.2 * level:.1f}em"' if level else ""
        if not any(texts[1:]):
            out.append(f'<tr class="group"><td colspan="{len(starts)}"{style}>{anchors}'
                       f"{inline(texts[0])}</td></tr>")
            continue
        out.append(f'<tr><td class="label"{style}>{anchors}{inline(texts[0])}</td>'
                   + "".join(f"<td>{inline(t)}</td>" for t in texts[1:]) + "</tr>")
    out.append("</table>")
    return "\n".join(out)


def page_body(section, page_keywords, counter, inline):
    """The HTML of a section's blocks; records (keyword, page#anchor) for the index."""
    out, block, anchors = [], [], []
    table = [False]

    def flush():
        if block:
            out.append((render_table if table[0] else render_block)(block, inline))
        block.clear()
        table[0] = False

    for line in section.lines:
        if isinstance(line, tuple) and line[0] == "@":
            counter[0] += 1
            anchor = f"k{counter[0]}"
            for word in line[1]:
                page_keywords.append((word, f"{section.page}#{anchor}", section.heading))
            anchors.append(f'<a name="{anchor}"></a>')
        elif isinstance(line, tuple) and line[0] == "@table":
            flush()
            table[0] = True
        elif isinstance(line, tuple):
            flush()
            # The picture's text goes in its attributes only, so a page reads as its text guide.
            out.append(f'<p class="picture">{"".join(anchors)}<img src="images/{line[1]}" alt="'
                       f'{html.escape(line[2])}" title="{html.escape(line[2])}"></p>')
            anchors.clear()
        elif line.strip():
            block.append((line, "".join(anchors)))
            anchors.clear()
        else:
            flush()
    flush()
    out += anchors
    return "\n".join(out)


def page(heading, body, charset, navigation=""):
    return (f'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">\n<html><head>\n'
            f'<meta http-equiv="Content-Type" content="text/html; charset={charset}">\n'
            f'<title>{html.escape(heading, quote=False)}</title>\n'
            f'<link rel="stylesheet" href="guide.css" type="text/css">\n</head><body>\n'
            f'{navigation}<h1>{html.escape(heading, quote=False)}</h1>\n{body}\n'
            f'{navigation}</body></html>\n')


def navigation(sections, index, contents_name):
    """Links to the guide's first page (its contents) and to the pages before and after."""
    links = [f'<a href="{sections[0].page}">{contents_name}</a>']
    if index > 1:
        links.insert(0, f'<a href="{sections[index - 1].page}">&lt; '
                        f'{html.escape(sections[index - 1].heading, quote=False)}</a>')
    if index + 1 < len(sections):
        links.append(f'<a href="{sections[index + 1].page}">'
                     f'{html.escape(sections[index + 1].heading, quote=False)} &gt;</a>')
    return '<p class="nav">' + " | ".join(links) + "</p>\n"


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
    contents_names = {"ja": "目次", "en": "Contents"}
    for language, _ in LANGUAGES:
        title, sections = guides[language]
        numbered = {int(found.group(1)): s.page for s in sections[1:]
                    for found in [re.match(r"(\d+)\.", s.heading)] if found}
        inline = Inline(language, numbered)
        contents += sitemap_entry(title, sections[0].page, 0) + "  <UL>\n"
        for index, section in enumerate(sections):
            body = page_body(section, keywords, counter, inline)
            if index == 0:  # the first page leads to every section and to the other language
                other_language, other_name = others[language]
                links = "".join(f'<li><a href="{s.page}">{html.escape(s.heading, quote=False)}'
                                f"</a></li>\n" for s in sections[1:])
                body += (f"\n<h2>{contents_names[language]}</h2>\n<ul class=\"contents\">\n"
                         f"{links}</ul>\n<p class=\"other\"><a href=\""
                         f"{guides[other_language][1][0].page}\">{other_name}</a></p>")
                bar = ""
            else:
                contents += sitemap_entry(section.heading, section.page, 2)
                bar = navigation(sections, index, contents_names[language])
            with open(os.path.join(help_dir, section.page), "w", encoding=encoding) as out:
                out.write(page(section.heading, body, charset, bar))
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
