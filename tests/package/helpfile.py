"""The release package's help file, read by an independent reader (chmlib's `extract_chmLib`,
Debian package libchm-bin), never by the compiler's own library: its contents, its keyword
index, the code page of every page, its pictures, and that it says what the text guides say."""

import html
import os
import re
import struct
import subprocess
import tempfile
from html.parser import HTMLParser

JAPANESE_LCID = 0x411
# What a user looks up: every menu item, dialog control, settings key, message box and
# configuration directive, and the tasks around the plug-in.
REQUIRED_KEYWORDS = [
    "メニュー項目「Vellacord」", "メニュー項目「SMFナイフ」", "メニュー項目「デフォルト」",
    "メニュー項目 (コンフィグファイルのパス)", "メニュー項目「その他...」",
    "メニュー項目「プロパティ...」", "メニュー項目「ヘルプ」", "メニュー項目「終了」",
    "チェックボックス「SMFナイフ」", "チェックボックス「RCPCV」", "キャッシュファイル数",
    "ボタン「コンフィグファイル...」", "デフォルトのコンフィグファイル",
    "リズムパートをCh.10に統合する", "バンクセレクト例外処理をする",
    "MAC BINARY を カットする", "CC#64をノートイベントで置換する",
    "ボタン「OK」", "ボタン「キャンセル」", "ボタン「ヘルプ」",
    "Vellacord.ini", "Version", "Cache", "RCPCV (キー)", "SMFKnife (キー)", "SMFKConfig",
    "SMFKCh10", "SMFKBank", "SMFKMac", "SMFKCC64", "[SMFKnife]",
    "WIN.INI", "mci extensions", "WIN.INI の登録の削除",
    "このバージョンのORVOには対応していません", "SMFナイフ コンフィグファイルが設定されていません",
    "SMFK32.DLLがありません", "RCPCV.DLLがありません", "SMFナイフが使用できません",
    "RCPCVが使用できません", "ORVOControl Create Instance Error",
    "IORVOControl Interface Error", "get_Left((long*)&Value)",
    "target", "rhythm", "channel", "transpose", "velocity", "program", "drop sysex",
    "drop aftertouch", "drop pitchbend",
    "変換したファイルの置き場所", "作業フォルダー", "インストール", "更新 (アップグレード)",
    "アンインストール", "rcpcv.ini", "installing", "upgrading", "uninstalling",
    "vellacord-convert.exe",
]
PICTURES = {"images/dialog.png", "images/menu.png"}
CHARSETS = {"shift_jis": "cp932", "utf-8": "utf-8"}


def read_chm(data, work):
    """The help file's members by name (no leading "/"), extracted by chmlib."""
    path = os.path.join(work, "Vellacord.chm")
    with open(path, "wb") as out:
        out.write(data)
    target = os.path.join(work, "extracted")
    result = subprocess.run(["extract_chmLib", path, target], capture_output=True, text=True)
    if result.returncode != 0 or not os.path.isdir(target):
        raise ValueError(f"extract_chmLib failed: {result.stderr.strip() or result.stdout[-200:]}")
    members = {}
    for folder, _, names in os.walk(target):
        for name in names:
            full = os.path.join(folder, name)
            with open(full, "rb") as member:
                members[os.path.relpath(full, target).replace(os.sep, "/")] = member.read()
    return members


def system_records(data):
    """#SYSTEM: {code: bytes} after the version word."""
    records, at = {}, 4
    while at + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, at)
        records[code] = data[at + 4 : at + 4 + length]
        at += 4 + length
    return records


def topic_file(members, topic):
    """The page a topic number of the binary index leads to."""
    _, _, urltbl, _, _ = struct.unpack_from("<IIIHH", members["#TOPICS"], topic * 16)
    _, _, urlstr = struct.unpack_from("<III", members["#URLTBL"], urltbl)
    name = members["#URLSTR"][urlstr + 8 :].split(b"\0", 1)[0]
    return name.decode("ascii").lstrip("/")


def binary_index(members):
    """{keyword: [page, ...]} from the binary keyword index (keywords in UTF-16)."""
    tree = members["$WWKeywordLinks/BTree"]
    if tree[:2] != b"\x3b\x29":
        raise ValueError("no binary index signature")
    block_size = struct.unpack_from("<H", tree, 4)[0]
    last_listing = struct.unpack_from("<I", tree, 0x1A)[0]
    keywords = struct.unpack_from("<I", tree, 0x2C)[0]
    index, read = {}, 0
    # The listing blocks come first, in keyword order; the blocks after them only index them.
    for block in range(last_listing + 1):
        base = 0x4C + block * block_size
        _, entries = struct.unpack_from("<HH", tree, base)
        read += entries
        at = base + 12
        for _ in range(entries):
            end = at
            while tree[end : end + 2] != b"\0\0":
                end += 2
            keyword = tree[at:end].decode("utf-16-le")
            at = end + 2
            see_also, _, _, _, pairs = struct.unpack_from("<HHIII", tree, at)
            at += 16
            if see_also:
                end = at
                while tree[end : end + 2] != b"\0\0":
                    end += 2
                at = end + 2
                topics = []
            else:
                topics = list(struct.unpack_from(f"<{pairs}I", tree, at))
                at += 4 * pairs
            at += 8
            index.setdefault(keyword, []).extend(topic_file(members, t) for t in topics)
    if read != keywords:
        raise ValueError(f"{read} keywords listed, the header counts {keywords}")
    return index


class SitemapReader(HTMLParser):
    """The entries of a contents or index file: (depth, name, [local, ...])."""

    def __init__(self):
        super().__init__()
        self.entries, self.depth, self.current = [], 0, None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "ul":
            self.depth += 1
        elif tag == "object" and attrs.get("type") == "text/sitemap":
            self.current = (self.depth, None, [])
        elif tag == "param" and self.current is not None:
            if attrs.get("name", "").lower() == "name" and self.current[1] is None:
                self.current = (self.current[0], attrs.get("value", ""), self.current[2])
            elif attrs.get("name", "").lower() == "local":
                self.current[2].append(attrs.get("value", "").split("#")[0])

    def handle_endtag(self, tag):
        if tag == "ul":
            self.depth -= 1
        elif tag == "object" and self.current is not None:
            self.entries.append(self.current)
            self.current = None


def declared_text(name, data):
    """The member's text in the code page it declares, or an error message."""
    found = re.search(rb'charset=([A-Za-z0-9_-]+)', data)
    if not found:
        return None, "no declared code page"
    charset = found.group(1).decode("ascii").lower()
    if charset not in CHARSETS:
        return None, f"declares {charset}"
    try:
        text = data.decode(CHARSETS[charset])
    except UnicodeDecodeError as error:
        return None, f"declares {charset} but is not: {error}"
    if charset == "shift_jis" and not text.isascii():
        try:
            data.decode("utf-8")
            return None, "declares Shift_JIS but holds UTF-8"
        except UnicodeDecodeError:
            pass
    return text, None


def squeezed(text):
    return re.sub(r"\s+", "", text)


def page_text(markup):
    return html.unescape(re.sub(r"<[^>]*>", "", markup))


def guide_sections(text):
    """{heading: body} of a text guide: headings are the lines underlined with '-' or '='."""
    lines = text.replace("\r\n", "\n").split("\n")
    sections, heading, body = {}, None, []
    for number, line in enumerate(lines):
        following = lines[number + 1] if number + 1 < len(lines) else ""
        if line and re.fullmatch(r"[-=]{3,}", following):
            if heading is not None:
                sections[heading] = "\n".join(body)
            heading, body = line, []
        elif not re.fullmatch(r"[-=]{3,}", line):
            body.append(line)
    if heading is not None:
        sections[heading] = "\n".join(body)
    return sections


def check_help(findings, data, guides):
    """guides: {"README-ja.txt": text, "README-en.txt": text} as read from the package."""
    if not findings.check(data[:4] == b"ITSF", "Vellacord.chm: a compiled help file",
                          f"begins with {data[:4]!r}"):
        return
    with tempfile.TemporaryDirectory() as work:
        try:
            members = read_chm(data, work)
        except ValueError as error:
            findings.check(False, "Vellacord.chm: readable by chmlib", str(error))
            return
    findings.check(True, f"Vellacord.chm: readable by chmlib ({len(members)} members)")
    system = system_records(members.get("#SYSTEM", b""))
    lcid = struct.unpack_from("<I", system[4])[0] if 4 in system else None
    findings.check(lcid == JAPANESE_LCID, "Vellacord.chm: Japanese (0x411) its main language",
                   f"language {lcid!r}")
    first = system.get(2, b"").split(b"\0")[0].decode("ascii", "replace")

    texts, bad = {}, []
    for name, member in members.items():
        if name.endswith((".html", ".hhc", ".hhk")):
            text, error = declared_text(name, member)
            if error:
                bad.append(f"{name} {error}")
            else:
                texts[name] = text
    findings.check(not bad and texts, f"Vellacord.chm: {len(texts)} pages, each in the code "
                   "page it declares", "; ".join(bad) or "no pages")

    contents = SitemapReader()
    contents.feed(texts.get("Vellacord.hhc", ""))
    missing = sorted({local for _, _, locals_ in contents.entries for local in locals_
                      if local not in texts})
    findings.check(contents.entries and not missing,
                   f"Vellacord.chm: the {len(contents.entries)} pages of the contents present",
                   "missing: " + (" ".join(missing) or "no contents"))
    english = [locals_[0] for depth, _, locals_ in contents.entries
               if depth == 1 and locals_ and locals_[0] != first]
    findings.check(first in texts and english and f'href="{english[0]}"' in texts[first],
                   f"Vellacord.chm: the first page {first} leads to the English guide",
                   f"no link to {english[:1]}")

    try:
        index = binary_index(members)
    except (KeyError, ValueError, struct.error, UnicodeDecodeError) as error:
        findings.check(False, "Vellacord.chm: binary keyword index readable", str(error))
        index = {}
    listed = SitemapReader()
    listed.feed(texts.get("Vellacord.hhk", ""))
    sitemap = {name: locals_ for _, name, locals_ in listed.entries}
    absent = [k for k in REQUIRED_KEYWORDS if k not in index or k not in sitemap]
    findings.check(index and not absent, f"Vellacord.chm: {len(index)} index keywords, the "
                   f"{len(REQUIRED_KEYWORDS)} required ones among them, Japanese ones as written",
                   "absent or garbled: " + " ".join(absent))
    def leads(target):
        page, _, anchor = target.partition("#")
        return page in texts and (not anchor or f'name="{anchor}"' in texts[page])

    dangling = sorted({f"{k} -> {p}" for k, pages in index.items() for p in pages
                       if not leads(p)} | {k for k, pages in index.items() if not pages})
    findings.check(index and not dangling, "Vellacord.chm: every index keyword leads to a page",
                   " ".join(dangling[:5]))

    images = {name for name in members if name.startswith("images/")}
    referenced = {src for text in texts.values() for src in re.findall(r'<img src="([^"]+)"',
                                                                        text)}
    not_png = [n for n in images if not members[n].startswith(b"\x89PNG\r\n\x1a\n")]
    findings.check(PICTURES <= images and images == referenced and not not_png,
                   f"Vellacord.chm: pictures {' '.join(sorted(images))} included and shown",
                   f"included {sorted(images)}, shown {sorted(referenced)}, not PNG {not_png}")

    # Each section of each text guide says what its page in the help file says.
    by_heading = {name: locals_[0] for _, name, locals_ in contents.entries if locals_}
    for guide, text in guides.items():
        if text is None:
            continue
        differing = []
        for heading, body in guide_sections(text).items():
            page = by_heading.get(heading)
            shown = squeezed(page_text(texts.get(page, "")))
            # A page shows lists as lists: their "- " and "1. " markers are the text's own.
            words = re.sub(r"(?m)^[ \t]*(?:-|\d+\.)[ \t]+", "", body)
            if page is None or squeezed(words) not in shown:
                differing.append(heading)
        findings.check(not differing, f"{guide}: every section as in Vellacord.chm",
                       "differs: " + "; ".join(differing))
