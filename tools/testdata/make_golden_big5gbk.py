#!/usr/bin/env python3
"""Writes the golden files of the Big5/GBK transcoders under tests/data/.

Format as in golden_files.py: '#' comment lines, then input<TAB>expected,
both as upper-case hex bytes.

    big5_gbk_golden.txt  zel_code_big5_gbk: every pair with lead A1..FE and
                         trail 40..FE. The character Python's cp950 reads,
                         written as GB 2312 when it or one of its Unihan
                         kSimplifiedVariant values has a GB 2312 code, else
                         as Python's gbk writes it.
    gbk_big5_golden.txt  zel_code_gbk_big5: every pair with lead A1..FE and
                         trail A1..FE. For a GB 2312 code, the character
                         Python's gbk reads, or else the first of its Unihan
                         kTraditionalVariant values, that Python's cp950
                         writes.

The expected side is empty where that composition of sources gives nothing;
the library's own choices (pairs that pass through, the user-defined rows,
symbols written as a similar one, what a code without a character gives) are
listed in tests/big5gbk_test.cpp. Unihan_Variants.txt is read straight from
Debian's unicode-data (/usr/share/unicode). Nothing is shared with
tools/tablegen: this is the oracle the generated tables are checked against.

    python3 tools/testdata/make_golden_big5gbk.py [--skip-missing] [output folder, default tests/data]
"""

import sys

from golden_files import PYTHON, cached, encoded, main, unihan_field

SOURCE = f"{PYTHON} codecs cp950, gbk, gb2312 and Unicode %s Unihan_Variants.txt"


@cached
def unihan_variants():
    """Unihan's version and {field: {code point: [variants in file order]}}."""
    version, entries = unihan_field("Unihan_Variants.txt.bz2", "kSimplifiedVariant")
    _, traditional = unihan_field("Unihan_Variants.txt.bz2", "kTraditionalVariant")

    def by_point(field_entries):
        return {point: [int(v.split("<")[0][2:], 16) for v in value.split()] for point, value in field_entries}

    return version, {"simplified": by_point(entries), "traditional": by_point(traditional)}


def character(code, codec):
    try:
        text = code.decode(codec)
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 else None


def gb2312_code(point):
    """The two GBK bytes of the code point when they are a GB 2312 code."""
    code = encoded(point, "gbk") if point <= 0xFFFF else b""
    return code if len(code) == 2 and character(code, "gb2312") is not None else b""


def big5_gbk():
    version, variants = unihan_variants()
    pairs = []
    for lead in range(0xA1, 0xFF):
        for trail in range(0x40, 0xFF):
            code = bytes((lead, trail))
            point, expected = character(code, "cp950"), b""
            if point is not None:
                for candidate in [point] + variants["simplified"].get(point, []):
                    expected = gb2312_code(candidate)
                    if expected:
                        break
                else:
                    expected = encoded(point, "gbk")
            pairs.append((code, expected))
    return [f"{SOURCE % version}: Big5 to GBK (zel_code_big5_gbk); empty: none"], pairs


def gbk_big5():
    version, variants = unihan_variants()
    pairs = []
    for lead in range(0xA1, 0xFF):
        for trail in range(0xA1, 0xFF):
            code = bytes((lead, trail))
            point, expected = character(code, "gbk"), b""
            if point is not None and character(code, "gb2312") is not None:
                for candidate in [point] + variants["traditional"].get(point, []):
                    expected = encoded(candidate, "cp950") if candidate <= 0xFFFF else b""
                    if expected:
                        break
            pairs.append((code, expected))
    return [f"{SOURCE % version}: GBK to Big5 (zel_code_gbk_big5); empty: none"], pairs


if __name__ == "__main__":
    main(sys.argv, [("big5_gbk_golden.txt", big5_gbk), ("gbk_big5_golden.txt", gbk_big5)])
