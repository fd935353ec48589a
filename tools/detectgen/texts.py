"""Reads the text of installed Debian packages as documents of a few KB,
normalised for counting (shared by dump_texts.py and extract.py).

A document is one man page, a few fortunes, a run of one catalogue's
messages, a part of one HTML manual page or of a word list. Normalising keeps
case, drops control characters and characters outside the BMP (the detector
counts UCS-2 units), and makes every run of white space, line breaks
included, one space. Python 3 standard library only.
"""

import gzip
import hashlib
import html
import re
import struct
import subprocess
import sys
import unicodedata
from dataclasses import dataclass
from pathlib import Path

sys.dont_write_bytecode = True

import sources  # noqa: E402

DOCUMENT_CHARS = 4000
DPKG_INFO = Path("/var/lib/dpkg/info")


@dataclass(frozen=True)
class Document:
    package: str
    language: str
    text: str  # normalised


def package_files(package):
    """Files a package installs, from dpkg's lists (any architecture)."""
    files = []
    for listing in sorted(DPKG_INFO.glob(f"{package}.list")) + sorted(DPKG_INFO.glob(f"{package}:*.list")):
        files.extend(line for line in listing.read_text(encoding="utf-8", errors="replace").splitlines() if line)
    return sorted(set(files))


def installed_versions(packages):
    """{package: version} of the installed packages among `packages`."""
    result = subprocess.run(
        ["dpkg-query", "-W", "-f", "${Package}\t${Version}\t${db:Status-Status}\n", *packages],
        capture_output=True,
        text=True,
        check=False,
    )
    versions = {}
    for line in result.stdout.splitlines():
        name, version, status = line.split("\t")
        if status == "installed":
            versions[name] = version
    return versions



_ANSI = re.compile(r"\x1b\[[0-9;?]*[A-Za-z]")
_SPACE = re.compile(r"\s+")


def normalise(text):
    text = _ANSI.sub("", text)
    kept = []
    for char in text:
        if char.isspace():
            kept.append(" ")
        elif ord(char) > 0xFFFF or unicodedata.category(char) == "Cc":
            continue
        else:
            kept.append(char)
    return _SPACE.sub(" ", "".join(kept)).strip()


def is_language_line(line, non_latin):
    """False for a line that is markup, a command or an option list rather
    than the language: few letters, or, for a non-Latin script, no letter
    beyond ASCII."""
    letters = sum(1 for char in line if char.isalpha())
    visible = sum(1 for char in line if not char.isspace())
    if visible == 0 or letters * 2 < visible:
        return False
    if non_latin:
        return any(ord(char) > 0x7F and char.isalpha() for char in line)
    return True


def decode(data, language, name):
    head = data[:400].decode("ascii", errors="replace")
    declared = re.search(r"-\*-\s*coding:\s*([-\w]+)", head)
    if declared:
        try:
            return data.decode(declared.group(1))
        except (LookupError, UnicodeDecodeError):
            pass
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        pass
    legacy = sources.LEGACY_ENCODING.get(language, "latin-1")
    try:
        return data.decode(legacy)
    except UnicodeDecodeError:
        print(f"texts: {name}: neither UTF-8 nor {legacy}; read as UTF-8 with U+FFFD", file=sys.stderr)
        return data.decode("utf-8", errors="replace")


def chunks(lines, size=DOCUMENT_CHARS):
    """Consecutive lines joined into pieces of about `size` characters."""
    piece, length = [], 0
    for line in lines:
        piece.append(line)
        length += len(line) + 1
        if length >= size:
            yield "\n".join(piece)
            piece, length = [], 0
    if piece:
        yield "\n".join(piece)



_ROFF_TEXT_MACROS = {
    "SH", "SS", "B", "I", "BR", "BI", "IB", "IR", "RB", "RI", "SM", "SB",
    "Nd", "Sh", "Ss", "Dl", "D1", "Em", "Sy", "Dq", "Qq", "Sq", "Pq",
}
_ROFF_NAMED = {
    "em": "\u2014", "en": "\u2013", "aq": "'", "dq": '"', "lq": "\u201c", "rq": "\u201d",
    "oq": "\u2018", "cq": "\u2019", "bu": "\u2022", "co": "\u00a9", "rg": "\u00ae",
    "ga": "`", "ha": "^", "ti": "~", "mu": "\u00d7", "hy": "-", "Fo": "\u00ab", "Fc": "\u00bb",
    "fo": "\u2039", "fc": "\u203a", "de": "\u00b0", "tm": "\u2122", "pl": "+", "mi": "\u2212",
}
_ROFF_ESCAPE = re.compile(
    r"\\(?:"
    r"\((?P<two>..)"
    r"|\[(?P<long>[^\]]*)\]"
    r"|[fFsnm*gk](?:\([^\n]{2}|\[[^\]]*\]|[+-]?\d+|.)"
    r"|[hvwlLDNoxXbZRSY]'[^']*'"
    r"|(?P<one>.)"
    r")"
)
_ROFF_ONE = {"-": "-", "e": "\\", " ": " ", "~": " ", "0": " ", "'": "'", "`": "`", ".": ".", "\\": "\\"}


def _roff_escape(match):
    if match.group("two") is not None:
        return _ROFF_NAMED.get(match.group("two"), "")
    if match.group("long") is not None:
        name = match.group("long")
        if re.fullmatch(r"u[0-9A-F]{4,5}", name):
            return chr(int(name[1:], 16))
        return _ROFF_NAMED.get(name, "")
    one = match.group("one")
    if one is not None:
        return _ROFF_ONE.get(one, "")
    return ""


def roff_text(source):
    """The running text of a man page's roff source, line by line."""
    lines = []
    for line in source.splitlines():
        if line.startswith((".", "'")):
            match = re.match(r"[.']\s*(\S+)\s*(.*)", line)
            if not match or match.group(1) not in _ROFF_TEXT_MACROS:
                continue
            line = match.group(2).replace('"', " ")
        line = _ROFF_ESCAPE.sub(_roff_escape, line)
        lines.append(line)
    return lines


def read_man(path, language):
    data = Path(path).read_bytes()
    if path.endswith(".gz"):
        data = gzip.decompress(data)
    text = decode(data, language, path)
    if re.match(r"\.so\s", text):
        return []
    return roff_text(text)


# Pages that list a charset's every character: tables, not the language.
_CHARSET_PAGE = re.compile(r"(iso[-_]?8859|koi8|cp\d|charsets|ascii|armscii|latin\d|tis-620|utf-?8|unicode|charmap)", re.I)


def man_files(package, language):
    folder = f"/usr/share/man/{language}/man" if language else "/usr/share/man/man"
    return [
        f
        for f in package_files(package)
        if f.startswith(folder) and Path(f).is_file() and not _CHARSET_PAGE.match(Path(f).name)
    ]




def fortune_files(package):
    return [
        f
        for f in package_files(package)
        if f.startswith("/usr/share/games/fortunes/")
        and not f.endswith((".dat", ".u8"))
        and Path(f).is_file()
        and not Path(f).is_symlink()
    ]


def read_fortunes(path, language):
    text = decode(Path(path).read_bytes(), language, path)
    return [line for line in text.splitlines() if line.strip() != "%"]



_HTML_DROP = re.compile(r"<(pre|script|style|code|tt|screen)\b.*?</\1>", re.S | re.I)
_HTML_BLOCK = re.compile(r"</?(p|div|h[1-6]|li|td|th|tr|dt|dd|br|title)\b[^>]*>", re.I)
_HTML_TAG = re.compile(r"<[^>]*>")


def reference_files(package):
    return [f for f in package_files(package) if f.endswith(".html") and Path(f).is_file()]


def read_reference(path, language):
    text = decode(Path(path).read_bytes(), language, path)
    text = _HTML_DROP.sub(" ", text)
    text = _HTML_BLOCK.sub("\n", text)
    text = html.unescape(_HTML_TAG.sub("", text))
    return text.splitlines()




def word_files(package):
    return [f for f in package_files(package) if f.endswith(".dic") and Path(f).is_file()]


# Scripts written without spaces between words, only between phrases.
_NO_WORD_SPACES = {"lo", "th"}


def read_words(path, language):
    """A word list as lines of ten words, run together as the script writes
    them, so that the pairs across word boundaries are counted too. The words
    are shuffled (in a fixed order, by hash): in alphabetical order
    neighbours share their first letters."""
    lines = decode(Path(path).read_bytes(), language, path).splitlines()[1:]
    found = [line.split("/")[0].strip() for line in lines]
    found = sorted((word for word in found if word), key=lambda w: (hashlib.sha1(w.encode("utf-8")).digest(), w))
    joiner = "" if language in _NO_WORD_SPACES else " "
    return [joiner.join(found[start : start + 10]) for start in range(0, len(found), 10)]



_FORMAT = re.compile(r"%(?:\d+\$)?[-#0 +'I]*(?:\d+|\*)?(?:\.\d+)?(?:hh|ll|[hlLqjzt])?[a-zA-Z%]|\$\{\w+\}|<[^>]{1,60}>")
_ACCELERATOR = re.compile(r"(?<!\w)_(?=\w)")


def read_mo(path):
    """The translated messages of a gettext catalogue, in the catalogue's order."""
    data = Path(path).read_bytes()
    if len(data) < 28:
        return []
    magic = struct.unpack("<I", data[:4])[0]
    order = "<" if magic == 0x950412DE else ">" if magic == 0xDE120495 else None
    if order is None:
        return []
    count, originals, translations = struct.unpack(order + "III", data[8:20])
    charset = "utf-8"
    messages = []
    for index in range(count):
        olen, ooff = struct.unpack(order + "II", data[originals + 8 * index : originals + 8 * index + 8])
        tlen, toff = struct.unpack(order + "II", data[translations + 8 * index : translations + 8 * index + 8])
        original, translated = data[ooff : ooff + olen], data[toff : toff + tlen]
        if not original:
            match = re.search(rb"charset=([-\w]+)", translated)
            if match:
                charset = match.group(1).decode("ascii")
            continue
        messages.append((original, translated))
    lines = []
    for original, translated in messages:
        try:
            source_text = original.split(b"\x04")[-1].decode(charset)
            forms = translated.decode(charset).split("\x00")
        except (LookupError, UnicodeDecodeError):
            continue
        for form in forms:
            if form and form != source_text.split("\x00")[0]:
                lines.append(_ACCELERATOR.sub("", _FORMAT.sub(" ", form)))
    return lines


def catalogue_files(languages):
    """(package, path) of the catalogues of `languages` that the packages in
    sources.CATALOGUE_PACKAGES install."""
    found = []
    prefixes = tuple(f"/usr/share/locale/{language}/LC_MESSAGES/" for language in languages)
    for package in sources.CATALOGUE_PACKAGES:
        for f in package_files(package):
            if f.startswith(prefixes) and f.endswith(".mo") and Path(f).is_file():
                found.append((package, f))
    return found




@dataclass(frozen=True)
class Unit:
    """One file of text, read lazily."""

    package: str
    language: str
    path: str
    reader: object

    def rank(self):
        return hashlib.sha1(self.path.encode("utf-8")).hexdigest()


def units(model, split):
    """The files of `model`'s sources in `split`."""
    found = []
    for source in sources.MODELS[model]:
        if source.kind == "catalogues":
            for language in source.languages:
                for package, path in catalogue_files((language,)):
                    held_out = source.split == "eval" or package in sources.HELD_OUT_CATALOGUES
                    if (split == "eval") == held_out:
                        found.append(Unit(package, language, path, lambda p, _l: read_mo(p)))
            continue
        if source.split != split:
            continue
        for language in source.languages:
            if source.kind == "man":
                paths, reader = man_files(source.package, language), read_man
            elif source.kind == "fortunes":
                paths, reader = fortune_files(source.package), read_fortunes
            elif source.kind == "reference":
                paths, reader = reference_files(source.package), read_reference
            elif source.kind == "words":
                paths, reader = word_files(source.package), read_words
            else:
                raise ValueError(f"unknown source kind {source.kind}")
            found.extend(Unit(source.package, language, path, reader) for path in paths)
    return found


def model_languages(model):
    return sorted({language for source in sources.MODELS[model] for language in source.languages})


def documents(model, split, limit=None):
    """The normalised documents of `model`'s `split`, each language's files in a
    fixed pseudo-random order; with `limit`, each language stops once it has
    limit / (number of languages) characters."""
    non_latin = model in sources.NON_LATIN
    by_language = {}
    for unit in units(model, split):
        by_language.setdefault(unit.language, []).append(unit)
    share = None if limit is None else limit // max(1, len(by_language))
    result = []
    for language in sorted(by_language):
        taken = 0
        for unit in sorted(by_language[language], key=lambda u: (u.rank(), u.path)):
            if share is not None and taken >= share:
                break
            lines = [line for line in unit.reader(unit.path, language) if is_language_line(line, non_latin)]
            for piece in chunks(lines):
                text = normalise(piece)
                if len(text) < 20:
                    continue
                result.append(Document(unit.package, language, text))
                taken += len(text)
                if share is not None and taken >= share:
                    break
    return result
