#!/usr/bin/env python3
"""Writes the golden files under tests/data/ that the table and end-to-end
tests compare the library against.

Format: lines starting with '#' are comments (the first names the Python
version and the conversion); every other line is

    input<TAB>expected

both as upper-case hex bytes: the bytes given to a conversion and the bytes it
must return. Pivot text is UCS-2 little-endian, so U+4E00 is written 004E.

    gb18030_decode_golden.txt  GB18030 (charset id 2) to pivot: every two-byte
                               code 81..FE x 40..7E/80..FE and every four-byte
                               code 81308130..8431A439.
    big5_decode_golden.txt     Big5 (charset id 3) to pivot: every pair with
                               lead 80..FF and trail 40..FE (the decoder reads
                               a table cell for each of them); U+FFFD for
                               every pair without a character, never 0.
    gbk_encode_golden.txt      pivot to GBK: every code unit U+0000..U+FFFF;
                               20 (a space) where GBK output has no code.
    gb18030_encode_golden.txt  pivot to GB18030: every code unit; 20 for the
                               surrogates.

The expectations come straight from Python's codecs (gb18030, gbk, cp950),
with this library's differences typed in again below. This script shares no
code with tools/tablegen on purpose: it is the oracle the tables are checked
against, so it must not inherit a generator's mistake.

    python3 tools/testdata/make_golden.py [output folder, default tests/data]
"""

import sys

from golden_files import PYTHON, SPACE, output_folder, pivot, single_unit, write


# GB18030 decoding: Python's gb18030 codec follows GB18030-2000, which is what
# the library decodes; no differences.
def gb18030_decode():
    pairs = []
    for lead in range(0x81, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
            code = bytes((lead, trail))
            pairs.append((code, pivot(single_unit(code, "gb18030"))))
    for b1 in range(0x81, 0x85):
        for b2 in range(0x30, 0x3A):
            for b3 in range(0x81, 0xFF):
                for b4 in range(0x30, 0x3A):
                    code = bytes((b1, b2, b3, b4))
                    if code <= bytes.fromhex("8431A439"):
                        pairs.append((code, pivot(single_unit(code, "gb18030"))))
    return pairs


# Big5 decoding: code page 950 (Python's cp950) except these cells.
BIG5_NOT_CP950 = {
    0xA145: 0x2022, 0xA14E: 0xFF64, 0xA1C2: 0x203E, 0xA1E3: 0x223C,
    0xA1F2: 0x2641, 0xA1F3: 0x2609, 0xA241: 0xFF0F, 0xA242: 0xFF3C,
    0xA244: 0x00A5, 0xA246: 0x00A2, 0xA247: 0x00A3,
    0xA15A: 0xFFFD, 0xA1C3: 0xFFFD, 0xA1C5: 0xFFFD, 0xA1FE: 0xFFFD,
    0xA240: 0xFFFD, 0xA2CC: 0xFFFD, 0xA2CE: 0xFFFD, 0xA3E1: 0xFFFD,
}
# The ETEN box drawing after F9D5, Big5's last character, is left out.
BIG5_NOT_CP950.update({code: 0xFFFD for code in range(0xF9D6, 0xF9FF)})


def big5_decode():
    pairs = []
    for lead in range(0x80, 0x100):
        for trail in range(0x40, 0xFF):
            code = bytes((lead, trail))
            if not 0xA1 <= lead <= 0xF9:
                unit = 0xFFFD  # no Big5 lead byte: no character, and never a NUL
            elif lead << 8 | trail in BIG5_NOT_CP950:
                unit = BIG5_NOT_CP950[lead << 8 | trail]
            else:
                unit = single_unit(code, "cp950")
                if unit is None:
                    unit = 0xFFFD  # unassigned, or 7F..A0, which is no trail byte
            pairs.append((code, pivot(unit)))
    return pairs


# GBK encoding: Python's gbk (code page 936, two-byte part) except these.
GBK_IDEOGRAPHS_UNMAPPED = [
    0x7371, 0x7372, 0x73F7, 0x73F8, 0x747A, 0x747B, 0x74F2, 0x74F3,
    0x7587, 0x7588, 0x7644, 0x7645, 0x9D42, 0x9D43, 0x9DA2, 0x9DA3,
    0x9E02, 0x9E03, 0x9EAA, 0x9EAB, 0x9F31, 0x9F32, 0xF9F1, 0xFA0C,
]
GBK_FIXED = {0xFFFD: bytes.fromhex("A34D"), 0xFFFF: bytes.fromhex("987F")}


def gbk_private_use():
    """U+E000.. from lead F8 and U+E2A0.. from lead AA: per lead the trails
    A0..FE, then 40 of the next lead; the first run stops at FEFE, the second
    after B040."""
    mapping = {}
    for first_unit, first_lead, last_code in ((0xE000, 0xF8, 0xFEFE), (0xE2A0, 0xAA, 0xB040)):
        unit, lead = first_unit, first_lead
        while True:
            codes = [bytes((lead, trail)) for trail in range(0xA0, 0xFF)] + [bytes((lead + 1, 0x40))]
            for code in codes:
                mapping[unit] = code
                unit += 1
                if int.from_bytes(code, "big") == last_code:
                    break
            else:
                lead += 1
                continue
            break
    return mapping


def gbk_encode():
    private = gbk_private_use()
    pairs = []
    for unit in range(0x10000):
        if unit < 0x80:
            expected = bytes((unit,))
        elif unit in GBK_FIXED:
            expected = GBK_FIXED[unit]
        elif unit in private:
            expected = private[unit]
        elif unit in GBK_IDEOGRAPHS_UNMAPPED or 0xD800 <= unit <= 0xDFFF:
            expected = SPACE
        else:
            try:
                expected = chr(unit).encode("gbk")
            except UnicodeEncodeError:
                expected = SPACE
            if len(expected) != 2:
                expected = SPACE  # no one-byte codes above 0x7F (the euro)
        pairs.append((pivot(unit), expected))
    return pairs


# GB18030 encoding: Python's gb18030 encoder, a space for the surrogates it
# refuses.
def gb18030_encode():
    pairs = []
    for unit in range(0x10000):
        try:
            expected = chr(unit).encode("gb18030")
        except UnicodeEncodeError:
            expected = SPACE
        pairs.append((pivot(unit), expected))
    return pairs


def main(argv):
    out = output_folder(argv)
    write(out, "gb18030_decode_golden.txt",
          [f"{PYTHON} codecs gb18030: GB18030 (id 2) to UCS-2LE pivot"], gb18030_decode())
    write(out, "big5_decode_golden.txt",
          [f"{PYTHON} codecs cp950 and this library's differences: Big5 (id 3) to UCS-2LE pivot"],
          big5_decode())
    write(out, "gbk_encode_golden.txt",
          [f"{PYTHON} codecs gbk and this library's differences: UCS-2LE pivot to GBK"], gbk_encode())
    write(out, "gb18030_encode_golden.txt",
          [f"{PYTHON} codecs gb18030: UCS-2LE pivot to GB18030"], gb18030_encode())


if __name__ == "__main__":
    main(sys.argv)
