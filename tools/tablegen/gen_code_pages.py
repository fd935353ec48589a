#!/usr/bin/env python3
"""Writes src/tables/code_pages.cpp: the tables of code pages 932 and 950,
cp932_to_ucs2 (its pairs), cp932_single_to_ucs2 (its bytes) and
cp950_to_ucs2, and their reverses into src/tables/code_pages_reverse.cpp.

Code page 932 is Shift_JIS as Windows extends it: 0x5C and 0x7E are ASCII,
NEC row 13 (0x87), the NEC-selected IBM extensions (0xED, 0xEE), the IBM
extensions (0xFA..0xFC) and the user-defined codes 0xF040..0xF9FC (the
Private Use Area from U+E000), all from Python's cp932 codec. glibc's
WINDOWS-31J charmap reads the same pairs; it has no character for the single
bytes 0x80, 0xA0 and 0xFD..0xFF, which Python (as Windows does) reads as
U+0080 and U+F8F0..U+F8F3, and which are kept here. Where several codes give
one character, the reverse writes the code glibc writes (its lines not
marked irreversible): the IBM extensions, not their NEC-selected copies.

Code page 950 is Python's cp950 codec as it stands: Big5 with the ETEN
additions (0xC6A1..0xC7FC, 0xF9D6..0xF9FE), the euro at 0xA3E1 and the
symbols where it differs from Big5 (which src/tables/big5.cpp lists). Where
several codes give one character, the reverse writes the code Python's
cp950 encoder writes.

    python3 tools/tablegen/gen_code_pages.py [output folder]
"""

from tablegen import (
    NOT_NUL,
    Choice,
    Layout,
    Table,
    TableError,
    generator_main,
    hex_key,
    read_snapshot,
    two_byte_layout,
    unit_text,
)

PAST_END = 0xFFFD  # code_pages_past_end
COLUMNS = 191  # trail bytes 0x40..0xFE

CP932_LAYOUT = two_byte_layout(range(0x81, 0x100), range(0x40, 0xFF))
CP932_LEADS = [*range(0x81, 0xA0), *range(0xE0, 0xFD)]
LAST_CP932 = 0xFC4B
CP950_LAYOUT = two_byte_layout(range(0x80, 0x100), range(0x40, 0xFF))
LAST_CP950 = 0xF9FE

BYTE_LAYOUT = Layout(
    lambda byte: byte if 0 <= byte <= 0xFF else None,
    lambda index: index,
    hex_key(2),
    unit_text,
    row_length=16,
)

GLIBC_CHOICE = "the code glibc's WINDOWS-31J writes, as code page 932 itself does"
# Where several codes of code page 950 give one character, the code the
# reverse writes instead of the lowest, as Python's cp950 encoder writes them.
# The ETEN box drawing F9E9..F9FD gives eight characters Big5 has in row A2;
# those keep the lowest (Big5's) code, as Python writes them too.
CP950_CHOICES = [
    Choice(0x5341, 0xA451, "the ideograph row, not the numeral A2CC; Python's cp950 writes it"),
    Choice(0x5345, 0xA4CA, "the ideograph row, not the numeral A2CE; Python's cp950 writes it"),
]


def several(table):
    """Code point -> the keys of the cells that give it, where there are several."""
    cells = {}
    for index, unit in enumerate(table.cells):
        if unit != 0xFFFD:
            cells.setdefault(unit, []).append(table.key(index))
    return {unit: keys for unit, keys in cells.items() if len(keys) > 1}


def choices_from(table, writes, reason):
    """A Choice wherever `writes` (code point -> code) names a code other
    than the lowest of several."""
    made = []
    for unit, keys in sorted(several(table).items()):
        code = writes.get(unit)
        if code is None:
            raise TableError(f"{table.name}: U+{unit:04X} has codes {keys} and none is written")
        if f"{code:04X}" not in keys:
            raise TableError(f"{table.name}: U+{unit:04X} written as {code:04X}, none of {keys}")
        if f"{code:04X}" != keys[0]:
            made.append(Choice(unit, code, reason))
    return made


def build_cp932(cp932, glibc):
    pairs = Table(
        "cp932_to_ucs2",
        127 * COLUMNS,
        CP932_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0x81) * 191 + (trail - 0x40); lead 0x81..0xFF, trail 0x40..0xFE.",
            "The single bytes 0xA0..0xDF keep their rows, all U+FFFD, so the layout is Shift_JIS's.",
            f"Stored through {LAST_CP932:04X}, the last character; a read past it gives U+FFFD.",
        ],
    )
    pairs.load(cp932.codes_of_length(2), cp932.input_path())
    pairs.fill_empty(0xFFFD, "codes code page 932 leaves without a character")
    pairs.trim(PAST_END)
    if pairs.key(len(pairs.cells) - 1) != f"{LAST_CP932:04X}":
        raise TableError(f"cp932_to_ucs2 should end at {LAST_CP932:04X}")
    singles = Table(
        "cp932_single_to_ucs2",
        256,
        BYTE_LAYOUT,
        ["Indexed by the byte: bytes 0x00..0x7F are ASCII; lead bytes hold U+FFFD."],
    )
    singles.load([(byte, byte) for byte in range(0x80)], "bytes 0x00..0x7F, ASCII (0x5C and 0x7E too)")
    singles.load(cp932.codes_of_length(1), cp932.input_path() + ", single bytes")
    singles.fix([b for b in CP932_LEADS], 0xFFFD, "lead bytes, no character alone")
    singles.finish()
    writes = {unit: code for code, unit in glibc.codes_of_length(2)}
    return [pairs, singles], {
        "cp932_to_ucs2": choices_from(pairs, writes, GLIBC_CHOICE),
        "cp932_single_to_ucs2": [],
    }


def build_cp950(cp950):
    table = Table(
        "cp950_to_ucs2",
        128 * COLUMNS,
        CP950_LAYOUT,
        [
            "Cell (lead, trail) at (lead - 0x80) * 191 + (trail - 0x40); lead 0x80..0xFF, trail 0x40..0xFE,",
            "as big5_to_ucs2. Rows 0x80..0xA0 and columns 0x7F..0xA0 hold U+FFFD.",
            f"Stored through {LAST_CP950:04X}, the last character; a read past it gives U+FFFD.",
        ],
    )
    table.load(cp950.codes_of_length(2), cp950.input_path())
    table.fill_empty(0xFFFD, f"codes code page 950 leaves without a character; {NOT_NUL}")
    table.trim(PAST_END)
    if table.key(len(table.cells) - 1) != f"{LAST_CP950:04X}":
        raise TableError(f"cp950_to_ucs2 should end at {LAST_CP950:04X}")
    return [table], {"cp950_to_ucs2": CP950_CHOICES}


def build():
    cp932, glibc, cp950 = (read_snapshot(name) for name in ("cp932", "windows_31j_glibc_writes", "cp950"))
    tables932, choices932 = build_cp932(cp932, glibc)
    tables950, choices950 = build_cp950(cp950)
    CHOICES.update(choices932)
    CHOICES.update(choices950)
    return [cp932, glibc, cp950], tables932 + tables950


CHOICES = {}


if __name__ == "__main__":
    generator_main(
        "gen_code_pages.py",
        "code_pages.cpp",
        build,
        [
            "Code pages 932 and 950: Python's cp932 and cp950 codecs, the reverse choices of",
            "code page 932 from glibc's WINDOWS-31J charmap.",
        ],
        header="src/tables/code_pages.h",
        choices=CHOICES,
    )
