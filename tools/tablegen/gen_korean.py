#!/usr/bin/env python3
"""Writes src/tables/korean.cpp: ksc5601_to_ucs2 and ksx1001_to_ucs2, and their
reverses ksc5601_from_unicode and ksx1001_from_unicode into
src/tables/korean_reverse.cpp.

Code page 949 (Python's cp949 codec): the Unified Hangul Code's additional
syllables around the KS X 1001 square, less the two cells listed in
LATER_ADDITIONS. ksx1001_to_ucs2 is the square of the finished
ksc5601_to_ucs2 re-indexed 94 columns a row, so the two can never disagree.

    python3 tools/tablegen/gen_korean.py [output folder]
"""


from tablegen import (
    NOT_NUL,
    Override,
    Table,
    generator_main,
    read_snapshot,
    two_byte_layout,
)

UHC_COLUMNS = 191  # trail bytes 0x40..0xFE
UHC_LEADS = range(0x81, 0xFF)  # 0x81..0xFE; the table has no lead 0x80
SQUARE = range(0xA1, 0xFF)  # KS X 1001 row and column bytes in 8-bit form
SQUARE_COLUMNS = len(SQUARE)  # 94
# Trail bytes of the 191-column row that the Unified Hangul Code never uses:
# it takes 0x41..0x5A, 0x61..0x7A and 0x81..0xFE, the letters' ranges of
# ASCII and the high half.
NO_UHC_TRAIL = [0x40] + list(range(0x5B, 0x61)) + list(range(0x7B, 0x81))
LAST_LEAD = 0xFD  # lead 0xFE (KS X 1001's user-defined row) holds no character
PAST_END = 0xFFFD  # ksc5601_past_end and ksx1001_past_end


UHC_LAYOUT = two_byte_layout(UHC_LEADS, range(0x40, 0xFF))
SQUARE_LAYOUT = two_byte_layout(SQUARE, SQUARE)
uhc_index, uhc_code = UHC_LAYOUT.index_of, UHC_LAYOUT.key_of
square_index, square_code = SQUARE_LAYOUT.index_of, SQUARE_LAYOUT.key_of

# Code page 949 took these two from the 1998 edition of KS X 1001; this
# library keeps the earlier set, where both cells are empty.
LATER_ADDITIONS = [
    Override(0xA2E6, 0xFFFD, "euro sign (U+20AC), added to KS X 1001 in 1998"),
    Override(0xA2E7, 0xFFFD, "registered sign (U+00AE), added to KS X 1001 in 1998"),
]

# Where several cells of one table give one code point, the code the reverse
# keeps instead of the lowest: none. Code page 949 gives no code point twice,
# so each code is the one Python's cp949 and euc_kr codecs write.
REVERSE_CHOICES = {
    "ksc5601_to_ucs2": [],
    "ksx1001_to_ucs2": [],
}


def build():
    cp949 = read_snapshot("cp949")
    uhc = Table(
        "ksc5601_to_ucs2",
        len(UHC_LEADS) * UHC_COLUMNS,
        UHC_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0x81) * 191 + (trail - 0x40); lead 0x81..0xFE, trail 0x40..0xFE.",
            "Every cell without a character holds U+FFFD; stored through FDFE, lead 0xFE and beyond",
            "read as U+FFFD (ksc5601_past_end).",
        ],
    )
    uhc.load(cp949.codes_of_length(2), "inputs/cp949.txt")
    uhc.fix(
        [lead << 8 | trail for lead in range(0x81, LAST_LEAD + 1) for trail in NO_UHC_TRAIL],
        0xFFFD,
        "0x40, 0x5B..0x60 and 0x7B..0x80 are no trail bytes of the Unified Hangul Code",
    )
    uhc.fix(
        [0xFE00 | trail for trail in range(0x40, 0xFF)],
        PAST_END,
        f"lead 0xFE is past the last character; EUC-KR and code page 949 text meets it, so {NOT_NUL}",
    )
    uhc.fill_empty(0xFFFD, "codes code page 949 leaves unassigned")
    uhc.override(LATER_ADDITIONS, "this library's KS X 1001, against code page 949")
    uhc.finish()

    square = Table(
        "ksx1001_to_ucs2",
        SQUARE_COLUMNS * SQUARE_COLUMNS,
        SQUARE_LAYOUT,
        [
            "Cell (row, column) at (row - 0xA1) * 94 + (column - 0xA1); both 0xA1..0xFE, or the",
            "7-bit bytes 0x21..0x7E plus 0x80. Each cell holds ksc5601_to_ucs2's cell of the same code.",
            "Stored through FDFE; row 0xFE and beyond read as U+FFFD (ksx1001_past_end).",
        ],
    )
    pairs = [(square_code(index), uhc.cells[uhc.index(square_code(index))]) for index in range(len(square.cells))]
    square.load(pairs, "ksc5601_to_ucs2's cells of the same codes, made above")

    uhc.trim(PAST_END)
    square.trim(PAST_END)
    return [cp949], [uhc, square]


if __name__ == "__main__":
    generator_main(
        "gen_korean.py",
        "korean.cpp",
        build,
        [
            "Korean tables. Code page 949 (Python's cp949 codec) less the differences listed",
            "under ksc5601_to_ucs2; ksx1001_to_ucs2 is that table's KS X 1001 square.",
        ],
        header="src/tables/korean.h",
        choices=REVERSE_CHOICES,
    )
