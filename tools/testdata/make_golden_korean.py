#!/usr/bin/env python3
"""Writes the Korean golden files under tests/data/ that tests/korean_test.cpp
compares the library against.

Format as in make_golden.py: '#' lines are comments, every other line is
input<TAB>expected in upper-case hex; pivot text is UCS-2 little-endian.

    ksc5601_decode_golden.txt    code page 949 (charset id 12) to pivot: every
                                 pair with lead 81..FF and trail 40..FE (the
                                 decoder reads a table cell for each).
    euc_kr_decode_golden.txt     EUC-KR (charset id 20) to pivot: every pair
                                 with both bytes A1..FE.
    iso2022kr_decode_golden.txt  ISO-2022-KR (charset id 16) to pivot: seeded
                                 random well-formed texts (designations, SO/SI
                                 runs of KS X 1001 characters, ASCII, CR LF
                                 outside the runs).

The expectations come from Python's codecs: cp949 for the first file, and on
purpose a different one, euc_kr (and iso2022_kr), for the others, with this
library's differences typed in again below. This script shares no code with
tools/tablegen: it is the oracle the tables are checked against.

    python3 tools/testdata/make_golden_korean.py [output folder, default tests/data]
"""

import random
import sys

from golden_files import PYTHON, output_folder, pivot, single_unit, write

ESC, SO, SI = b"\x1b", b"\x0e", b"\x0f"
DESIGNATION = ESC + b"$)C"

# The euro and registered signs that code page 949 (and Python's euc_kr and
# iso2022_kr) place at A2E6 and A2E7: the library leaves both cells empty.
LATER_ADDITIONS = {0xA2E6: 0xFFFD, 0xA2E7: 0xFFFD}
# The Hangul filler: Python's euc_kr refuses it alone, since there it opens a
# composed syllable of eight bytes; alone it is U+3164.
HANGUL_FILLER = {0xA4D4: 0x3164}


def ksc5601_decode():
    pairs = []
    for lead in range(0x81, 0x100):
        for trail in range(0x40, 0xFF):
            code = lead << 8 | trail
            if lead >= 0xFE:
                unit = 0xFFFD  # past the last character: no character, and never a NUL
            elif code in LATER_ADDITIONS:
                unit = LATER_ADDITIONS[code]
            else:
                unit = single_unit(bytes((lead, trail)), "cp949")
                if unit is None:
                    unit = 0xFFFD
            pairs.append((bytes((lead, trail)), pivot(unit)))
    return pairs


def euc_kr_unit(row, column):
    code = row << 8 | column
    if row == 0xFE:
        return 0xFFFD  # the user-defined row, past the last character: never a NUL
    if code in LATER_ADDITIONS:
        return LATER_ADDITIONS[code]
    if code in HANGUL_FILLER:
        return HANGUL_FILLER[code]
    unit = single_unit(bytes((row, column)), "euc_kr")
    return 0xFFFD if unit is None else unit


def euc_kr_decode():
    return [
        (bytes((row, column)), pivot(euc_kr_unit(row, column)))
        for row in range(0xA1, 0xFF)
        for column in range(0xA1, 0xFF)
    ]


def iso2022kr_decode():
    rng = random.Random(2022)
    # Characters Python's iso2022_kr decodes alike: the assigned 7-bit pairs
    # but the two later additions.
    characters = []
    for row in range(0x21, 0x7E):
        for column in range(0x21, 0x7F):
            code = (row + 0x80) << 8 | (column + 0x80)
            if code in LATER_ADDITIONS:
                continue
            pair = bytes((row, column))
            if single_unit(DESIGNATION + SO + pair + SI, "iso2022_kr") is not None:
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
        decoded = text.decode("iso2022_kr")
        pairs.append((text, decoded.encode("utf-16-le")))
    return pairs


def main(argv):
    out = output_folder(argv)
    write(out, "ksc5601_decode_golden.txt",
          [f"{PYTHON} codecs cp949 and this library's differences: code page 949 (id 12) to UCS-2LE pivot"],
          ksc5601_decode())
    write(out, "euc_kr_decode_golden.txt",
          [f"{PYTHON} codecs euc_kr and this library's differences: EUC-KR (id 20) to UCS-2LE pivot"],
          euc_kr_decode())
    write(out, "iso2022kr_decode_golden.txt",
          [f"{PYTHON} codecs iso2022_kr: random well-formed ISO-2022-KR (id 16) to UCS-2LE pivot"],
          iso2022kr_decode())


if __name__ == "__main__":
    main(sys.argv)
