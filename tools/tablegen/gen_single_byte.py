#!/usr/bin/env python3
"""Writes src/tables/single_byte.cpp: the 37 tables of the single-byte
charsets, ids 21 to 55, 62 and 63, with single_byte_tables (the table of each id) and
single_byte_ascii_kept (whether its bytes 0x00..0x7F decode to themselves).

Each table has one cell per byte. Where Python has a codec for the charset,
the cells come from its snapshot and the bytes the codec refuses get the
filler listed below, U+FFFD or 0 as each charset's list has them. KOI8-RU is
KOI8-U with two cells changed. CP1133, TCVN, ARMSCII-8, MacThai and MULELAO-1
are written out here as rows and rules. Last, every cell listed as 0 but byte
0x00's is overridden to U+FFFD (no_nul()).

The reverse of each table, for encoding, goes to src/tables/single_byte_reverse.cpp
with single_byte_reverses (the reverse of each id).

    python3 tools/tablegen/gen_single_byte.py [output folder]
"""

import sys
from dataclasses import dataclass

from tablegen import (
    NOT_NUL,
    Layout,
    REVERSE_HEADER,
    Override,
    Reverse,
    Table,
    TableError,
    comment,
    hex_key,
    out_dir_from_argv,
    read_snapshot,
    render_array,
    reverse_intro,
    unit_text,
    write_text,
)

FIRST_ID = 21
LAST_ID = 55
BYTES = 256

BYTE_LAYOUT = Layout(
    lambda byte: byte if 0 <= byte < BYTES else None,
    lambda index: index,
    hex_key(2),
    unit_text,
    row_length=BYTES,
)


def byte_list(text):
    """'A1-A3 C0' -> [0xA1, 0xA2, 0xA3, 0xC0]."""
    codes = []
    for item in text.split():
        first, _, last = item.partition("-")
        codes += range(int(first, 16), int(last or first, 16) + 1)
    return codes


@dataclass(frozen=True)
class Filler:
    value: int
    codes: str  # the bytes, as byte_list() reads them


@dataclass(frozen=True)
class FromCodec:
    """A charset whose cells come from a Python codec's snapshot."""

    id: int
    name: str
    snapshot: str
    table: str
    fillers: tuple = ()


# By id. The fillers are the bytes each charset leaves without a character.
FROM_CODECS = [
    FromCodec(21, "KOI8-R", "koi8_r", "koi8_r_to_ucs2"),
    FromCodec(22, "KOI8-U", "koi8_u", "koi8_u_to_ucs2"),
    # 23, KOI8-RU, is KOI8-U with two changes: see koi8_ru().
    # Byte b is U+00b for all 256 bytes; US-ASCII names read this table too,
    # so their bytes 0x80..0xFF decode as Latin-1.
    FromCodec(24, "ISO-8859-1", "latin_1", "iso8859_1_to_ucs2"),
    FromCodec(25, "ISO-8859-2", "iso8859_2", "iso8859_2_to_ucs2"),
    FromCodec(26, "ISO-8859-3", "iso8859_3", "iso8859_3_to_ucs2",
              (Filler(0xFFFD, "A5 AE BE C3 D0 E3 F0"),)),
    FromCodec(27, "ISO-8859-4", "iso8859_4", "iso8859_4_to_ucs2"),
    FromCodec(28, "ISO-8859-5", "iso8859_5", "iso8859_5_to_ucs2"),
    FromCodec(29, "ISO-8859-6", "iso8859_6", "iso8859_6_to_ucs2",
              (Filler(0xFFFD, "A1-A3 A5-AB AE-BA BC-BE C0 DB-DF"), Filler(0x0000, "F3-FF"))),
    # The 2003 edition: A4 the euro, A5 the drachma sign, AA the ypogegrammeni.
    FromCodec(30, "ISO-8859-7", "iso8859_7", "iso8859_7_to_ucs2",
              (Filler(0xFFFD, "AE D2"), Filler(0x0000, "FF"))),
    # DF the double low line, FD and FE the directional marks.
    FromCodec(31, "ISO-8859-8", "iso8859_8", "iso8859_8_to_ucs2",
              (Filler(0xFFFD, "A1 BF-DE FB FC"), Filler(0x0000, "FF"))),
    FromCodec(32, "ISO-8859-9", "iso8859_9", "iso8859_9_to_ucs2"),
    FromCodec(33, "ISO-8859-10", "iso8859_10", "iso8859_10_to_ucs2"),
    # Also read for the TIS-620 name; A0 is the no-break space here.
    FromCodec(34, "ISO-8859-11", "iso8859_11", "iso8859_11_to_ucs2",
              (Filler(0xFFFD, "DB-DE"), Filler(0x0000, "FC-FF"))),
    FromCodec(35, "ISO-8859-13", "iso8859_13", "iso8859_13_to_ucs2"),
    FromCodec(36, "ISO-8859-14", "iso8859_14", "iso8859_14_to_ucs2"),
    FromCodec(37, "ISO-8859-15", "iso8859_15", "iso8859_15_to_ucs2"),
    FromCodec(38, "ISO-8859-16", "iso8859_16", "iso8859_16_to_ucs2"),
    FromCodec(39, "CP874", "cp874", "cp874_to_ucs2",
              (Filler(0xFFFD, "81-84 86-90 98-9F DB-DE"), Filler(0x0000, "FC-FF"))),
    FromCodec(40, "CP1250", "cp1250", "cp1250_to_ucs2", (Filler(0x0000, "81 83 88 90 98"),)),
    FromCodec(41, "CP1251", "cp1251", "cp1251_to_ucs2", (Filler(0x0000, "98"),)),
    FromCodec(42, "CP1252", "cp1252", "cp1252_to_ucs2", (Filler(0xFFFD, "81 8D 8F 90 9D"),)),
    FromCodec(43, "CP1253", "cp1253", "cp1253_to_ucs2",
              (Filler(0xFFFD, "81 88 8A 8C-90 98 9A 9C-9F AA D2 FF"),)),
    FromCodec(44, "CP1254", "cp1254", "cp1254_to_ucs2", (Filler(0xFFFD, "81 8D-90 9D 9E"),)),
    FromCodec(45, "CP1255", "cp1255", "cp1255_to_ucs2",
              (Filler(0xFFFD, "81 8A 8C-90 9A 9C-9F CA D9-DF FB FC"), Filler(0x0000, "FF"))),
    FromCodec(46, "CP1256", "cp1256", "cp1256_to_ucs2"),
    FromCodec(47, "CP1257", "cp1257", "cp1257_to_ucs2",
              (Filler(0xFFFD, "81 83 88 8A 8C 90 98 9A 9C 9F A1 A5"),)),
    FromCodec(48, "CP1258", "cp1258", "cp1258_to_ucs2",
              (Filler(0xFFFD, "81 8A 8D-90 9A 9D 9E"),)),
    # The IBM code pages with bytes 0x00..0x7F as ASCII, not as graphics.
    FromCodec(49, "CP850", "cp850", "cp850_to_ucs2"),
    FromCodec(50, "CP866", "cp866", "cp866_to_ucs2"),
    # Ids after the first 35, read by the general conversion only.
    FromCodec(62, "CP437", "cp437", "cp437_to_ucs2"),
    # The 1998 edition: DB the euro, F0 the Apple logo in the Private Use Area.
    FromCodec(63, "Mac Roman", "mac_roman", "mac_roman_to_ucs2"),
]
LATER_IDS = [62, 63]

NO_CHARACTER = "no character in {}"


def new_table(name, charset_id, charset):
    return Table(name, BYTES, BYTE_LAYOUT, [f"{charset} (id {charset_id}), one cell per byte."])


def from_codec(charset):
    snapshot = read_snapshot(charset.snapshot)
    table = new_table(charset.table, charset.id, charset.name)
    table.load(snapshot.codes_of_length(1), snapshot.input_path())
    for filler in charset.fillers:
        table.fix(byte_list(filler.codes), filler.value, NO_CHARACTER.format(charset.name))
    return table, [snapshot]


def koi8_ru():
    snapshot = read_snapshot("koi8_u")
    table = new_table("koi8_ru_to_ucs2", 23, "KOI8-RU")
    table.load(snapshot.codes_of_length(1), snapshot.input_path())
    table.override(
        [
            Override(0xAE, 0x045E, "KOI8-RU's Belarusian small short u, a box-drawing piece in KOI8-U"),
            Override(0xBE, 0x040E, "KOI8-RU's Belarusian capital short u, a box-drawing piece in KOI8-U"),
        ],
        "KOI8-RU against KOI8-U",
    )
    return table, [snapshot]


def load_rows(table, rows, what, charset):
    """Rows of sixteen cells, keyed by their first byte. Characters are loaded;
    U+FFFD and 0 are the charset's fillers."""
    cells = []
    for first, text in rows.items():
        values = [int(value, 16) for value in text.split()]
        if len(values) != 16:
            raise TableError(f"{table.name}: row {first:02X} has {len(values)} cells")
        cells += [(first + column, value) for column, value in enumerate(values)]
    table.load([(b, v) for b, v in cells if v not in (0xFFFD, 0x0000)], what)
    for filler in (0xFFFD, 0x0000):
        codes = [b for b, v in cells if v == filler]
        if codes:
            table.fix(codes, filler, NO_CHARACTER.format(charset))


def same_bytes(codes):
    return [(b, b) for b in codes]


# IBM code page 1133, Lao.
CP1133_ROWS = {
    0xA0: "00A0 0E81 0E82 0E84 0E87 0E88 0EAA 0E8A 0E8D 0E94 0E95 0E96 0E97 0E99 0E9A 0E9B",
    0xB0: "0E9C 0E9D 0E9E 0E9F 0EA1 0EA2 0EA3 0EA5 0EA7 0EAB 0EAD 0EAE FFFD FFFD FFFD 0EAF",
    0xC0: "0EB0 0EB2 0EB3 0EB4 0EB5 0EB6 0EB7 0EB8 0EB9 0EBC 0EB1 0EBB 0EBD FFFD FFFD FFFD",
    0xD0: "0EC0 0EC1 0EC2 0EC3 0EC4 0EC8 0EC9 0ECA 0ECB 0ECC 0ECD 0EC6 FFFD 0EDC 0EDD 20AD",
    0xE0: "FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD FFFD",
    0xF0: "0ED0 0ED1 0ED2 0ED3 0ED4 0ED5 0ED6 0ED7 0ED8 0ED9 FFFD FFFD 00A2 00AC 00A6 0000",
}


def cp1133():
    table = new_table("cp1133_to_ucs2", 51, "CP1133")
    table.load(same_bytes(range(0x00, 0xA0)), "bytes 00..9F: ASCII and the C1 controls")
    load_rows(table, CP1133_ROWS, "the Lao rows A0..FF", "CP1133")
    return table, []


# TCVN 5712, Vietnamese: capital letters in the C0 range, and the precomposed
# letters and five combining tone marks (B0..B4) above 0x80.
TCVN_C0_LETTERS = {
    0x01: 0x00DA, 0x02: 0x1EE4, 0x04: 0x1EEA, 0x05: 0x1EEC, 0x06: 0x1EEE, 0x11: 0x1EE8,
    0x12: 0x1EF0, 0x13: 0x1EF2, 0x14: 0x1EF6, 0x15: 0x1EF8, 0x16: 0x00DD, 0x17: 0x1EF4,
}
TCVN_ROWS = {
    0x80: "00C0 1EA2 00C3 00C1 1EA0 1EB6 1EAC 00C8 1EBA 1EBC 00C9 1EB8 1EC6 00CC 1EC8 0128",
    0x90: "00CD 1ECA 00D2 1ECE 00D5 00D3 1ECC 1ED8 1EDC 1EDE 1EE0 1EDA 1EE2 00D9 1EE6 0168",
    0xA0: "00A0 0102 00C2 00CA 00D4 01A0 01AF 0110 0103 00E2 00EA 00F4 01A1 01B0 0111 1EB0",
    0xB0: "0300 0309 0303 0301 0323 00E0 1EA3 00E3 00E1 1EA1 1EB2 1EB1 1EB3 1EB5 1EAF 1EB4",
    0xC0: "1EAE 1EA6 1EA8 1EAA 1EA4 1EC0 1EB7 1EA7 1EA9 1EAB 1EA5 1EAD 00E8 1EC2 1EBB 1EBD",
    0xD0: "00E9 1EB9 1EC1 1EC3 1EC5 1EBF 1EC7 00EC 1EC9 1EC4 1EBE 1ED2 0129 00ED 1ECB 00F2",
    0xE0: "1ED4 1ECF 00F5 00F3 1ECD 1ED3 1ED5 1ED7 1ED1 1ED9 1EDD 1EDF 1EE1 1EDB 1EE3 00F9",
    0xF0: "1ED6 1EE7 0169 00FA 1EE5 1EEB 1EED 1EEF 1EE9 1EF1 1EF3 1EF7 1EF9 00FD 1EF5 1ED0",
}


def tcvn():
    table = new_table("tcvn_to_ucs2", 52, "TCVN")
    table.load(
        same_bytes(b for b in range(0x80) if b not in TCVN_C0_LETTERS),
        "bytes 00..7F but the twelve letters: ASCII",
    )
    table.load(sorted(TCVN_C0_LETTERS.items()), "the capital letters TCVN 5712 puts among the C0 controls")
    load_rows(table, TCVN_ROWS, "the rows 80..FF", "TCVN")
    return table, []


# ARMSCII-8: punctuation A1..B1, then the 38 Armenian letters as capital and
# small pairs from B2.
ARMSCII8_PUNCTUATION = [
    0x2741, 0x00A7, 0x0589, 0x0029, 0x0028, 0x00BB, 0x00AB, 0x2014, 0x002E,
    0x055D, 0x002C, 0x002D, 0x055F, 0x2026, 0x055C, 0x055B, 0x055E,
]
ARMENIAN_LETTERS = 38


def armscii8():
    table = new_table("armscii8_to_ucs2", 53, "ARMSCII-8")
    table.load(same_bytes(range(0x00, 0xA1)), "bytes 00..A0: ASCII, the C1 controls, no-break space")
    table.load(list(zip(range(0xA1, 0xB2), ARMSCII8_PUNCTUATION)), "the punctuation A1..B1")
    table.load(
        [(0xB2 + 2 * k, 0x0531 + k) for k in range(ARMENIAN_LETTERS)]
        + [(0xB3 + 2 * k, 0x0561 + k) for k in range(ARMENIAN_LETTERS)],
        "Armenian capital (B2 + 2k, U+0531 + k) and small (B3 + 2k, U+0561 + k) letters",
    )
    table.load([(0xFE, 0x2019), (0xFF, 0x0027)], "apostrophes FE and FF")
    return table, []


# MacThai: 80..9F hold punctuation and the tone marks' positional variants
# (private use U+F884..U+F899); the Thai letters sit 0x0D60 below their code
# points, as in TIS-620.
MACTHAI_ROWS = {
    0x80: "00AB 00BB 2026 F88C F88F F892 F895 F898 F88B F88E F891 F894 F897 201C 201D F899",
    0x90: "FFFD 2022 F884 F889 F885 F886 F887 F888 F88A F88D F890 F893 F896 2018 2019 FFFD",
}
MACTHAI_THAI = "A1-DA DF-ED EF-F9"
MACTHAI_OTHERS = {
    0xDB: 0xFEFF, 0xDC: 0x200B, 0xDD: 0x2013, 0xDE: 0x2014, 0xEE: 0x2122, 0xFA: 0x00AE, 0xFB: 0x00A9,
}


def macthai():
    table = new_table("macthai_to_ucs2", 54, "MacThai")
    table.load(same_bytes(range(0x80)), "bytes 00..7F: ASCII")
    load_rows(table, MACTHAI_ROWS, "punctuation and tone-mark variants 80..9F", "MacThai")
    table.load([(0xA0, 0x00A0)], "A0, the no-break space")
    table.load([(b, b + 0x0D60) for b in byte_list(MACTHAI_THAI)], f"Thai {MACTHAI_THAI}: byte + 0x0D60")
    table.load(sorted(MACTHAI_OTHERS.items()), "the signs and spaces among the Thai letters")
    table.fix(byte_list("FC-FF"), 0x0000, NO_CHARACTER.format("MacThai"))
    return table, []


# MULELAO-1: the Lao block laid out from A1 in code point order, with holes
# where Lao has no character.
MULELAO1_HOLES = "A3 A5 A6 A9 AB AC AE AF B0-B3 B8 C0 C4 C6 C8 C9 CC DA DE DF E5 E7 EE EF FA FB"


def mulelao1():
    table = new_table("mulelao1_to_ucs2", 55, "MULELAO-1")
    holes = byte_list(MULELAO1_HOLES)
    table.load(same_bytes(range(0x00, 0xA1)), "bytes 00..A0: ASCII, the C1 controls, no-break space")
    table.load(
        [(b, b + 0x0DE0) for b in range(0xA1, 0xFE) if b not in holes], "Lao A1..FD: byte + 0x0DE0"
    )
    table.fix(holes, 0xFFFD, "no Lao character at this place of the block")
    table.fix(byte_list("FE FF"), 0x0000, NO_CHARACTER.format("MULELAO-1"))
    return table, []


# Where several bytes of one charset give one code point, the byte the reverse
# keeps instead of the lowest, by table: none. Only ARMSCII-8 gives code
# points twice, six ASCII punctuation marks repeated at A4..AC and FF; the
# lowest, the ASCII byte, is the one glibc's ARMSCII-8 converter writes too.
REVERSE_CHOICES = {}


def no_nul(table):
    """Overrides every cell listed as 0, but byte 0x00's, to U+FFFD."""
    listed_zero = [byte for byte in range(1, BYTES) if table.cells[byte] == 0x0000]
    if listed_zero:
        table.override(
            [Override(byte, 0xFFFD, f"no character, listed as 0; {NOT_NUL}") for byte in listed_zero],
            "cells listed as 0 but byte 0x00",
        )


@dataclass
class Built:
    id: int
    charset: str
    table: Table


def build():
    made = {charset.id: (charset.name, *from_codec(charset)) for charset in FROM_CODECS}
    for charset_id, name, maker in (
        (23, "KOI8-RU", koi8_ru),
        (51, "CP1133", cp1133),
        (52, "TCVN", tcvn),
        (53, "ARMSCII-8", armscii8),
        (54, "MacThai", macthai),
        (55, "MULELAO-1", mulelao1),
    ):
        made[charset_id] = (name, *maker())
    if sorted(made) != list(range(FIRST_ID, LAST_ID + 1)) + LATER_IDS:
        raise TableError(f"ids made: {sorted(made)}, expected {FIRST_ID}..{LAST_ID} and {LATER_IDS}")
    built, snapshots = [], {}
    for charset_id in sorted(made):
        name, table, used = made[charset_id]
        table.finish()
        no_nul(table)
        if len(table.cells) != BYTES:
            raise TableError(f"{table.name}: {len(table.cells)} cells")
        built.append(Built(charset_id, name, table))
        for snapshot in used:
            snapshots[snapshot.name] = snapshot
    return list(snapshots.values()), built


def keeps_ascii(table):
    return all(table.cells[b] == b for b in range(0x80))


def source_head(snapshots):
    head = [
        f"Generated by tools/tablegen/gen_single_byte.py from the {len(snapshots)} snapshots below "
        "and the rows in the script; do not edit.",
        "",
        "Inputs:",
    ]
    return head + [f"  {snapshot.input_path()}: {snapshot.source}" for snapshot in snapshots]


def render(snapshots, built):
    head = source_head(snapshots)
    head += [
        "",
        "The single-byte charsets, ids 21 to 55, 62 and 63: one table of 256 cells per charset,",
        "indexed by the byte. A byte without a character holds U+FFFD, which the decoder",
        "writes like any other cell; only byte 0x00 holds 0.",
    ]
    for item in built:
        head += ["", f"{item.table.name}:"]
        head += [f"  {line}" for line in item.table.doc]
        head += ["  Made in this order:"]
        head += [f"  - {line}" if not line.startswith("  ") else f"  {line}" for line in item.table.steps]
    parts = [comment(head[:1]), "// clang-format off\n", comment(head[1:])]
    parts.append("\n#include <cstdint>\n#include <iterator>\n\nnamespace zel {\n")
    for item in built:
        parts.append("\n" + render_array(item.table))
    width = max(len(item.table.name) for item in built) + 2
    parts.append("\nextern const std::uint16_t (*const single_byte_tables[])[256] = {\n")
    parts += [f"    {'&' + item.table.name + ',':<{width}} // {item.id} {item.charset}\n" for item in built]
    parts.append("};\n")
    parts.append("\n// Whether bytes 0x00..0x7F decode to themselves, so runs of them may be copied.\n")
    parts.append("extern const bool single_byte_ascii_kept[] = {\n")
    parts += [
        f"    {('true' if keeps_ascii(item.table) else 'false') + ',':<7}// {item.id} {item.charset}\n"
        for item in built
    ]
    parts.append("};\n\n}  // namespace zel\n\n")
    parts.append(
        comment(
            [
                "single_byte.h comes after the definitions on purpose: its sized declarations",
                "must agree with the cells and entries written above or the build fails.",
            ]
        )
    )
    parts.append('#include "src/tables/single_byte.h"\n\n')
    parts.append("static_assert(std::size(zel::single_byte_tables) == zel::single_byte_table_count);\n")
    parts.append("static_assert(std::size(zel::single_byte_ascii_kept) == zel::single_byte_table_count);\n")
    return "".join(parts)


def reverses_of(built):
    names = {item.table.name for item in built}
    unknown = sorted(set(REVERSE_CHOICES) - names)
    if unknown:
        raise TableError(f"choices for no table made here: {', '.join(unknown)}")
    return [Reverse(item.table, REVERSE_CHOICES.get(item.table.name, [])) for item in built]


def render_reverses(snapshots, built, reverses):
    head = source_head(snapshots) + [""] + reverse_intro("single_byte.cpp")
    head += [
        "",
        "Each charset's pair of arrays is reached through single_byte_reverses, by id as",
        "single_byte_tables is.",
    ]
    for reverse in reverses:
        head += [""] + reverse.head()
    parts = [comment(head[:1]), "// clang-format off\n", comment(head[1:])]
    parts.append("\n#include <cstdint>\n#include <iterator>\n\nnamespace zel {\n")
    parts += ["\n" + reverse.render() for reverse in reverses]
    parts.append("\n}  // namespace zel\n\n")
    parts.append(
        comment(
            [
                "reverse.h comes after the arrays on purpose: each entry below takes its sizes",
                "from the arrays as written, and the header's declaration must agree with the",
                "entries or the build fails.",
            ]
        )
    )
    parts.append(f'#include "{REVERSE_HEADER}"\n\nnamespace zel {{\n\n')
    parts.append("constinit const reverse_table single_byte_reverses[] = {\n")
    parts += [
        f"    reverse_table_of({reverse.name}_index, {reverse.name}_pages),  // {item.id} {item.charset}\n"
        for item, reverse in zip(built, reverses)
    ]
    parts.append("};\n\n}  // namespace zel\n\n")
    parts.append("static_assert(std::size(zel::single_byte_reverses) == zel::single_byte_table_count);\n")
    return "".join(parts)


def main(argv):
    out_dir = out_dir_from_argv(argv)
    snapshots, built = build()
    reverses = reverses_of(built)  # checked both ways before anything is written
    for name, text in (
        ("single_byte.cpp", render(snapshots, built)),
        ("single_byte_reverse.cpp", render_reverses(snapshots, built, reverses)),
    ):
        print(f"wrote {write_text(out_dir, name, text)}")


if __name__ == "__main__":
    try:
        main(sys.argv)
    except TableError as error:
        raise SystemExit(f"gen_single_byte.py: {error}")
