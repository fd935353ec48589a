#!/usr/bin/env python3
"""Writes the golden files of the Big5/GBK transcoders under tests/data/.

Format as in make_golden.py: '#' comment lines, then input<TAB>expected, both
as upper-case hex bytes.

    big5_gbk_golden.txt  zel_code_big5_gbk: every pair with lead A1..FE and
                         trail 40..FE.
    gbk_big5_golden.txt  zel_code_gbk_big5: every pair with lead A1..FE and
                         trail A1..FE.

The expectations are worked out here from Python's codecs (cp950, gbk,
gb2312) and Unihan_Variants.txt read straight from Debian's unicode-data
(/usr/share/unicode), with the library's Big5 reading and GBK output taken
from make_golden.py and its chosen symbols typed in again below. Nothing is
shared with tools/tablegen: this is the oracle the generated tables are
checked against.

    python3 tools/testdata/make_golden_big5gbk.py [output folder, default tests/data]
"""

import sys

from golden_files import PYTHON, SPACE, output_folder, unihan_field, write
from make_golden import big5_decode, gbk_encode

# Big5 code -> GB 2312 bytes, where the library writes a symbol GB 2312 lacks
# (or a character its own Big5 leaves empty) as a GB 2312 character.
BIG5_CHOSEN = {
    0xA15A: "A3DF", 0xA1C3: "A3FE", 0xA1C5: "A3DF", 0xA1FE: "A3AF", 0xA240: "A3DC",
    0xA2CC: "CAAE", 0xA2CE: "D8A6", 0xA145: "A1A4", 0xA14A: "A1CB", 0xA14E: "A1A2",
    0xA1C2: "A3FE", 0xA1E3: "A1AB", 0xA244: "A3A4", 0xA246: "A1E9", 0xA247: "A1EA",
    0xC94A: "D8A3",
}
# GBK code -> Big5 bytes, for GB 2312 symbols the library's Big5 lacks.
GB2312_CHOSEN = {
    0xA1A4: "A145", 0xA1AB: "A1E3", 0xA1C6: "A355", 0xA1D1: "A1F3", 0xA1DC: "A1D8",
    0xA1DD: "A1D9", 0xA1E9: "A246", 0xA1EA: "A247", 0xA3A4: "A244", 0xA3FE: "A1C2",
}
BIG5_SPACE = bytes.fromhex("A140")
LAST_BIG5 = 0xF9D5
# GBK code -> Big5 bytes, cells of the user-defined rows kept apart from the
# run onto Big5's user-defined codes.
GBK_USER_DEFINED_FIXED = {0xFEA1: "F354"}


def variants(field):
    """{code point: [variants in file order]} for one Unihan field."""
    _, entries = unihan_field("Unihan_Variants.txt.bz2", field)
    return {point: [int(v.split("<")[0][2:], 16) for v in value.split()] for point, value in entries}


def gb2312_code(char):
    """The two GBK bytes of `char` when they are a GB 2312 code, else None."""
    try:
        code = char.encode("gbk")
        code.decode("gb2312")
    except (UnicodeEncodeError, UnicodeDecodeError):
        return None
    return code if len(code) == 2 else None


def big5_gbk(big5_units, gbk_bytes):
    simplified = variants("kSimplifiedVariant")
    pairs = []
    for lead in range(0xA1, 0xFF):
        for trail in range(0x40, 0xFF):
            code = bytes((lead, trail))
            if 0x7F <= trail <= 0xA0:
                pairs.append((code, code))  # no Big5 trail byte: the pair itself
                continue
            if lead << 8 | trail > LAST_BIG5:
                # Past Big5's last character the transcoder finds no
                # character at all, where the decoder gives U+FFFD: nothing
                # GBK output holds.
                pairs.append((code, bytes.fromhex("FFFF")))
                continue
            unit = big5_units[code]
            expected = None
            if unit not in (0, 0xFFFD):  # 0 and U+FFFD: no character
                for candidate in [unit] + simplified.get(unit, []):
                    expected = gb2312_code(chr(candidate)) if candidate <= 0xFFFF else None
                    if expected:
                        break
            if lead << 8 | trail in BIG5_CHOSEN:
                expected = bytes.fromhex(BIG5_CHOSEN[lead << 8 | trail])
            if not expected:
                # Through Unicode: what GBK output holds for the unit, FF FF
                # where it holds nothing.
                written = gbk_bytes[unit]
                expected = written if len(written) == 2 else bytes.fromhex("FFFF")
            pairs.append((code, expected))
    return pairs


def user_defined_pairs():
    """GBK FAA1..FEFE in order onto the Big5 codes from FA40 with Big5
    trail bytes."""
    gbk = (bytes((lead, trail)) for lead in range(0xFA, 0xFF) for trail in range(0xA1, 0xFF))
    big5 = (
        bytes((lead, trail))
        for lead in range(0xFA, 0xFF)
        for trail in range(0x40, 0xFF)
        if not 0x7F <= trail <= 0xA0
    )
    return dict(zip(gbk, big5))


def gbk_big5(big5_units):
    traditional = variants("kTraditionalVariant")
    big5_of = {}
    for code, unit in big5_units.items():
        if unit not in (0, 0xFFFD) and not 0x7F <= code[1] <= 0xA0:
            big5_of.setdefault(unit, code)
    user = user_defined_pairs()
    pairs = []
    for lead in range(0xA1, 0xFF):
        for trail in range(0xA1, 0xFF):
            code = bytes((lead, trail))
            if 0xAA <= lead <= 0xAF:
                pairs.append((code, code))  # no row: the pair passes through
                continue
            if lead << 8 | trail in GBK_USER_DEFINED_FIXED:
                pairs.append((code, bytes.fromhex(GBK_USER_DEFINED_FIXED[lead << 8 | trail])))
                continue
            if lead >= 0xFA:
                pairs.append((code, user[code]))
                continue
            expected = None
            try:
                code.decode("gb2312")
                char = code.decode("gbk")  # GB 2312's code, as GBK reads it
            except UnicodeDecodeError:
                char = None  # no GB 2312 code
            if char:
                for candidate in [ord(char)] + traditional.get(ord(char), []):
                    expected = big5_of.get(candidate)
                    if expected:
                        break
                if lead << 8 | trail in GB2312_CHOSEN:
                    expected = bytes.fromhex(GB2312_CHOSEN[lead << 8 | trail])
            pairs.append((code, expected or BIG5_SPACE))
    return pairs


def main(argv):
    out = output_folder(argv)
    big5_units = {code: int.from_bytes(unit, "little") for code, unit in big5_decode()}
    gbk_bytes = {int.from_bytes(unit, "little"): code for unit, code in gbk_encode()}
    if gbk_bytes[0x4E00] == SPACE:
        raise SystemExit("make_golden.gbk_encode gives no code for U+4E00")
    source = f"{PYTHON} codecs cp950, gbk, gb2312 and Unihan_Variants.txt"
    write(out, "big5_gbk_golden.txt", [f"{source}: Big5 to GBK (zel_code_big5_gbk)"],
          big5_gbk(big5_units, gbk_bytes))
    write(out, "gbk_big5_golden.txt", [f"{source}: GBK to Big5 (zel_code_gbk_big5)"],
          gbk_big5(big5_units))


if __name__ == "__main__":
    main(sys.argv)
