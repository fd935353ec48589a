#!/usr/bin/env python3
"""Writes src/tables/cns_gb2312.cpp: gb2312_to_ucs2, cns_plane1_to_ucs2,
cns_plane2_to_ucs2 and cns_plane3_to_ucs2, and their reverses (gb2312_from_unicode,
cns_plane1_from_unicode, ...) into src/tables/cns_gb2312_reverse.cpp.

GB 2312 comes from Python's gb2312 codec (inputs/gb2312.txt), planes 1 and 2
of CNS 11643-1992 from glibc's EUC-TW converter (inputs/euc_tw.txt), plane 3
from Unihan's kCNS1992 field (inputs/cns1992_plane3.txt). Each table is 94
rows by 94 columns, stored through its last character; a read past that
gives U+FFFD.

    python3 tools/tablegen/gen_cns_gb2312.py [output folder]
"""


from tablegen import (
    NOT_NUL,
    Override,
    Table,
    TableError,
    generator_main,
    read_snapshot,
    two_byte_layout,
)

SQUARE = 94  # rows and columns of a 94 x 94 set
PAST_END = 0xFFFD  # cns_gb2312_past_end
HEADER = "src/tables/cns_gb2312.h"


def square_layout(first_byte):
    """Codes whose two bytes run first_byte..first_byte + 93: the EUC form
    (A1..FE) for GB 2312, the 7-bit form (21..7E) for the CNS planes."""
    square = range(first_byte, first_byte + SQUARE)
    return two_byte_layout(square, square)


EUC_LAYOUT = square_layout(0xA1)
SEVEN_BIT_LAYOUT = square_layout(0x21)

# glibc maps three radicals of plane 1's row 0x27, a row this table keeps
# empty with the rest of rows 0x27..0x41 and 0x43.
PLANE1_EMPTY_ROWS = "rows 0x27..0x41 and 0x43 of plane 1 hold no character here"
PLANE1_DIFFERENCES = [
    Override(0x2728, 0xFFFD, PLANE1_EMPTY_ROWS),  # glibc U+4EA0
    Override(0x272F, 0xFFFD, PLANE1_EMPTY_ROWS),  # glibc U+51AB
    Override(0x2734, 0xFFFD, PLANE1_EMPTY_ROWS),  # glibc U+52F9
]

# Where several cells of one table give one code point, the code the reverse
# keeps instead of the lowest: none. No table here gives a code point twice,
# so each code is the one Python's gb2312 codec or glibc's EUC-TW writes (for
# plane 3, whose cells follow Unihan, glibc puts 56 of the 4,197 elsewhere).
# The planes share no character either, so an EUC-TW writer meets no choice
# between them.
REVERSE_CHOICES = {
    "gb2312_to_ucs2": [],
    "cns_plane1_to_ucs2": [],
    "cns_plane2_to_ucs2": [],
    "cns_plane3_to_ucs2": [],
}


def last_set(table):
    """Index of the last cell holding a character (not U+FFFD)."""
    return max(index for index, cell in enumerate(table.cells) if cell not in (None, 0xFFFD))


def fill_after_last_character(table):
    last = last_set(table)
    table.fix(
        (table.layout.key_of(index) for index in range(last + 1, len(table.cells))),
        PAST_END,
        f"after {table.key(last)}, the last character; {NOT_NUL}",
    )


def cns_plane(name, pairs, what, differences=None, title=None):
    table = Table(
        name,
        SQUARE * SQUARE,
        SEVEN_BIT_LAYOUT,
        [
            "Cell (row, column) at (row - 0x21) * 94 + (column - 0x21); row and column 0x21..0x7E",
            "(EUC-TW bytes A1..FE less 0x80).",
        ],
    )
    table.load(pairs, what)
    if differences:
        table.override(differences, title)
    fill_after_last_character(table)
    return table


def build():
    gb2312 = read_snapshot("gb2312")
    euc_tw = read_snapshot("euc_tw")
    plane3 = read_snapshot("cns1992_plane3")

    gb = Table(
        "gb2312_to_ucs2",
        SQUARE * SQUARE,
        EUC_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0xA1) * 94 + (trail - 0xA1); lead and trail 0xA1..0xFE.",
            "GB 2312's own forms: A1A4 U+30FB and A1AA U+2015, where GBK has U+00B7 and U+2014.",
        ],
    )
    gb.load(gb2312.codes_of_length(2), gb2312.input_path())
    gb.fix(
        (lead << 8 | trail for lead in range(0xF8, 0xFF) for trail in range(0xA1, 0xFF)),
        PAST_END,
        f"rows 0xF8..0xFE, after GB 2312's last row; {NOT_NUL}",
    )
    gb.fill_empty(0xFFFD, "codes of rows 0xA1..0xF7 that GB 2312 leaves unassigned")
    gb.trim(PAST_END)

    planes = {0xA1: [], 0xA2: []}
    for code, unit in euc_tw.codes_of_length(4):
        if code >> 24 != 0x8E or (code >> 16 & 0xFF) not in planes:
            raise TableError(f"{euc_tw.input_path()}: {code:08X} is no plane 1 or 2 code")
        planes[code >> 16 & 0xFF].append((code & 0x7F7F, unit))
    plane3_pairs = []
    for code, unit in plane3.codes_of_length(3):
        if code >> 16 != 3:
            raise TableError(f"{plane3.input_path()}: {code:06X} is no plane 3 code")
        plane3_pairs.append((code & 0xFFFF, unit))

    p1 = cns_plane(
        "cns_plane1_to_ucs2",
        planes[0xA1],
        f"{euc_tw.input_path()} (8E A1 codes)",
        PLANE1_DIFFERENCES,
        "this library's plane 1, against glibc",
    )
    p1.fill_empty(0xFFFD, "codes before the last character that glibc leaves unassigned")
    p1.trim(PAST_END)
    p2 = cns_plane("cns_plane2_to_ucs2", planes[0xA2], f"{euc_tw.input_path()} (8E A2 codes)")
    p2.fill_empty(0xFFFD, "codes before the last character that glibc leaves unassigned")
    p2.trim(PAST_END)
    p3 = cns_plane("cns_plane3_to_ucs2", plane3_pairs, plane3.input_path())
    p3.fill_empty(0xFFFD, "codes before the last character without a kCNS1992 entry")
    p3.trim(PAST_END)
    return [gb2312, euc_tw, plane3], [gb, p1, p2, p3]


if __name__ == "__main__":
    generator_main(
        "gen_cns_gb2312.py",
        "cns_gb2312.cpp",
        build,
        [
            "GB 2312 (EUC-CN) and CNS 11643-1992 planes 1 to 3 (EUC-TW, ISO-2022-CN), 94 x 94 each.",
            "Each table is stored through its last character; a read past that gives U+FFFD.",
        ],
        header="src/tables/cns_gb2312.h",
        choices=REVERSE_CHOICES,
    )
