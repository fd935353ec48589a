#!/usr/bin/env python3
"""Writes the Korean golden files under tests/data/ that tests/korean_test.cpp
compares the library against.

Format as in golden_files.py: '#' lines are comments, every other line is
input<TAB>expected in upper-case hex; pivot text is UCS-2 little-endian. The
expected side is Python's own answer, empty where the codec refuses the
input; the library's departures from it are listed in tests/korean_test.cpp.

    ksc5601_decode_golden.txt    code page 949 (charset id 12) to pivot: every
                                 pair with lead 81..FF and trail 40..FE (the
                                 decoder reads a table cell for each), by cp949.
    euc_kr_decode_golden.txt     EUC-KR (charset id 20) to pivot: every pair
                                 with both bytes A1..FE, by euc_kr.
    iso2022kr_decode_golden.txt  ISO-2022-KR (charset id 16) to pivot: seeded
                                 random well-formed texts (designations, SO/SI
                                 runs of KS X 1001 characters, ASCII, CR LF
                                 outside the runs), by iso2022_kr.

cp949 for the first file and, on purpose, a different codec, euc_kr (and
iso2022_kr), for the others. This script shares no code with tools/tablegen:
it is the oracle the tables are checked against.

    python3 tools/testdata/make_golden_korean.py [--skip-missing] [output folder, default tests/data]
"""

import random
import sys

from golden_files import PYTHON, main, verdict

ESC, SO, SI = b"\x1b", b"\x0e", b"\x0f"
DESIGNATION = ESC + b"$)C"
# The euro and registered signs that code page 949 (and Python's euc_kr and
# iso2022_kr) place at A2E6 and A2E7, which the library leaves empty: the
# random texts do without them.
LATER_ADDITIONS = (0xA2E6, 0xA2E7)


def ksc5601_decode():
    codes = [bytes((lead, trail)) for lead in range(0x81, 0x100) for trail in range(0x40, 0xFF)]
    return [f"{PYTHON} codecs cp949: code page 949 (id 12) to UCS-2LE pivot; empty where it refuses the code"], [
        (code, verdict(code, "cp949")) for code in codes
    ]


def euc_kr_decode():
    codes = [bytes((row, column)) for row in range(0xA1, 0xFF) for column in range(0xA1, 0xFF)]
    return [f"{PYTHON} codecs euc_kr: EUC-KR (id 20) to UCS-2LE pivot; empty where it refuses the code"], [
        (code, verdict(code, "euc_kr")) for code in codes
    ]


def iso2022kr_decode():
    rng = random.Random(2022)
    # Characters Python's iso2022_kr decodes alike: the assigned 7-bit pairs
    # but the two later additions.
    characters = []
    for row in range(0x21, 0x7E):
        for column in range(0x21, 0x7F):
            if (row + 0x80) << 8 | (column + 0x80) in LATER_ADDITIONS:
                continue
            pair = bytes((row, column))
            if verdict(DESIGNATION + SO + pair + SI, "iso2022_kr"):
                characters.append(pair)
    ascii_text = [bytes((b,)) for b in range(0x20, 0x7F)] + [b"\t"]
    pairs = []
    for _ in range(600):
        text = DESIGNATION if rng.random() < 0.8 else b""
        designated = bool(text)
        for _ in range(rng.randint(1, 8)):
            choice = rng.random()
            if choice < 0.15:
                text += b"\r\n"  # line ends only outside a run, as the form requires
            elif choice < 0.25:
                text += DESIGNATION
                designated = True
            elif choice < 0.6 and designated:
                text += SO + b"".join(rng.choice(characters) for _ in range(rng.randint(0, 6))) + SI
            else:
                text += b"".join(rng.choice(ascii_text) for _ in range(rng.randint(1, 5)))
        pairs.append((text, text.decode("iso2022_kr").encode("utf-16-le")))
    return [f"{PYTHON} codecs iso2022_kr: random well-formed ISO-2022-KR (id 16) to UCS-2LE pivot"], pairs


if __name__ == "__main__":
    main(sys.argv, [
        ("ksc5601_decode_golden.txt", ksc5601_decode),
        ("euc_kr_decode_golden.txt", euc_kr_decode),
        ("iso2022kr_decode_golden.txt", iso2022kr_decode),
    ])
