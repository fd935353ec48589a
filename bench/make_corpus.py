#!/usr/bin/env python3
"""Builds the benchmark corpora from real text on a Debian machine.

Text pools, each read from Debian packages (installed here when missing):
  zh_hans  simplified Chinese: fortunes-zh and the zh_CN manual pages of manpages-zh
  zh_hant  traditional Chinese: the zh_TW manual pages of manpages-zh
  ja       Japanese: the manual pages of manpages-ja
  ko       Korean: the translations in the message catalogues under /usr/share/locale/ko
  western  English licence texts (/usr/share/common-licenses) with the French and
           German manual pages of manpages-fr and manpages-de
  ru       Russian: the manual pages of manpages-ru
Each pool is written with Python's codecs in the encodings its cells read
(characters an encoding cannot hold are dropped), cut at a line end to at
most 6 MiB and repeated up to at least 5 MiB when the pool is smaller. Two
HTML texts are made from the simplified Chinese pool for the reference
decoder: one with character references, and the same text with every "&"
turned into "+".

The cells that write a legacy charset read Unicode text that the charset
holds whole: the charset's own corpus file decoded by Python's codec and
written as UTF-8 (and, for Shift_JIS, UTF-16LE), e.g. ja_sjis.utf8 is
ja.sjis decoded, cut at a line end to at most 6 MiB. The emoji text is
western.utf8 with an emoji after every third word (run of non-blanks):
the k-th is entry (37 k) mod 256 of a fixed list, every other code point
of U+1F300..U+1F4FF (all assigned), so that about one character in 21 is
beyond U+FFFF, four bytes in UTF-8 and a surrogate pair in UTF-16; written
as UTF-8 and UTF-16LE, cut at a line end to at most 6 MiB.

Usage: bench/make_corpus.py [OUTPUT_DIR]   (default: bench/corpus)
"""

import gzip
import html
import os
import re
import struct
import subprocess
import sys

PACKAGES = ["fortunes-zh", "manpages-zh", "manpages-ja", "manpages-fr", "manpages-de",
            "manpages-ru"]
MAX_BYTES = 6 << 20
MIN_BYTES = 5 << 20

# pool -> (file suffix, Python codec) for every encoding a cell reads.
ENCODINGS = {
    "zh_hans": [("gb18030", "gb18030"), ("gbk", "gbk")],
    "zh_hant": [("big5", "big5")],
    "ja": [("sjis", "shift_jis"), ("eucjp", "euc_jp")],
    "ko": [("euckr", "euc_kr")],
    "western": [("cp1252", "cp1252")],
    "ru": [("koi8r", "koi8_r")],
}
UNICODE_FORMS = [("utf8", "utf-8"), ("utf16le", "utf-16-le")]

# Unicode text a legacy charset holds whole: (name, corpus file, Python
# codec that reads it, Unicode forms written).
HELD = [
    ("ja_sjis", "ja.sjis", "shift_jis", UNICODE_FORMS),
    ("ja_eucjp", "ja.eucjp", "euc_jp", UNICODE_FORMS[:1]),
    ("ko_euckr", "ko.euckr", "euc_kr", UNICODE_FORMS[:1]),
    ("zh_hant_big5", "zh_hant.big5", "big5", UNICODE_FORMS[:1]),
    ("western_cp1252", "western.cp1252", "cp1252", UNICODE_FORMS[:1]),
    ("ru_koi8r", "ru.koi8r", "koi8_r", UNICODE_FORMS[:1]),
]

# 256 emoji: every other code point of U+1F300..U+1F4FF, all assigned.
EMOJI = [chr(0x1F300 + 2 * k) for k in range(256)]


def install_packages():
    missing = []
    for p in PACKAGES:
        r = subprocess.run(["dpkg-query", "-W", "-f=${Status}", p],
                           capture_output=True, text=True)
        if "install ok installed" not in r.stdout:
            missing.append(p)
    if not missing:
        return
    print("installing:", " ".join(missing), file=sys.stderr)
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    r = subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing,
                       env=env)
    if r.returncode != 0:
        subprocess.run(sudo + ["apt-get", "update", "-qq"], env=env, check=True)
        subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing,
                       env=env, check=True)


def package_version(p):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Version}", p], capture_output=True, text=True)
    return r.stdout.strip() or "?"


# Troff: requests whose arguments are running text; every other request line
# (definitions, conditionals, spacing) is markup and dropped.
TEXT_REQUESTS = {"SH", "SS", "B", "I", "BR", "BI", "IB", "IR", "RB", "RI", "IP", "TP", "SM",
                 "Nm", "Nd", "Op", "Ar", "Fl", "Xr", "Pa", "Dt", "It"}
ESCAPES = re.compile(r"\\f(\[[^\]]*\]|\(..|.)|\\\((..)|\\\*(\(..|\[[^\]]*\]|.)|\\s[+-]?\d+"
                     r"|\\[&|^~%:c]|\\[-e]|\\$")
COMMENT = re.compile(r'\\".*')
ANSI = re.compile(r"\x1b\[[0-9;]*m")


def troff_text(source):
    lines = []
    for line in source.splitlines():
        line = COMMENT.sub("", line)
        if line.startswith((".", "'")):
            parts = line[1:].split(None, 1)
            if not parts or parts[0] not in TEXT_REQUESTS or len(parts) < 2:
                continue
            line = parts[1].replace('"', "")
        line = ESCAPES.sub(lambda m: "-" if m.group(0) == "\\-" else "", line).strip()
        if line:
            lines.append(line)
    return "\n".join(lines) + "\n"


def man_pages(root):
    texts = []
    for dirpath, _, files in sorted(os.walk(root)):
        for f in sorted(files):
            path = os.path.join(dirpath, f)
            opener = gzip.open if f.endswith(".gz") else open
            try:
                with opener(path, "rb") as fh:
                    raw = fh.read()
            except OSError:
                continue
            texts.append(troff_text(raw.decode("utf-8", errors="ignore")))
    return "".join(texts)


def mo_translations(path):
    """The translated strings of a GNU message catalogue."""
    with open(path, "rb") as fh:
        data = fh.read()
    if len(data) < 20:
        return []
    magic = struct.unpack("<I", data[:4])[0]
    endian = "<" if magic == 0x950412DE else ">"
    _, count, _, trans_at = struct.unpack(endian + "4I", data[4:20])
    out = []
    for k in range(1, count):  # entry 0 is the catalogue header
        length, offset = struct.unpack(endian + "2I", data[trans_at + 8 * k:trans_at + 8 * k + 8])
        for s in data[offset:offset + length].split(b"\0"):
            out.append(s.decode("utf-8", errors="ignore"))
    return out


def pools():
    fortunes = "/usr/share/games/fortunes"
    zh_hans = []
    for f in ("chinese", "tang300", "song100"):
        with open(os.path.join(fortunes, f), encoding="utf-8", errors="ignore") as fh:
            zh_hans.append(ANSI.sub("", fh.read()).replace("\n%\n", "\n\n"))
    zh_hans.append(man_pages("/usr/share/man/zh_CN"))

    ko = []
    locale = "/usr/share/locale/ko/LC_MESSAGES"
    for f in sorted(os.listdir(locale)):
        if f.endswith(".mo"):
            ko.extend(mo_translations(os.path.join(locale, f)))

    western = []
    licences = "/usr/share/common-licenses"
    for f in sorted(os.listdir(licences)):
        path = os.path.join(licences, f)
        if os.path.isfile(path):
            with open(path, encoding="utf-8", errors="ignore") as fh:
                western.append(fh.read())
    western.append(man_pages("/usr/share/man/fr"))
    western.append(man_pages("/usr/share/man/de"))

    return {
        "zh_hans": "".join(zh_hans),
        "zh_hant": man_pages("/usr/share/man/zh_TW"),
        "ja": man_pages("/usr/share/man/ja"),
        "ko": "\n".join(ko) + "\n",
        "western": "".join(western),
        "ru": man_pages("/usr/share/man/ru"),
    }


def sized(data, unit=1):
    """Cut at a line end to at most MAX_BYTES, or repeated to at least MIN_BYTES."""
    newline = b"\n" if unit == 1 else b"\n\0"
    if len(data) > MAX_BYTES:
        cut = data.rfind(newline, 0, MAX_BYTES)
        while cut % unit:
            cut = data.rfind(newline, 0, cut)
        return data[:cut + len(newline)]
    whole = data
    while len(data) < MIN_BYTES:
        data += whole
    return data[:MAX_BYTES] if len(data) <= MAX_BYTES else sized(data, unit)


def references(text):
    """HTML of the text: markup escaped, and every 24th character beyond ASCII
    written as a numeric reference, decimal and hexadecimal in turn."""
    out = []
    k = 0
    for line in text.splitlines():
        parts = []
        for ch in html.escape(line):
            if ord(ch) >= 0x80:
                k += 1
                if k % 24 == 0:
                    parts.append("&#%d;" % ord(ch) if k % 48 else "&#x%X;" % ord(ch))
                    continue
            parts.append(ch)
        out.append("<p>" + "".join(parts) + "&nbsp;&copy;</p>\n")
    return "".join(out)


def with_emoji(text):
    """The text with an emoji after every third word (run of non-blanks),
    chosen by a fixed step through EMOJI."""
    k = 0

    def word(m):
        nonlocal k
        k += 1
        if k % 3:
            return m.group(0)
        return m.group(0) + EMOJI[(37 * k // 3) % len(EMOJI)]

    return re.sub(r"\S+", word, text)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
    install_packages()
    os.makedirs(out_dir, exist_ok=True)
    manifest = ["# file\tbytes\tnon-ASCII bytes\tsource"]

    def write(name, data, source):
        with open(os.path.join(out_dir, name), "wb") as fh:
            fh.write(data)
        high = sum(1 for b in data if b >= 0x80)
        manifest.append("%s\t%d\t%d\t%s" % (name, len(data), high, source))

    for name, text in pools().items():
        forms = ENCODINGS.get(name, []) + UNICODE_FORMS
        for suffix, codec in forms:
            unit = 2 if codec == "utf-16-le" else 1
            write("%s.%s" % (name, suffix), sized(text.encode(codec, errors="ignore"), unit),
                  "%s pool, Python %s codec" % (name, codec))
        if name == "zh_hans":
            page = sized(references(text).encode("utf-8"))
            write("html_refs.utf8", page, "zh_hans pool as HTML with references")
            write("html_plain.utf8", page.replace(b"&", b"+"), "html_refs.utf8 with & as +")

    for name, source, codec, forms in HELD:
        with open(os.path.join(out_dir, source), "rb") as fh:
            text = fh.read().decode(codec)
        for suffix, form in forms:
            unit = 2 if form == "utf-16-le" else 1
            write("%s.%s" % (name, suffix), sized(text.encode(form), unit),
                  "%s decoded by Python's %s codec" % (source, codec))
    with open(os.path.join(out_dir, "western.utf8"), "rb") as fh:
        emoji = with_emoji(fh.read().decode("utf-8"))
    for suffix, form in UNICODE_FORMS:
        unit = 2 if form == "utf-16-le" else 1
        write("emoji.%s" % suffix, sized(emoji.encode(form), unit),
              "western.utf8 with an emoji after every third word")

    manifest.append("# Python %s; %s" % (sys.version.split()[0],
                    ", ".join("%s %s" % (p, package_version(p)) for p in PACKAGES)))
    with open(os.path.join(out_dir, "MANIFEST"), "w") as fh:
        fh.write("\n".join(manifest) + "\n")
    print("\n".join(manifest))


if __name__ == "__main__":
    main()
