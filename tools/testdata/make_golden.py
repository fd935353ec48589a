#!/usr/bin/env python3
"""Writes the GB18030, GBK and Big5 golden files under tests/data/ that
tests/tables_test.cpp compares the tables and the exports against.

Format as in golden_files.py: '#' lines are comments, every other line is
input<TAB>expected in upper-case hex, pivot text UCS-2 little-endian. The
expected side is Python's own answer, empty where the codec refuses the
input; the library's departures from it are listed in tests/tables_test.cpp.

    gb18030_decode_golden.txt  GB18030 (charset id 2) to pivot: every two-byte
                               code 81..FE x 40..7E/80..FE and every four-byte
                               code 81308130..8431A439, by Python's gb18030.
    big5_decode_golden.txt     Big5 (charset id 3) to pivot: every pair with
                               lead 80..FF and trail 40..FE (the decoder reads
                               a table cell for each of them), by cp950.
    gbk_encode_golden.txt      pivot to GBK: every code unit U+0000..U+FFFF,
                               by Python's gbk.
    gb18030_encode_golden.txt  pivot to GB18030: every code unit, by Python's
                               gb18030.

This script shares no code with tools/tablegen on purpose: it is the oracle
the tables are checked against, so it must not inherit a generator's mistake.

    python3 tools/testdata/make_golden.py [--skip-missing] [output folder, default tests/data]
"""

import sys

from golden_files import PYTHON, encoded, main, pivot, verdict

TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xFF))
LAST_FOUR_BYTE = bytes.fromhex("8431A439")  # U+FFFF


def gb18030_decode():
    codes = [bytes((lead, trail)) for lead in range(0x81, 0xFF) for trail in TRAILS]
    codes += [
        code
        for code in (bytes((b1, b2, b3, b4)) for b1 in range(0x81, 0x85) for b2 in range(0x30, 0x3A)
                     for b3 in range(0x81, 0xFF) for b4 in range(0x30, 0x3A))
        if code <= LAST_FOUR_BYTE
    ]
    return [f"{PYTHON} codecs gb18030: GB18030 (id 2) to UCS-2LE pivot"], [
        (code, verdict(code, "gb18030")) for code in codes
    ]


def big5_decode():
    codes = [bytes((lead, trail)) for lead in range(0x80, 0x100) for trail in range(0x40, 0xFF)]
    return [f"{PYTHON} codecs cp950: Big5 (id 3) to UCS-2LE pivot; empty where it refuses the code"], [
        (code, verdict(code, "cp950")) for code in codes
    ]


def encoding(codec, what):
    def make():
        return [f"{PYTHON} codecs {codec}: UCS-2LE pivot to {what}; empty where it has no code"], [
            (pivot(unit), encoded(unit, codec)) for unit in range(0x10000)
        ]

    return make


if __name__ == "__main__":
    main(sys.argv, [
        ("gb18030_decode_golden.txt", gb18030_decode),
        ("big5_decode_golden.txt", big5_decode),
        ("gbk_encode_golden.txt", encoding("gbk", "GBK")),
        ("gb18030_encode_golden.txt", encoding("gb18030", "GB18030")),
    ])
