#!/usr/bin/env python3
"""Writes src/tables/big5.cpp: big5_to_ucs2, and its reverse big5_from_unicode
into src/tables/big5_reverse.cpp.

The Big5 of code page 950 (Python's cp950 codec, which has the ETEN rows
C6A1..C7FC) with the cells listed in BIG5_DIFFERENCES.

    python3 tools/tablegen/gen_big5.py [output folder]
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

BIG5_COLUMNS = 191  # trail bytes 0x40..0xFE
BIG5_ROWS = 128  # lead bytes 0x80..0xFF
REAL_LEADS = range(0xA1, 0xFA)
NO_TRAIL = range(0x7F, 0xA1)


BIG5_LAYOUT = two_byte_layout(range(0x80, 0x100), range(0x40, 0xFF))
big5_index, big5_code = BIG5_LAYOUT.index_of, BIG5_LAYOUT.key_of

CHOSEN = "the plain Big5 reading, where code page 950 chose another character"
NONE = "no character here"
ETEN_TAIL = (
    "ETEN box drawing from F9D6, left out: F9D5 is the last character; "
    f"Big5 text often holds these codes, so {NOT_NUL}"
)
PAST_END = 0xFFFD

# Where this table's Big5 differs from code page 950, in code order.
BIG5_DIFFERENCES = [
    Override(0xA145, 0x2022, CHOSEN),  # cp950 U+2027
    Override(0xA14E, 0xFF64, CHOSEN),  # cp950 U+FE51
    Override(0xA1C2, 0x203E, CHOSEN),  # cp950 U+00AF
    Override(0xA1E3, 0x223C, CHOSEN),  # cp950 U+FF5E
    Override(0xA1F2, 0x2641, CHOSEN),  # cp950 U+2295
    Override(0xA1F3, 0x2609, CHOSEN),  # cp950 U+2299
    Override(0xA241, 0xFF0F, CHOSEN),  # cp950 U+2215
    Override(0xA242, 0xFF3C, CHOSEN),  # cp950 U+FE68
    Override(0xA244, 0x00A5, CHOSEN),  # cp950 U+FFE5
    Override(0xA246, 0x00A2, CHOSEN),  # cp950 U+FFE0
    Override(0xA247, 0x00A3, CHOSEN),  # cp950 U+FFE1
    Override(0xA15A, 0xFFFD, NONE),  # cp950 U+2574
    Override(0xA1C3, 0xFFFD, NONE),  # cp950 U+FFE3
    Override(0xA1C5, 0xFFFD, NONE),  # cp950 U+02CD
    Override(0xA1FE, 0xFFFD, NONE + ": its U+FF0F is at A241"),
    Override(0xA240, 0xFFFD, NONE + ": its U+FF3C is at A242"),
    Override(0xA2CC, 0xFFFD, NONE + ": its U+5341 is at A451"),
    Override(0xA2CE, 0xFFFD, NONE + ": its U+5345 is at A4CA"),
    Override(0xA3E1, 0xFFFD, NONE + ": code page 950's euro, which Big5 lacks"),
] + [Override(code, PAST_END, ETEN_TAIL) for code in range(0xF9D6, 0xF9FF)]

# Where several cells give one code point, the code the reverse keeps instead
# of the lowest: none. The differences above leave no code point two codes:
# code page 950's second U+5341, U+5345, U+FF0F and U+FF3C and the ETEN box
# drawing after F9D5 are gone, and the codes that remain are the ones
# Python's big5 codec writes.
BIG5_CHOICES = []


def build():
    cp950 = read_snapshot("cp950")
    table = Table(
        "big5_to_ucs2",
        BIG5_ROWS * BIG5_COLUMNS,
        BIG5_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0x80) * 191 + (trail - 0x40); lead 0x80..0xFF, trail 0x40..0xFE.",
            "Rows 0x80..0xA0 and 0xFA..0xFF and columns 0x7F..0xA0 of rows 0xA1..0xF9 hold U+FFFD.",
            "Stored through F9D5, the last character; a read past it gives U+FFFD (big5_past_end).",
        ],
    )
    table.load(cp950.codes_of_length(2), "inputs/cp950.txt")
    table.fix(
        [lead << 8 | trail for lead in list(range(0x80, 0xA1)) + list(range(0xFA, 0x100)) for trail in range(0x40, 0xFF)],
        PAST_END,
        f"lead bytes 0x80..0xA0 and 0xFA..0xFF start no character; {NOT_NUL}",
    )
    table.fix(
        [lead << 8 | trail for lead in REAL_LEADS for trail in NO_TRAIL],
        0xFFFD,
        "0x7F..0xA0 are no trail bytes",
    )
    table.fill_empty(0xFFFD, "codes code page 950 leaves unassigned")
    table.override(BIG5_DIFFERENCES, "this library's Big5, against code page 950")
    table.trim(PAST_END)
    # The Big5/GBK transcoder reads the cells past the stored ones as no
    # character at all (output FF FF, where U+FFFD would give A3 4D), so the
    # stored end must stay at the last character.
    if table.key(len(table.cells) - 1) != "F9D5":
        raise TableError("big5_to_ucs2 should end at F9D5, its last character")
    return [cp950], [table]


if __name__ == "__main__":
    generator_main(
        "gen_big5.py",
        "big5.cpp",
        build,
        [
            "Big5 table. Code page 950 (Python's cp950 codec, with the ETEN rows C6A1..C7FC)",
            "less the differences listed under big5_to_ucs2.",
        ],
        header="src/tables/big5.h",
        choices={"big5_to_ucs2": BIG5_CHOICES},
    )
