#!/usr/bin/env python3
"""Writes src/tables/gbk_gb18030.cpp: the GBK and GB18030 tables.

gbk_to_ucs2 and gb18030_four_byte_to_ucs2 decode; ucs2_to_gbk and
ucs2_to_gb18030 encode. All four come from the snapshots of Python's gb18030
(GB18030-2000) and gbk codecs, plus the cells listed below.

    python3 tools/tablegen/gen_gbk_gb18030.py [output folder]
"""


from tablegen import (
    Layout,
    Override,
    Table,
    TableError,
    code_text,
    generator_main,
    hex_key,
    read_snapshot,
    two_byte_layout,
    unit_text,
)

GBK_COLUMNS = 191  # trail bytes 0x40..0xFE, 0x7F included
GBK_ROWS = 126  # lead bytes 0x81..0xFE
GBK_SIZE = GBK_ROWS * GBK_COLUMNS
FOUR_BYTE_SIZE = 40050  # 81 30 80 30 .. 84 31 A4 39
UNITS = 0x10000
GBK_NONE = 0xFFFF
GB18030_NONE = 0xFFFF


GBK_LAYOUT = two_byte_layout(range(0x81, 0xFF), range(0x40, 0xFF))
gbk_index, gbk_code = GBK_LAYOUT.index_of, GBK_LAYOUT.key_of


def four_byte_index(code):
    b1, b2, b3, b4 = code.to_bytes(4, "big")
    if 0x81 <= b1 <= 0x84 and 0x30 <= b2 <= 0x39 and 0x80 <= b3 <= 0xFF and 0x30 <= b4 <= 0x39:
        return 12800 * (b1 - 0x81) + 1280 * (b2 - 0x30) + 10 * (b3 - 0x80) + (b4 - 0x30)
    return None


def four_byte_code(index):
    return (
        (0x81 + index // 12800) << 24
        | (0x30 + index // 1280 % 10) << 16
        | (0x80 + index // 10 % 128) << 8
        | (0x30 + index % 10)
    )


FOUR_BYTE_LAYOUT = Layout(
    four_byte_index, four_byte_code, hex_key(8), unit_text, row_length=10, per_line=10
)
UNIT_LAYOUT = Layout(
    lambda unit: unit if 0 <= unit < UNITS else None,
    lambda index: index,
    lambda unit: f"U+{unit:04X}",
    code_text,
    row_length=UNITS,
)

# Code page 936 puts these 24 ideographs at the codes that the private-use
# runs below take over; here they have no GBK code. (unit, its GBK code)
IDEOGRAPHS_GIVEN_UP = [
    (0x7371, 0xAAA0), (0x7372, 0xAB40), (0x73F7, 0xABA0), (0x73F8, 0xAC40),
    (0x747A, 0xACA0), (0x747B, 0xAD40), (0x74F2, 0xADA0), (0x74F3, 0xAE40),
    (0x7587, 0xAEA0), (0x7588, 0xAF40), (0x7644, 0xAFA0), (0x7645, 0xB040),
    (0x9D42, 0xF8A0), (0x9D43, 0xF940), (0x9DA2, 0xF9A0), (0x9DA3, 0xFA40),
    (0x9E02, 0xFAA0), (0x9E03, 0xFB40), (0x9EAA, 0xFBA0), (0x9EAB, 0xFC40),
    (0x9F31, 0xFCA0), (0x9F32, 0xFD40), (0xF9F1, 0xFDA0), (0xFA0C, 0xFE40),
]

# Private use in GBK output: runs of 96 code points per lead byte, trail
# bytes A0..FE and then the next lead's 40. (first unit, count, first lead)
PRIVATE_USE_RUNS = [
    (0xE000, 671, 0xF8),  # U+E000..U+E29E -> F8A0..FEFE
    (0xE2A0, 576, 0xAA),  # U+E2A0..U+E4DF -> AAA0..B040
]


def private_use_code(k, first_lead):
    lead, j = first_lead + k // 96, k % 96
    return lead << 8 | (0xA0 + j) if j < 95 else (lead + 1) << 8 | 0x40


def ucs2_to_gbk_overrides():
    items = [
        Override(unit, GBK_NONE, "ideograph whose code page 936 code goes to a private-use run")
        for unit, _ in IDEOGRAPHS_GIVEN_UP
    ]
    for first, count, lead in PRIVATE_USE_RUNS:
        last = first + count - 1
        reason = (
            f"private use U+{first:04X}..U+{last:04X}, runs of 96 from lead {lead:02X}: "
            "trail A0..FE, then the next lead's 40"
        )
        items += [Override(first + k, private_use_code(k, lead), reason) for k in range(count)]
    items += [
        Override(0xFFFD, 0xA34D, "replacement character, in the user-defined area"),
        Override(0xFFFF, 0x987F, "the one code with trail 0x7F"),
    ]
    return items


def expect(table, key, value, why):
    """Refuses a snapshot of another edition of the mapping."""
    cell = table.cells[table.index(key)]
    if cell != value:
        held = "nothing" if cell is None else table.layout.value_text(cell)
        raise TableError(
            f"{table.name}: {table.key(table.index(key))} holds {held}, expected "
            f"{table.layout.value_text(value)} ({why})"
        )


def build():
    gb18030 = read_snapshot("gb18030")
    gbk = read_snapshot("gbk")
    two_byte = gb18030.codes_of_length(2)
    four_byte = gb18030.codes_of_length(4)

    gbk_to_ucs2 = Table(
        "gbk_to_ucs2",
        GBK_SIZE,
        GBK_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0x81) * 191 + (trail - 0x40); lead 0x81..0xFE, trail 0x40..0xFE.",
            "Column 0x7F holds U+FFFD; every other cell the GB18030-2000 two-byte mapping.",
        ],
    )
    gbk_to_ucs2.load(two_byte, "inputs/gb18030.txt, two-byte codes")
    gbk_to_ucs2.fix(
        [(lead << 8) | 0x7F for lead in range(0x81, 0xFF)],
        0xFFFD,
        "trail 0x7F is no trail byte; the column keeps every row 191 wide",
    )
    expect(gbk_to_ucs2, 0xA8BC, 0xE7C7, "GB18030-2000 keeps A8BC in private use")
    gbk_to_ucs2.finish()

    four = Table(
        "gb18030_four_byte_to_ucs2",
        FOUR_BYTE_SIZE,
        FOUR_BYTE_LAYOUT,
        [
            "Code b1 b2 b3 b4 at 12800 * (b1 - 0x81) + 1280 * (b2 - 0x30) + 10 * (b3 - 0x80) + (b4 - 0x30).",
            "Third-byte slots 0x80 and 0xFF hold U+FFFD; the table ends at 84 31 A4 39 (U+FFFF).",
            "Ten cells a line: one third-byte slot, fourth byte 0x30..0x39.",
        ],
    )
    four.load(four_byte, "inputs/gb18030.txt, four-byte codes")
    fillers = [
        b1 << 24 | b2 << 16 | b3 << 8 | b4
        for b1 in range(0x81, 0x85)
        for b2 in range(0x30, 0x3A)
        for b3 in (0x80, 0xFF)
        for b4 in range(0x30, 0x3A)
    ]
    four.fix(
        [code for code in fillers if four_byte_index(code) < FOUR_BYTE_SIZE],
        0xFFFD,
        "third byte 0x80 or 0xFF starts no code; the slot keeps each (b1, b2) block 1280 wide",
    )
    expect(four, 0x8135F437, 0x1E3F, "GB18030-2000 maps 81 35 F4 37 to U+1E3F")
    four.finish()

    to_gbk = Table(
        "ucs2_to_gbk",
        UNITS,
        UNIT_LAYOUT,
        [
            "Indexed by code unit; a GBK code, lead byte high, or 0xFFFF for none.",
            "U+0000..U+007F hold 0xFFFF: the encoders write them as one byte without a lookup.",
        ],
    )
    to_gbk.load([(unit, code) for code, unit in gbk.codes_of_length(2)], "inputs/gbk.txt")
    to_gbk.fill_empty(GBK_NONE, "no GBK code: unmapped, and U+0000..U+007F")
    to_gbk.override(ucs2_to_gbk_overrides(), "this library's GBK, against code page 936")
    expect(to_gbk, 0x20AC, GBK_NONE, "no one-byte euro in GBK output")
    check_gbk_codes(to_gbk)

    to_gb18030 = Table(
        "ucs2_to_gb18030",
        UNITS,
        UNIT_LAYOUT,
        [
            "Indexed by code unit; where its GB18030 code sits in the decoding tables:",
            "below 24066 (gbk_to_ucs2_size) the gbk_to_ucs2 index of a two-byte code,",
            "24066 + i for the four-byte code at gb18030_four_byte_to_ucs2 index i,",
            "0xFFFF for U+0000..U+007F (one byte, the unit itself) and the surrogates (no code).",
            "gb18030_code() in gbk_gb18030.h turns a cell back into the code.",
        ],
    )
    to_gb18030.load(
        [(unit, gbk_index(code)) for code, unit in two_byte],
        "inputs/gb18030.txt, two-byte codes (their gbk_to_ucs2 index)",
    )
    to_gb18030.load(
        [(unit, GBK_SIZE + four_byte_index(code)) for code, unit in four_byte],
        "inputs/gb18030.txt, four-byte codes (24066 + their gb18030_four_byte_to_ucs2 index)",
    )
    missing = [index for index, cell in enumerate(to_gb18030.cells) if cell is None]
    if missing != list(range(0x80)) + list(range(0xD800, 0xE000)):
        raise TableError("ucs2_to_gb18030: the snapshot does not cover U+0080..U+FFFF less the surrogates")
    to_gb18030.fill_empty(GB18030_NONE, "U+0000..U+007F and the surrogates U+D800..U+DFFF")

    return [gb18030, gbk], [gbk_to_ucs2, four, to_gbk, to_gb18030]


def check_gbk_codes(table):
    seen = {}
    for unit, code in enumerate(table.cells):
        if code == GBK_NONE:
            continue
        if code in seen:
            raise TableError(f"ucs2_to_gbk: U+{seen[code]:04X} and U+{unit:04X} both give {code:04X}")
        seen[code] = unit
        lead, trail = code >> 8, code & 0xFF
        if not (0x81 <= lead <= 0xFE and 0x40 <= trail <= 0xFE) or (trail == 0x7F and unit != 0xFFFF):
            raise TableError(f"ucs2_to_gbk: U+{unit:04X} gives {code:04X}, no GBK code")


if __name__ == "__main__":
    generator_main(
        "gen_gbk_gb18030.py",
        "gbk_gb18030.cpp",
        build,
        [
            "GBK and GB18030 tables. Decoding follows Python's gb18030 codec (GB18030-2000);",
            "GBK output follows Python's gbk codec (code page 936, double-byte part) with the",
            "private-use runs and the cells listed under ucs2_to_gbk.",
        ],
        header="src/tables/gbk_gb18030.h",
    )
