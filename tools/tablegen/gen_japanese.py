#!/usr/bin/env python3
"""Writes src/tables/japanese.cpp: jisx0201_to_ucs2, jisx0208_to_ucs2,
jisx0212_to_ucs2 and sjis_to_ucs2, and their reverses (jisx0201_from_unicode, ...)
into src/tables/japanese_reverse.cpp.

JIS X 0208 and JIS X 0212 come from Python's euc_jp codec (the A1..FE square
and the square behind 8F), the half-width katakana of JIS X 0201 from its 8E
codes. Shift_JIS is not read from any codec: it is JIS X 0208 moved to its
Shift_JIS codes, so the two tables cannot disagree.

    python3 tools/tablegen/gen_japanese.py [output folder]
"""


from tablegen import (
    NOT_NUL,
    Layout,
    Override,
    Table,
    TableError,
    generator_main,
    hex_key,
    read_snapshot,
    two_byte_layout,
    unit_text,
)

HEADER = "src/tables/japanese.h"
PAST_END = 0xFFFD  # japanese_past_end: what a read past a table's stored cells gives

# --- JIS X 0201 -------------------------------------------------------------

JISX0201_LAYOUT = Layout(
    lambda byte: byte if 0 <= byte <= 0xFF else None,
    lambda index: index,
    hex_key(2),
    unit_text,
    row_length=16,
)

JISX0201_ROMAN = [
    Override(0x5C, 0x00A5, "JIS X 0201 Roman puts the yen sign where ASCII has the backslash"),
    Override(0x7E, 0x203E, "and the overline where ASCII has the tilde"),
]

# --- the 94 x 94 squares ----------------------------------------------------

SQUARE = 94
SQUARE_BYTES = range(0x21, 0x7F)  # row and column bytes in 7-bit form


SQUARE_LAYOUT = two_byte_layout(SQUARE_BYTES, SQUARE_BYTES)
square_index, square_code = SQUARE_LAYOUT.index_of, SQUARE_LAYOUT.key_of

LAST_JISX0208 = 0x7426
LAST_JISX0212 = 0x6D63

JISX0208_DIFFERENCES = [
    Override(0x2140, 0x005C, "the reverse solidus itself, not its full-width form"),
]

# --- Shift_JIS ----------------------------------------------------------------

SJIS_COLUMNS = 191  # trail bytes 0x40..0xFE
SJIS_LEADS = range(0x81, 0x100)
LAST_SJIS = 0xEAA4  # the Shift_JIS code of LAST_JISX0208

# Where several cells of one table give one code point, the code the reverse
# keeps instead of the lowest: none. No table here gives a code point twice
# (Python's euc_jp and shift_jis have no such pair either, unlike cp932's NEC
# and IBM rows), so each code is the one those codecs write, but for two they
# write as ASCII: U+005C (2140 here) and U+007E (JIS X 0212's 2237).
REVERSE_CHOICES = {
    "jisx0201_to_ucs2": [],
    "jisx0208_to_ucs2": [],
    "jisx0212_to_ucs2": [],
    "sjis_to_ucs2": [],
}


SJIS_LAYOUT = two_byte_layout(SJIS_LEADS, range(0x40, 0xFF))
sjis_index, sjis_code = SJIS_LAYOUT.index_of, SJIS_LAYOUT.key_of


def sjis_of_jis(code):
    """The Shift_JIS code of a 7-bit JIS X 0208 code: each lead byte carries
    an odd row (trails 0x40..0x7E, 0x80..0x9E) and the even row after it
    (trails 0x9F..0xFC)."""
    row, column = code >> 8, code & 0xFF
    lead = (row - 0x21) // 2 + 0x81
    if lead > 0x9F:
        lead += 0x40  # leads 0xA0..0xDF are single bytes
    if (row - 0x21) % 2:
        trail = column + 0x7E
    else:
        trail = column + 0x1F if column <= 0x5F else column + 0x20
    return lead << 8 | trail


def build_jisx0201(euc_jp):
    table = Table(
        "jisx0201_to_ucs2",
        256,
        JISX0201_LAYOUT,
        ["Indexed by the byte. Past the stored bytes (0xE0..0xFF) a read gives U+FFFD."],
    )
    kana = [(code & 0xFF, unit) for code, unit in euc_jp.codes_of_length(2) if code >> 8 == 0x8E]
    table.load(kana, f"{euc_jp.input_path()}, the codes 8E A1..8E DF (half-width katakana)")
    table.load([(byte, byte) for byte in range(0x20, 0x7F)], "the printable ASCII bytes, which JIS X 0201 Roman shares")
    table.override(JISX0201_ROMAN, "JIS X 0201 Roman against ASCII")
    table.fix(list(range(0x00, 0x20)) + list(range(0x7F, 0xA1)), 0xFFFD, "control bytes and 0x7F..0xA0 have no character")
    table.fix(range(0xE0, 0x100), PAST_END, f"0xE0..0xFF lie past the last character; {NOT_NUL}")
    table.trim(PAST_END)
    return table


def build_square(name, codes, what, last, differences, title):
    table = Table(
        name,
        SQUARE * SQUARE,
        SQUARE_LAYOUT,
        [
            "Cell (row, column) of the 7-bit code at (row - 0x21) * 94 + (column - 0x21), the",
            "8-bit code (row + 0x80, column + 0x80) at the same cell. Past the stored cells a read gives",
            "U+FFFD.",
        ],
    )
    table.load([(code - 0x8080, unit) for code, unit in codes], what)
    table.fix(
        [square_code(index) for index in range(square_index(last) + 1, SQUARE * SQUARE)],
        PAST_END,
        f"past {last:04X}, the last character; {NOT_NUL}",
    )
    table.fill_empty(0xFFFD, "unassigned positions")
    if differences:
        table.override(differences, title)
    table.trim(PAST_END)
    return table


def build_sjis(jisx0208):
    table = Table(
        "sjis_to_ucs2",
        len(SJIS_LEADS) * SJIS_COLUMNS,
        SJIS_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0x81) * 191 + (trail - 0x40); lead 0x81..0xFF, trail 0x40..0xFE.",
            "The single-byte leads 0xA0..0xDF keep their rows so the layout stays linear. Past the stored",
            "cells a read gives U+FFFD.",
        ],
    )
    positions = [square_code(index) for index in range(SQUARE * SQUARE)]
    # Cells past the end of jisx0208_to_ucs2 read as PAST_END there, as they do here.
    cells = [jisx0208.cells[index] if index < len(jisx0208.cells) else PAST_END for index in range(SQUARE * SQUARE)]
    table.load(
        [(sjis_of_jis(code), unit) for code, unit in zip(positions, cells)],
        "jisx0208_to_ucs2, every position at its Shift_JIS code (row 0x87 is JIS row 0x2D, empty there)",
    )
    last = sjis_index(LAST_SJIS)
    table.fix(
        [sjis_code(index) for index in range(last + 1) if table.cells[index] is None],
        0xFFFD,
        f"up to {LAST_SJIS:04X}, codes of no JIS X 0208 position: trails 0x7F, 0xFD, 0xFE and leads 0xA0..0xDF",
    )
    table.fill_empty(
        PAST_END,
        f"past {LAST_SJIS:04X}, the last character; Shift_JIS files written on Windows hold the IBM "
        f"extension rows FA..FC (FB FC is U+9AD9), so {NOT_NUL}",
    )
    table.trim(PAST_END)
    if len(table.cells) != last + 1:
        raise TableError(f"sjis_to_ucs2 should end at {LAST_SJIS:04X}")
    return table


def build():
    euc_jp = read_snapshot("euc_jp")
    two = euc_jp.codes_of_length(2)
    three = euc_jp.codes_of_length(3)
    jisx0201 = build_jisx0201(euc_jp)
    jisx0208 = build_square(
        "jisx0208_to_ucs2",
        [(code, unit) for code, unit in two if code >> 8 != 0x8E],
        f"{euc_jp.input_path()}, the codes A1A1..FEFE",
        LAST_JISX0208,
        JISX0208_DIFFERENCES,
        "this library's JIS X 0208, against the EUC-JP mapping",
    )
    jisx0212 = build_square(
        "jisx0212_to_ucs2",
        [(code & 0xFFFF, unit) for code, unit in three if code >> 16 == 0x8F],
        f"{euc_jp.input_path()}, the codes 8F A1A1..8F FEFE",
        LAST_JISX0212,
        [],
        "",
    )
    sjis = build_sjis(jisx0208)
    return [euc_jp], [jisx0201, jisx0208, jisx0212, sjis]


if __name__ == "__main__":
    generator_main(
        "gen_japanese.py",
        "japanese.cpp",
        build,
        [
            "Japanese tables. JIS X 0208 and JIS X 0212 as Python's euc_jp codec maps them, with the",
            "differences listed under each table; Shift_JIS as JIS X 0208 at its Shift_JIS codes.",
        ],
        header="src/tables/japanese.h",
        choices=REVERSE_CHOICES,
    )
