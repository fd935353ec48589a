#!/usr/bin/python3
"""Builds the detection evaluation corpus from held-out UTF-8 documents.

Documents come from tools/detectgen/extract.py's eval split (TEXTS/<model>/
<package>__<n>.txt), written there first when TEXTS is missing; --texts takes
any directory of that shape instead. Each document is encoded into every
charset its model's languages are written in, plus UTF-8, and for every
fifth document UTF-16LE and UTF-16BE without a byte-order mark.

Typographic punctuation a charset lacks (quotes, dashes, ellipsis, special
spaces, bidi controls) is written the ASCII way first, as legacy text does.
Then a charset takes a document only when it lacks at most 1% of the
document's non-ASCII characters, and those few (a stray foreign letter or
symbol) are left out: a Czech text never becomes ISO-8859-16 with its
letters dropped, but a Big5 text goes without the odd variant Big5 lacks.
Two sets take only the documents that need them: GB18030 with four-byte
codes, and CP949 (Hangul that EUC-KR lacks); the plain GB18030 set holds
the documents without four-byte codes.

Every encoded document is kept whole and cut at 32, 256 and 4096 bytes when
longer; a cut may split a character, as a real prefix does. Samples go to
OUT/samples/, listed in OUT/MANIFEST.tsv (file, set, id, model, document,
cut, bytes); OUT/SKIPPED.tsv counts the documents each set took and refused.

Usage: make_corpus.py [--texts DIR] [--per-model N] [OUT]   (OUT: bench/detect/corpus)
"""

import argparse
import os
import subprocess
import sys
import unicodedata
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CUTS = (32, 256, 4096)

# model -> (set name, charset id, how to encode, which documents).
# How: a Python codec, "iconv:NAME" for glibc iconv, "cp1258" (below), or
# "zel:ID" for a single-byte set neither knows (MULELAO-1): the inverse of
# this library's own table, bytes 0xA0..0xFF.
# Which: "all"; "needs" for a set that only takes documents the set listed
# just before it cannot encode; "two-byte" or "four-byte" for GB18030 text
# without or with four-byte codes.
CHARSETS = {
    "zh_hans": [("GB18030", 2, "gb18030", "two-byte"), ("GB18030 4-byte", 2, "gb18030", "four-byte"),
                ("EUC-CN", 17, "gb2312", "all"), ("ISO-2022-CN", 14, "iconv:ISO-2022-CN", "all")],
    "zh_hant": [("Big5", 3, "big5", "all"), ("EUC-TW", 18, "iconv:EUC-TW", "all")],
    "ja": [("Shift_JIS", 7, "shift_jis", "all"), ("EUC-JP", 19, "euc_jp", "all"),
           ("ISO-2022-JP", 15, "iso2022_jp", "all")],
    "ko": [("EUC-KR", 20, "euc_kr", "all"), ("CP949", 12, "cp949", "needs"),
           ("ISO-2022-KR", 16, "iso2022_kr", "all")],
    "cyrillic": [("KOI8-R", 21, "koi8_r", "all"), ("KOI8-U", 22, "koi8_u", "all"),
                 ("ISO-8859-5", 28, "iso8859_5", "all"), ("CP1251", 41, "cp1251", "all"),
                 ("CP866", 50, "cp866", "all")],
    "greek": [("ISO-8859-7", 30, "iso8859_7", "all"), ("CP1253", 43, "cp1253", "all")],
    "hebrew": [("ISO-8859-8", 31, "iso8859_8", "all"), ("CP1255", 45, "cp1255", "all")],
    "arabic": [("ISO-8859-6", 29, "iso8859_6", "all"), ("CP1256", 46, "cp1256", "all")],
    "thai": [("ISO-8859-11", 34, "iso8859_11", "all"), ("CP874", 39, "cp874", "all")],
    "vietnamese": [("CP1258", 48, "cp1258", "all"), ("TCVN", 52, "iconv:TCVN5712-1", "all")],
    "lao": [("CP1133", 51, "iconv:CP1133", "all"), ("MULELAO-1", 55, "zel:55", "all")],
    "armenian": [("ARMSCII-8", 53, "iconv:ARMSCII-8", "all")],
    "western": [("ISO-8859-1", 24, "latin_1", "all"), ("ISO-8859-15", 37, "iso8859_15", "all"),
                ("CP1252", 42, "cp1252", "all"), ("CP850", 49, "cp850", "all")],
    "central": [("ISO-8859-2", 25, "iso8859_2", "all"), ("CP1250", 40, "cp1250", "all"),
                ("ISO-8859-16", 38, "iso8859_16", "all")],
    "baltic": [("ISO-8859-13", 35, "iso8859_13", "all"), ("CP1257", 47, "cp1257", "all"),
               ("ISO-8859-4", 27, "iso8859_4", "all"), ("ISO-8859-10", 33, "iso8859_10", "all")],
    "turkish": [("ISO-8859-9", 32, "iso8859_9", "all"), ("CP1254", 44, "cp1254", "all")],
    "southern": [("ISO-8859-3", 26, "iso8859_3", "all")],
    "celtic": [("ISO-8859-14", 36, "iso8859_14", "all")],
}
UNICODE_SETS = [("UTF-8", 8, "utf-8", 1), ("UTF-16LE", 11, "utf-16-le", 5), ("UTF-16BE", 10, "utf-16-be", 5)]

# Vietnamese tone marks: code page 1258 has few precomposed toned letters,
# so text is written as base letter plus combining tone where it must be.
TONES = frozenset("\u0300\u0301\u0303\u0309\u0323")


def encode_cp1258(text):
    out = []
    for ch in unicodedata.normalize("NFC", text):
        try:
            out.append(ch.encode("cp1258"))
        except UnicodeEncodeError:
            parts = unicodedata.normalize("NFD", ch)
            base = unicodedata.normalize("NFC", "".join(c for c in parts if c not in TONES))
            out.append((base + "".join(c for c in parts if c in TONES)).encode("cp1258"))
    return b"".join(out)


# Typographic punctuation and its ASCII fallback, used where a charset lacks it.
FALLBACK = {
    "\u00a0": " ", "\u2009": " ", "\u202f": " ", "\u200b": "", "\u200e": "", "\u200f": "",
    "\u202a": "", "\u202b": "", "\u202c": "", "\u202d": "", "\u202e": "",
    "\u00ab": '"', "\u00bb": '"', "\u2039": "'", "\u203a": "'",
    "\u2018": "'", "\u2019": "'", "\u201a": "'", "\u201b": "'",
    "\u201c": '"', "\u201d": '"', "\u201e": '"', "\u201f": '"',
    "\u2010": "-", "\u2011": "-", "\u2013": "-", "\u2014": "-", "\u2026": "...",
    "\u2024": ".", "\u2236": ":", "\u05be": "-", "\u05f3": "'", "\u05f4": '"',
}
_lacking = {}
_zel_tables = {}


def plain_punctuation(text, how):
    """The text with the punctuation that charset lacks written the ASCII way."""
    if how not in _lacking:
        _lacking[how] = {c: r for c, r in FALLBACK.items() if encode_exact(c, how) is None}
    lacking = _lacking[how]
    if not any(c in lacking for c in text):
        return text
    return "".join(lacking.get(c, c) for c in text)


def zel_table(cid):
    if cid not in _zel_tables:
        sys.path.insert(0, HERE)
        import zel  # pylint: disable=import-outside-toplevel

        lib = zel.Library()
        table = {}
        for b in range(0xA0, 0x100):
            unit = int.from_bytes(lib.unicode(cid, bytes([b])), "little")
            if unit != 0xFFFD:
                table.setdefault(chr(unit), b)
        _zel_tables[cid] = table
    return _zel_tables[cid]


_holds = {}
STRAY_SHARE = 0.01


def holds(ch, how):
    key = (ch, how)
    if key not in _holds:
        _holds[key] = encode_exact(ch, how) is not None
    return _holds[key]


def encode(text, how):
    """The text in that encoding, or None when it lacks too many of its characters."""
    text = plain_punctuation(text, how)
    data = encode_exact(text, how)
    if data is not None:
        return data
    wide = [c for c in text if c >= "\x80"]
    stray = {c for c in set(wide) if not holds(c, how)}
    if sum(1 for c in wide if c in stray) > STRAY_SHARE * len(wide):
        return None
    return encode_exact("".join(c for c in text if c not in stray), how)


def encode_exact(text, how):
    try:
        if how.startswith("zel:"):
            table = zel_table(int(how[4:]))
            out = bytearray()
            for ch in text:
                if ch < "\x80":
                    out.append(ord(ch))
                elif ch in table:
                    out.append(table[ch])
                else:
                    return None
            return bytes(out)
        if how == "cp1258":
            return encode_cp1258(text)
        if how.startswith("iconv:"):
            r = subprocess.run(["iconv", "-f", "UTF-8", "-t", how[6:]], input=text.encode("utf-8"),
                               capture_output=True, check=False)
            return r.stdout if r.returncode == 0 else None
        return text.encode(how)
    except UnicodeEncodeError:
        return None


def has_four_byte(data):
    """Whether GB18030 bytes hold a four-byte code (its second byte a digit)."""
    i = 0
    while i < len(data):
        if data[i] < 0x80:
            i += 1
        elif i + 1 < len(data) and 0x30 <= data[i + 1] <= 0x39:
            return True
        else:
            i += 2
    return False


def extract_texts(texts):
    tool = os.path.join(ROOT, "tools", "detectgen", "extract.py")
    if not os.path.exists(tool):
        sys.exit(f"make_corpus: {tool} is missing; give --texts DIR")
    subprocess.run([sys.executable, tool, "--split", "eval", "--out", texts], check=True)


def documents(texts, model, per_model):
    """Up to per_model documents, taken round-robin over packages in a fixed order."""
    folder = os.path.join(texts, model)
    if not os.path.isdir(folder):
        return []
    by_package = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".txt"):
            by_package.setdefault(name.rsplit("__", 1)[0], []).append(name)
    for names in by_package.values():
        names.sort(key=lambda n: zlib.crc32(n.encode()))
    chosen = []
    queues = [by_package[p] for p in sorted(by_package)]
    while len(chosen) < per_model and any(queues):
        for q in queues:
            if q and len(chosen) < per_model:
                chosen.append(q.pop(0))
    return chosen


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--texts", help="UTF-8 documents as DIR/<model>/<name>.txt (default: OUT/texts)")
    ap.add_argument("--per-model", type=int, default=40, help="documents per model (default 40)")
    ap.add_argument("out", nargs="?", default=os.path.join(HERE, "corpus"))
    args = ap.parse_args()
    texts = args.texts or os.path.join(args.out, "texts")
    if not os.path.isdir(texts):
        extract_texts(texts)
    samples = os.path.join(args.out, "samples")
    os.makedirs(samples, exist_ok=True)
    manifest, skipped = [], []
    for model, sets in CHARSETS.items():
        docs = documents(texts, model, args.per_model)
        if not docs:
            print(f"make_corpus: no documents for {model}", file=sys.stderr)
        counts = {name: [0, 0] for name, *_ in sets + UNICODE_SETS}
        for k, doc in enumerate(docs):
            with open(os.path.join(texts, model, doc), encoding="utf-8") as f:
                text = f.read()
            encoded = []
            previous = None
            for name, cid, how, which in sets:
                data = encode(text, how)
                if which == "needs" and previous is not None:
                    previous = data
                    continue
                previous = data
                if data is not None and which in ("two-byte", "four-byte"):
                    if has_four_byte(data) != (which == "four-byte"):
                        continue
                counts[name][0 if data is not None else 1] += 1
                if data is not None:
                    encoded.append((name, cid, data))
            for name, cid, codec, every in UNICODE_SETS:
                if k % every == 0:
                    encoded.append((name, cid, text.encode(codec)))
                    counts[name][0] += 1
            stem = doc[:-4]
            for name, cid, data in encoded:
                folder = name.replace(" ", "_")
                os.makedirs(os.path.join(samples, folder), exist_ok=True)
                for cut in CUTS + (None,):
                    if cut is not None and len(data) <= cut:
                        continue
                    piece = data if cut is None else data[:cut]
                    label = "whole" if cut is None else str(cut)
                    rel = f"samples/{folder}/{model}__{stem}.{label}"
                    with open(os.path.join(args.out, rel), "wb") as f:
                        f.write(piece)
                    manifest.append((rel, name, cid, model, stem, label, len(piece)))
        for name, (taken, refused) in counts.items():
            if refused or taken:
                skipped.append((model, name, taken, refused))
    with open(os.path.join(args.out, "MANIFEST.tsv"), "w", encoding="utf-8") as f:
        f.write("file\tset\tid\tmodel\tdocument\tcut\tbytes\n")
        for row in manifest:
            f.write("\t".join(map(str, row)) + "\n")
    with open(os.path.join(args.out, "SKIPPED.tsv"), "w", encoding="utf-8") as f:
        f.write("model\tset\tdocuments\tnot encodable\n")
        for row in skipped:
            f.write("\t".join(map(str, row)) + "\n")
    print(f"make_corpus: {len(manifest)} samples in {args.out}", file=sys.stderr)


if __name__ == "__main__":
    main()
