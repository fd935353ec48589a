#!/usr/bin/env python3
"""Writes the golden files under tests/data/ for EUC-CN, EUC-TW and
ISO-2022-CN input, straight from the published mappings.

Format: lines starting with '#' are comments (the first names the source);
every other line is

    input<TAB>expected

both as upper-case hex bytes: a code's bytes and the pivot text
(UCS-2 little-endian) its source gives for it. The expected field is empty
where the source has no character of the Basic Multilingual Plane for the
code: what the library puts there (U+FFFD or 0) and the cells where it
departs from the source are its own rules, typed into the test.

    gb2312_python_golden.txt   Python's gb2312 codec: every EUC-CN pair
                               A1..FE x A1..FE.
    euc_tw_glibc_golden.txt    glibc iconv EUC-TW: every code of CNS planes 1
                               and 2, as 8E A1 / 8E A2 row column, and every
                               two-byte plane 1 code row column (A1..FE each).
    cns_plane3_unihan_golden.txt  Unihan's kCNS1992 field (Debian
                               unicode-data): every plane 3 code as
                               8E A3 row column.

This script shares no code with tools/tablegen on purpose: it is an oracle
the tables are checked against, so it must not inherit a generator's
mistake. It needs glibc and /usr/share/unicode (Debian's unicode-data); the
tests only read its output.

    python3 tools/testdata/make_golden_cns_gb2312.py [--skip-missing] [output folder, default tests/data]
"""

import sys

from golden_files import PYTHON, Iconv, main, pivot, unihan_field

SQUARE = range(0xA1, 0xFF)


def pivot_or_nothing(unit):
    return b"" if unit is None else pivot(unit)


def bmp_unit(points):
    return points[0] if points and len(points) == 1 and points[0] <= 0xFFFF else None


def gb2312_python():
    pairs = []
    for lead in SQUARE:
        for trail in SQUARE:
            code = bytes((lead, trail))
            try:
                text = code.decode("gb2312")
            except UnicodeDecodeError:
                text = ""
            pairs.append((code, pivot_or_nothing(bmp_unit([ord(c) for c in text]))))
    return [f"{PYTHON} codecs gb2312: EUC-CN pairs to UCS-2LE; empty: none"], pairs


def euc_tw_glibc():
    iconv = Iconv("EUC-TW")
    pairs = []
    for prefix in (b"\x8E\xA1", b"\x8E\xA2", b""):
        for row in SQUARE:
            for column in SQUARE:
                code = prefix + bytes((row, column))
                pairs.append((code, pivot_or_nothing(bmp_unit(iconv(code)))))
    header = (f"glibc {iconv.version} iconv EUC-TW: planes 1 and 2 (8E A1, 8E A2) and two-byte"
              " plane 1 codes to UCS-2LE; empty: none")
    return [header], pairs


def cns_plane3_unihan():
    version, entries = unihan_field("Unihan_OtherMappings.txt.bz2", "kCNS1992")
    plane3 = {}
    for point, values in entries:
        for value in values.split():
            plane, code = value.split("-")
            if plane == "3":
                plane3[int(code, 16)] = point
    pairs = []
    for row in SQUARE:
        for column in SQUARE:
            unit = plane3.get((row - 0x80) << 8 | (column - 0x80))
            pairs.append((bytes((0x8E, 0xA3, row, column)), pivot_or_nothing(bmp_unit([unit] if unit else None))))
    return [f"Unicode {version} Unihan kCNS1992: plane 3 codes (8E A3) to UCS-2LE; empty: none"], pairs


if __name__ == "__main__":
    main(sys.argv, [
        ("gb2312_python_golden.txt", gb2312_python),
        ("euc_tw_glibc_golden.txt", euc_tw_glibc),
        ("cns_plane3_unihan_golden.txt", cns_plane3_unihan),
    ])
