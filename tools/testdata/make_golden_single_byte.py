#!/usr/bin/env python3
"""Writes tests/data/single_byte_decode_golden.txt, which
tests/single_byte_test.cpp compares the single-byte decoders against.

Format as in golden_files.py: '#' lines are comments, every other line is
input<TAB>expected in upper-case hex; pivot text is UCS-2 little-endian. For
each charset id from 21 to 55 in turn, 256 lines: the bytes 00..FF, each
with what its source decodes it to alone, empty where the source refuses the
byte. The header names each id's charset and source. What the library gives
for a refused byte, and the bytes where it departs from a source, are listed
in tests/single_byte_test.cpp.

The sources share nothing with tools/tablegen:
- Python's codecs for KOI8-R, KOI8-U, ISO-8859-x and the Windows and IBM
  code pages; Python's KOI8-U for KOI8-RU, which adds two Belarusian letters.
- glibc's iconv (through ctypes) for CP1133, TCVN and ARMSCII-8, and Perl's
  Encode for MacThai.
- Python's Unicode 3.2 database for MULELAO-1: the Lao block laid out from
  A1 (byte + 0x0DE0), nothing where Unicode 3.2 has no Lao character.

    python3 tools/testdata/make_golden_single_byte.py [--skip-missing] [output folder, default tests/data]

Needs glibc (any Debian) and perl with its Encode module (Debian's perl).
"""

import sys
import unicodedata

from golden_files import PYTHON, Iconv, main, perl_bytes, pivot

PYTHON_CHARSETS = [
    (21, "KOI8-R", "koi8_r"), (22, "KOI8-U", "koi8_u"), (23, "KOI8-RU", "koi8_u"),
    (24, "ISO-8859-1", "latin_1"), (25, "ISO-8859-2", "iso8859_2"), (26, "ISO-8859-3", "iso8859_3"),
    (27, "ISO-8859-4", "iso8859_4"), (28, "ISO-8859-5", "iso8859_5"), (29, "ISO-8859-6", "iso8859_6"),
    (30, "ISO-8859-7", "iso8859_7"), (31, "ISO-8859-8", "iso8859_8"), (32, "ISO-8859-9", "iso8859_9"),
    (33, "ISO-8859-10", "iso8859_10"), (34, "ISO-8859-11", "iso8859_11"),
    (35, "ISO-8859-13", "iso8859_13"), (36, "ISO-8859-14", "iso8859_14"),
    (37, "ISO-8859-15", "iso8859_15"), (38, "ISO-8859-16", "iso8859_16"), (39, "CP874", "cp874"),
    (40, "CP1250", "cp1250"), (41, "CP1251", "cp1251"), (42, "CP1252", "cp1252"),
    (43, "CP1253", "cp1253"), (44, "CP1254", "cp1254"), (45, "CP1255", "cp1255"),
    (46, "CP1256", "cp1256"), (47, "CP1257", "cp1257"), (48, "CP1258", "cp1258"),
    (49, "CP850", "cp850"), (50, "CP866", "cp866"),
]
ICONV_CHARSETS = [(51, "CP1133", "IBM1133"), (52, "TCVN", "TCVN5712-1"), (53, "ARMSCII-8", "ARMSCII-8")]


def python_byte(codec, b):
    try:
        return [ord(c) for c in bytes((b,)).decode(codec)]
    except UnicodeDecodeError:
        return None


def mulelao1():
    lao = unicodedata.ucd_3_2_0
    points = [[b] for b in range(0xA1)]
    for b in range(0xA1, 0x100):
        point = b + 0x0DE0
        points.append([point] if b < 0xFE and lao.category(chr(point)) != "Cn" else None)
    return points


def charsets():
    """(id, charset, source, what each byte decodes to) for ids 21..55."""
    made = [(i, name, f"{PYTHON} codecs {codec}", [python_byte(codec, b) for b in range(256)])
            for i, name, codec in PYTHON_CHARSETS]
    for i, name, charset in ICONV_CHARSETS:
        iconv = Iconv(charset)
        made.append((i, name, f"glibc {iconv.version} iconv {charset}", [iconv(bytes((b,))) for b in range(256)]))
    macthai, version = perl_bytes("MacThai")
    made.append((54, "MacThai", f"perl Encode {version} MacThai", macthai))
    made.append((55, "MULELAO-1", "Unicode 3.2 (Python's unicodedata) Lao block from A1", mulelao1()))
    made.sort()
    assert [i for i, *_ in made] == list(range(21, 56))
    return made


def single_byte_decode():
    header = ["Single-byte charsets, ids 21 to 55, to UCS-2LE pivot: for each id, bytes 00..FF",
              "one a line, each alone; empty where the source refuses the byte. Sources:"]
    pairs = []
    for charset_id, name, source, points in charsets():
        header.append(f"id {charset_id} {name}: {source}")
        for b, decoded in enumerate(points):
            if decoded is not None and any(point > 0xFFFF for point in decoded):
                raise SystemExit(f"{name}: byte {b:02X} decodes beyond the Basic Multilingual Plane")
            pairs.append((bytes((b,)), b"" if decoded is None else pivot(*decoded)))
    return header, pairs


if __name__ == "__main__":
    main(sys.argv, [("single_byte_decode_golden.txt", single_byte_decode)])
