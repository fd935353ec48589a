#!/usr/bin/env python3
"""Writes src/tables/big5gbk.cpp: big5_to_gbk and gbk_to_big5, the direct
tables of the Big5/GBK transcoders.

A cell holds the two output bytes of one pair, the first in the low half (the
entry for output A1 40 is 0x40A1).

big5_to_gbk, for a Big5 code whose character is c (the library's own Big5
reading, big5_to_ucs2): the GB 2312 code of c itself if GB 2312 has it, else
of the first of c's Unihan simplified variants that GB 2312 has; the codes in
BIG5_SIMILAR (symbols GB 2312 lacks, cells the library's Big5 leaves empty)
take the GB 2312 code listed there. Every other cell holds the marker 0xA1A1,
and the transcoder finds its character through Unicode (ucs2_to_gbk of the
big5_to_ucs2 cell), in GBK's extension area if anywhere.

gbk_to_big5, for a GB 2312 code whose character is s (the library's GBK
reading, gbk_to_ucs2): the Big5 code of s itself if Big5 has it, else of the
first of s's Unihan traditional variants that Big5 has; the codes in
GB2312_SIMILAR take the Big5 symbol listed there. Every other GB 2312 code,
unassigned codes and the user-defined rows F8 and F9 give the full-width
space A1 40; the user-defined rows FA..FE run in order onto Big5's
user-defined codes from FA40, but for FEA1 (GBK_BIG5_FIXED).

    python3 tools/tablegen/gen_big5gbk.py [output folder]
"""


import gen_big5
import gen_gbk_gb18030
from tablegen import (
    Layout,
    Override,
    Table,
    TableError,
    generator_main,
    hex_key,
    read_snapshot,
    two_byte_layout,
)

HEADER = "src/tables/big5gbk.h"

MARKER = 0xA1A1  # output A1 A1: go through Unicode
BIG5_SPACE = 0x40A1  # output A1 40, the Big5 full-width space
BIG5_LEADS = range(0xA1, 0xFF)
BIG5_TRAILS = [*range(0x40, 0x7F), *range(0xA1, 0xFF)]
NO_BIG5_TRAIL = range(0x7F, 0xA1)
BIG5_COLUMNS = 191  # trail bytes 0x40..0xFE
GB_COLUMNS = 94  # trail bytes 0xA1..0xFE
GB_LEADS = [*range(0xA1, 0xAA), *range(0xB0, 0xFF)]  # GB 2312 leaves AA..AF empty


def entry(first, second):
    return first | second << 8


def swapped(code):
    """The entry that outputs the two bytes of `code`, lead byte high."""
    return entry(code >> 8, code & 0xFF)


def output_text(value):
    return f"{value & 0xFF:02X} {value >> 8:02X}"


BIG5_GBK_LAYOUT = two_byte_layout(BIG5_LEADS, range(0x40, 0xFF), output_text)
big5_gbk_index, big5_gbk_code = BIG5_GBK_LAYOUT.index_of, BIG5_GBK_LAYOUT.key_of


def gb_row(lead):
    if 0xA1 <= lead <= 0xA9:
        return lead - 0xA1
    if 0xB0 <= lead <= 0xFE:
        return lead - 0xA7
    return None


def gbk_big5_index(code):
    lead, trail = code >> 8, code & 0xFF
    row = gb_row(lead)
    if row is None or not 0xA1 <= trail <= 0xFE:
        return None
    return row * GB_COLUMNS + (trail - 0xA1)


def gbk_big5_code(index):
    row, column = divmod(index, GB_COLUMNS)
    return GB_LEADS[row] << 8 | (0xA1 + column)


GBK_BIG5_LAYOUT = Layout(gbk_big5_index, gbk_big5_code, hex_key(4), output_text, row_length=GB_COLUMNS)

# Big5 codes without a GB 2312 character of their own that are written as a
# GB 2312 character all the same; (Big5 code, GB 2312 code, reason). First
# the codes that the library's Big5 decoder leaves empty, where code page 950
# reads a character that Big5 text may well hold; then symbols that GB 2312
# lacks, as the GB 2312 symbol that looks the same.
EMPTY_IN_BIG5 = "empty in this library's Big5; code page 950 reads"
LOOKS_LIKE = "a similar symbol:"
BIG5_SIMILAR = [
    (0xA15A, 0xA3DF, f"{EMPTY_IN_BIG5} U+2574, drawn as a low line"),
    (0xA1C3, 0xA3FE, f"{EMPTY_IN_BIG5} U+FFE3, the full-width macron"),
    (0xA1C5, 0xA3DF, f"{EMPTY_IN_BIG5} U+02CD, drawn as a low line"),
    (0xA1FE, 0xA3AF, f"{EMPTY_IN_BIG5} U+FF0F (also at A241)"),
    (0xA240, 0xA3DC, f"{EMPTY_IN_BIG5} U+FF3C (also at A242)"),
    (0xA2CC, 0xCAAE, f"{EMPTY_IN_BIG5} U+5341 (also at A451)"),
    (0xA2CE, 0xD8A6, f"{EMPTY_IN_BIG5} U+5345 (also at A4CA)"),
    (0xA145, 0xA1A4, f"{LOOKS_LIKE} U+2022, the dot between parts of a name, as the middle dot"),
    (0xA14A, 0xA1CB, f"{LOOKS_LIKE} U+FE30, vertical two dots, as the proportion sign"),
    (0xA14E, 0xA1A2, f"{LOOKS_LIKE} U+FF64, the half-width ideographic comma"),
    (0xA1C2, 0xA3FE, f"{LOOKS_LIKE} U+203E overline as the full-width macron"),
    (0xA1E3, 0xA1AB, f"{LOOKS_LIKE} U+223C tilde operator as the full-width tilde"),
    (0xA244, 0xA3A4, f"{LOOKS_LIKE} U+00A5 yen sign, full width"),
    (0xA246, 0xA1E9, f"{LOOKS_LIKE} U+00A2 cent sign, full width"),
    (0xA247, 0xA1EA, f"{LOOKS_LIKE} U+00A3 pound sign, full width"),
    (0xC94A, 0xD8A3, "U+FA0C, a compatibility twin of U+5140, which GB 2312 has"),
]

# GB 2312 symbols that the library's Big5 lacks, written as the Big5 symbol
# that looks the same; (GB 2312 code, Big5 code, reason).
GB2312_SIMILAR = [
    (0xA1A4, 0xA145, f"{LOOKS_LIKE} U+00B7 middle dot as the dot Big5 text sets between parts of a name"),
    (0xA1AB, 0xA1E3, f"{LOOKS_LIKE} U+FF5E full-width tilde as the tilde operator"),
    (0xA1C6, 0xA355, f"{LOOKS_LIKE} U+2211 summation sign as the capital sigma"),
    (0xA1D1, 0xA1F3, f"{LOOKS_LIKE} U+2299 circled dot as the sun sign"),
    (0xA1DC, 0xA1D8, f"{LOOKS_LIKE} U+2264 as less-than over equal"),
    (0xA1DD, 0xA1D9, f"{LOOKS_LIKE} U+2265 as greater-than over equal"),
    (0xA1E9, 0xA246, f"{LOOKS_LIKE} U+FFE0 full-width cent sign"),
    (0xA1EA, 0xA247, f"{LOOKS_LIKE} U+FFE1 full-width pound sign"),
    (0xA3A4, 0xA244, f"{LOOKS_LIKE} U+FFE5 full-width yen sign"),
    (0xA3FE, 0xA1C2, f"{LOOKS_LIKE} U+FFE3 full-width macron as the overline"),
]


# Cells of gbk_to_big5 fixed whatever the rules above give; (GBK code, Big5
# code, reason).
GBK_BIG5_FIXED = [
    (0xFEA1, 0xF354, "Big5 F3 54 (U+8E7B), kept for compatibility; the rest of row FE continues "
     "Big5's user-defined codes"),
]


def read_variants(name):
    """{character: [variants in Unihan's order]} from a unihan_* snapshot."""
    snapshot = read_snapshot(name)
    variants = {}
    for code, size, packed in snapshot.entries:
        if size != 2 or code in variants:
            raise TableError(f"{snapshot.input_path()}: {code:04X} is no single character line")
        units = []
        while packed:
            units.insert(0, packed & 0xFFFF)
            packed >>= 16
        variants[code] = units
    return snapshot, variants


def first_held(unit, variants, codes):
    """The code of `unit` itself, else of its first variant, that `codes` holds."""
    for candidate in [unit, *variants.get(unit, [])]:
        if candidate in codes:
            return codes[candidate]
    return None


def build():
    big5_snapshots, big5_tables = gen_big5.build()
    gbk_snapshots, gbk_tables = gen_gbk_gb18030.build()
    big5_to_ucs2 = {t.name: t for t in big5_tables}["big5_to_ucs2"]
    by_name = {t.name: t for t in gbk_tables}
    gbk_to_ucs2, ucs2_to_gbk = by_name["gbk_to_ucs2"], by_name["ucs2_to_gbk"]
    gb2312 = read_snapshot("gb2312")
    simplified_snapshot, simplified = read_variants("unihan_simplified")
    traditional_snapshot, traditional = read_variants("unihan_traditional")

    # As the transcoder reads big5_to_ucs2: a cell past the stored ones (after
    # F9D5, the last character) is no character at all, U+0000, which GBK
    # output cannot hold (FF FF); the decoders read U+FFFD there instead.
    def big5_unit(code):
        index = gen_big5.big5_index(code)
        return big5_to_ucs2.cells[index] if index < len(big5_to_ucs2.cells) else 0

    def gbk_unit(code):
        return gbk_to_ucs2.cells[gen_gbk_gb18030.gbk_index(code)]

    # GB 2312's codes, each read as GBK reads it (A1A4 the middle dot U+00B7).
    gb2312_codes = sorted(code for code, _ in gb2312.codes_of_length(2))
    gb2312_of_unit = {gbk_unit(code): code for code in gb2312_codes}
    if len(gb2312_of_unit) != len(gb2312_codes):
        raise TableError("two GB 2312 codes read as the same character in GBK")

    # The Big5 codes of the library's own Big5: its output must read back as
    # the character it stands for.
    big5_of_unit = {}
    for lead in BIG5_LEADS:
        for trail in BIG5_TRAILS:
            unit = big5_unit(lead << 8 | trail)
            if unit in (0, 0xFFFD):
                continue
            if unit in big5_of_unit:
                raise TableError(f"Big5 reads U+{unit:04X} at two codes")
            big5_of_unit[unit] = lead << 8 | trail

    to_gbk = Table(
        "big5_to_gbk",
        len(BIG5_LEADS) * BIG5_COLUMNS,
        BIG5_GBK_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0xA1) * 191 + (trail - 0x40); lead 0xA1..0xFE, trail 0x40..0xFE.",
            "Output bytes: the low half, then the high half. A1 A1 (0xA1A1) is the marker: the pair",
            "goes through Unicode, ucs2_to_gbk of its big5_to_ucs2 cell.",
        ],
    )
    itself, simpler = [], []
    for lead in BIG5_LEADS:
        for trail in BIG5_TRAILS:
            code = lead << 8 | trail
            unit = big5_unit(code)
            gb = first_held(unit, simplified, gb2312_of_unit)
            if gb is not None:
                (itself if gb2312_of_unit.get(unit) == gb else simpler).append((code, swapped(gb)))
    to_gbk.load(itself, "GB 2312, the same character")
    to_gbk.load(simpler, "GB 2312, the first simplified variant it has (inputs/unihan_simplified.txt)")
    to_gbk.load(
        [(lead << 8 | trail, entry(lead, trail)) for lead in BIG5_LEADS for trail in NO_BIG5_TRAIL],
        "the input pair itself: 0x7F..0xA0 are no Big5 trail bytes",
    )
    to_gbk.override(
        [Override(big5, swapped(gb), reason) for big5, gb, reason in BIG5_SIMILAR],
        "Big5 codes without a GB 2312 character of their own",
    )

    # The marker's value is also a real output, the full-width space's A1 A1;
    # a cell holding it by the rules must come out the same through Unicode.
    for index, value in enumerate(to_gbk.cells):
        code = big5_gbk_code(index)
        if value == MARKER and ucs2_to_gbk.cells[big5_unit(code)] != MARKER:
            raise TableError(f"big5_to_gbk: {code:04X} holds A1 A1 but reads otherwise through Unicode")
    to_gbk.fill_empty(MARKER, "the marker: no GB 2312 form, the character is found through Unicode")
    outcomes = {"a GBK code": 0, "FF FF": 0, "A3 4D": 0}
    for index, value in enumerate(to_gbk.cells):
        if value == MARKER:
            gbk = ucs2_to_gbk.cells[big5_unit(big5_gbk_code(index))]
            outcomes["FF FF" if gbk == 0xFFFF else "A3 4D" if gbk == 0xA34D else "a GBK code"] += 1
    to_gbk.steps.append(
        "through Unicode the marked cells give " + ", ".join(f"{what} {count}" for what, count in outcomes.items())
    )
    to_gbk.trim(MARKER)

    to_big5 = Table(
        "gbk_to_big5",
        len(GB_LEADS) * GB_COLUMNS,
        GBK_BIG5_LAYOUT,
        [
            "Cell (lead, trail) at row * 94 + (trail - 0xA1); row lead - 0xA1 for 0xA1..0xA9,",
            "lead - 0xA7 for 0xB0..0xFE (GB 2312 leaves 0xAA..0xAF empty); trail 0xA1..0xFE.",
            "Output bytes: the low half, then the high half.",
        ],
    )
    itself, traditional_form = [], []
    for code in gb2312_codes:
        unit = gbk_unit(code)
        big5 = first_held(unit, traditional, big5_of_unit)
        if big5 is not None:
            (itself if big5_of_unit.get(unit) == big5 else traditional_form).append((code, swapped(big5)))
    to_big5.load(itself, "Big5, the same character")
    to_big5.load(traditional_form, "Big5, the first traditional variant it has (inputs/unihan_traditional.txt)")
    to_big5.override(
        [Override(gb, swapped(big5), reason) for gb, big5, reason in GB2312_SIMILAR],
        "GB 2312 symbols without a Big5 character of their own",
    )
    to_big5.fix(
        [lead << 8 | trail for lead in (0xF8, 0xF9) for trail in range(0xA1, 0xFF)],
        BIG5_SPACE,
        "user-defined rows F8 and F9: no place in Big5",
    )
    user_defined = [lead << 8 | trail for lead in range(0xFA, 0xFF) for trail in range(0xA1, 0xFF)]
    big5_user = [lead << 8 | trail for lead in range(0xFA, 0xFF) for trail in BIG5_TRAILS]
    to_big5.load(
        [(gb, swapped(big5)) for gb, big5 in zip(user_defined, big5_user)],
        "user-defined rows FA..FE onto Big5's user-defined codes from FA40, in order",
    )
    to_big5.fill_empty(
        BIG5_SPACE, "the full-width space A1 40: GB 2312 symbols Big5 lacks and unassigned GB 2312 codes"
    )
    to_big5.override(
        [Override(gb, swapped(big5), reason) for gb, big5, reason in GBK_BIG5_FIXED],
        "cells fixed whatever the rules above give",
    )
    to_big5.trim(BIG5_SPACE)

    snapshots = big5_snapshots + gbk_snapshots + [gb2312, simplified_snapshot, traditional_snapshot]
    return snapshots, [to_gbk, to_big5]


if __name__ == "__main__":
    generator_main(
        "gen_big5gbk.py",
        "big5gbk.cpp",
        build,
        [
            "Direct Big5/GBK transcoding tables. Traditional characters come out in their GB 2312",
            "simplified form, simplified ones in their Big5 traditional form, after Unihan's",
            "kSimplifiedVariant and kTraditionalVariant: the character itself if the target has",
            "it, else its first variant in Unihan's order that the target has.",
        ],
        header="src/tables/big5gbk.h",
    )
