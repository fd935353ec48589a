#!/usr/bin/env python3
"""Writes tests/data/single_byte_decode_golden.txt, which
tests/single_byte_test.cpp compares the single-byte decoders against.

Format as in make_golden.py: '#' lines are comments, every other line is
input<TAB>expected in upper-case hex; pivot text is UCS-2 little-endian. For
each charset id from 21 to 55 in turn, sixteen lines: the bytes 00..0F,
10..1F, ..., F0..FF and the pivot text they decode to. A comment line before
each block names the id, the charset and where its expectations came from.

The expectations come from converters and data that share nothing with
tools/tablegen:
- Python's codecs for KOI8-R, KOI8-U, ISO-8859-x and the Windows and IBM
  code pages, with the filler of every byte the codec refuses typed in below;
  KOI8-RU is Python's KOI8-U with its two Belarusian letters typed in.
- glibc's iconv (through ctypes) for CP1133, TCVN and ARMSCII-8, and Perl's
  Encode for MacThai, each with the bytes where this library's table differs
  from that converter typed in with the reason.
- Python's Unicode 3.2 database for MULELAO-1: the Lao block laid out from
  A1, U+FFFD where Unicode 3.2 has no Lao character.
Every byte but 0x00 that any of these gives 0 (the fillers typed in as 0)
is written as U+FFFD: the library never decodes a byte other than 0x00 to a
NUL, which would cut the text short.
Each converter is also checked to refuse exactly the bytes said to be
missing from it, so a converter that changes makes this script stop.

    python3 tools/testdata/make_golden_single_byte.py [output folder, default tests/data]

Needs glibc (any Debian) and perl with its Encode module (Debian's perl).
"""

import subprocess
import sys
import unicodedata

from golden_files import PYTHON, Iconv, output_folder

FILE = "single_byte_decode_golden.txt"


def byte_list(text):
    """'A1-A3 C0' -> [0xA1, 0xA2, 0xA3, 0xC0]."""
    codes = []
    for item in text.split():
        first, _, last = item.partition("-")
        codes += range(int(first, 16), int(last or first, 16) + 1)
    return codes


def fillers(fffd="", zero=""):
    cells = {b: 0xFFFD for b in byte_list(fffd)}
    cells.update({b: 0x0000 for b in byte_list(zero)})
    return cells


def python_byte(codec, b):
    try:
        text = bytes((b,)).decode(codec)
    except UnicodeDecodeError:
        return None
    return [ord(c) for c in text]


def perl_bytes(encoding):
    """Perl's Encode for each byte alone: a list of code points, or None."""
    script = (
        "use Encode; binmode STDOUT;"
        "for my $b (0..255) { my $s = eval { decode(q(%s), pack(q(C), $b), Encode::FB_CROAK) };"
        " print defined $s ? join(q( ), map { sprintf q(%%X), ord } split //, $s) : q(-), qq(\\n) }"
        " print qq($Encode::VERSION\\n);" % encoding
    )
    lines = subprocess.run(["perl", "-e", script], capture_output=True, text=True, check=True).stdout.split("\n")
    decoded = [None if line == "-" else [int(x, 16) for x in line.split()] for line in lines[:256]]
    return decoded, lines[256]


def expect_refused(what, converter_cells, refused):
    got = sorted(b for b in range(256) if converter_cells[b] is None)
    if got != sorted(refused):
        raise SystemExit(
            f"{what}: refuses {' '.join(f'{b:02X}' for b in got)}, "
            f"expected {' '.join(f'{b:02X}' for b in sorted(refused))}"
        )


def single(what, b, points):
    if points is None or len(points) != 1 or points[0] > 0xFFFF:
        raise SystemExit(f"{what}: byte {b:02X} gives {points}, not one code unit")
    return points[0]


def from_converter(what, cells, refused, differences):
    """Units from a converter's `cells` (code point lists or None), where the
    converter refuses exactly `refused`, with `differences` over both."""
    expect_refused(what, cells, refused)
    units = []
    for b in range(256):
        if b in differences:
            if cells[b] is not None and cells[b] == [differences[b]]:
                raise SystemExit(f"{what}: {b:02X} no longer differs from this library")
            units.append(differences[b])
        else:
            units.append(single(what, b, cells[b]))
    return units


# Ids with a Python codec, and the fillers of the bytes each refuses.
PYTHON_CHARSETS = [
    (21, "KOI8-R", "koi8_r", {}),
    (22, "KOI8-U", "koi8_u", {}),
    (24, "ISO-8859-1", "latin_1", {}),
    (25, "ISO-8859-2", "iso8859_2", {}),
    (26, "ISO-8859-3", "iso8859_3", fillers(fffd="A5 AE BE C3 D0 E3 F0")),
    (27, "ISO-8859-4", "iso8859_4", {}),
    (28, "ISO-8859-5", "iso8859_5", {}),
    (29, "ISO-8859-6", "iso8859_6", fillers(fffd="A1-A3 A5-AB AE-BA BC-BE C0 DB-DF", zero="F3-FF")),
    (30, "ISO-8859-7", "iso8859_7", fillers(fffd="AE D2", zero="FF")),
    (31, "ISO-8859-8", "iso8859_8", fillers(fffd="A1 BF-DE FB FC", zero="FF")),
    (32, "ISO-8859-9", "iso8859_9", {}),
    (33, "ISO-8859-10", "iso8859_10", {}),
    (34, "ISO-8859-11", "iso8859_11", fillers(fffd="DB-DE", zero="FC-FF")),
    (35, "ISO-8859-13", "iso8859_13", {}),
    (36, "ISO-8859-14", "iso8859_14", {}),
    (37, "ISO-8859-15", "iso8859_15", {}),
    (38, "ISO-8859-16", "iso8859_16", {}),
    (39, "CP874", "cp874", fillers(fffd="81-84 86-90 98-9F DB-DE", zero="FC-FF")),
    (40, "CP1250", "cp1250", fillers(zero="81 83 88 90 98")),
    (41, "CP1251", "cp1251", fillers(zero="98")),
    (42, "CP1252", "cp1252", fillers(fffd="81 8D 8F 90 9D")),
    (43, "CP1253", "cp1253", fillers(fffd="81 88 8A 8C-90 98 9A 9C-9F AA D2 FF")),
    (44, "CP1254", "cp1254", fillers(fffd="81 8D-90 9D 9E")),
    (45, "CP1255", "cp1255", fillers(fffd="81 8A 8C-90 9A 9C-9F CA D9-DF FB FC", zero="FF")),
    (46, "CP1256", "cp1256", {}),
    (47, "CP1257", "cp1257", fillers(fffd="81 83 88 8A 8C 90 98 9A 9C 9F A1 A5")),
    (48, "CP1258", "cp1258", fillers(fffd="81 8A 8D-90 9A 9D 9E")),
    (49, "CP850", "cp850", {}),
    (50, "CP866", "cp866", {}),
]


def python_charset(name, codec, filled):
    cells = [python_byte(codec, b) for b in range(256)]
    return from_converter(f"{name} ({codec})", cells, filled, filled), f"{PYTHON} codecs {codec}"


def koi8_ru():
    cells = [python_byte("koi8_u", b) for b in range(256)]
    # KOI8-RU puts the Belarusian short u where KOI8-U has two box-drawing
    # pieces.
    units = from_converter("KOI8-RU (koi8_u)", cells, {}, {0xAE: 0x045E, 0xBE: 0x040E})
    return units, f"{PYTHON} codecs koi8_u, AE and BE changed"


def cp1133():
    iconv = Iconv("IBM1133")
    cells = [iconv(bytes((b,))) for b in range(256)]
    # glibc leaves out the no-break space and the empty places of the Lao
    # rows; it reads DF (the kip sign here) as a Latin letter and FF (empty
    # here) as a no-break space.
    empty = fillers(fffd="BC-BE CD-CF DC E0-EF FA FB")
    refused = [0xA0, *empty]
    differences = {0xA0: 0x00A0, **empty, 0xDF: 0x20AD, 0xFF: 0x0000}
    units = from_converter("CP1133 (glibc IBM1133)", cells, refused, differences)
    return units, f"glibc {iconv.version} iconv IBM1133 with this library's differences"


def tcvn():
    iconv = Iconv("TCVN5712-1")
    cells = [iconv(bytes((b,))) for b in range(256)]
    units = from_converter("TCVN (glibc TCVN5712-1)", cells, [], {})
    return units, f"glibc {iconv.version} iconv TCVN5712-1"


def armscii8():
    iconv = Iconv("ARMSCII-8")
    cells = [iconv(bytes((b,))) for b in range(256)]
    # Where this library's ARMSCII-8 has the older punctuation: the eternity
    # sign at A1, the section sign at A2, the Armenian abbreviation mark at AD
    # and two apostrophes at FE and FF.
    differences = {0xA1: 0x2741, 0xA2: 0x00A7, 0xAD: 0x055F, 0xFE: 0x2019, 0xFF: 0x0027}
    units = from_converter("ARMSCII-8 (glibc)", cells, [0xA1, 0xFF], differences)
    return units, f"glibc {iconv.version} iconv ARMSCII-8 with this library's differences"


def macthai():
    cells, version = perl_bytes("MacThai")
    # Perl's MacThai writes each positional variant of a Thai mark as the
    # mark followed by a private-use hint (U+F873..U+F875); this library's
    # older table gives each variant one private-use code point instead.
    variants = {
        0x83: 0xF88C, 0x84: 0xF88F, 0x85: 0xF892, 0x86: 0xF895, 0x87: 0xF898,
        0x88: 0xF88B, 0x89: 0xF88E, 0x8A: 0xF891, 0x8B: 0xF894, 0x8C: 0xF897, 0x8F: 0xF899,
        0x92: 0xF884, 0x93: 0xF889, 0x94: 0xF885, 0x95: 0xF886, 0x96: 0xF887, 0x97: 0xF888,
        0x98: 0xF88A, 0x99: 0xF88D, 0x9A: 0xF890, 0x9B: 0xF893, 0x9C: 0xF896,
    }
    for b, unit in variants.items():
        if cells[b] is None or len(cells[b]) != 2 or not 0xF873 <= cells[b][1] <= 0xF875:
            raise SystemExit(f"MacThai (perl): {b:02X} gives {cells[b]}, not a mark with a hint")
    others = {
        0x7F: 0x007F,  # Perl's table has no DEL; ASCII here
        0xDB: 0xFEFF,  # the older table's zero-width no-break space (Perl: word joiner)
        **fillers(fffd="90 9F", zero="FC-FF"),
    }
    units = from_converter("MacThai (perl)", cells, byte_list("7F 90 9F FC-FF"), {**variants, **others})
    return units, f"perl Encode {version} MacThai with this library's differences"


def mulelao1():
    lao = unicodedata.ucd_3_2_0
    units = list(range(0xA1))
    for b in range(0xA1, 0xFE):
        point = b + 0x0DE0
        units.append(point if lao.category(chr(point)) != "Cn" else 0xFFFD)
    units += [0x0000, 0x0000]
    return units, "the Lao block from A1 (byte + 0x0DE0), U+FFFD where Unicode 3.2 has no character"


def charsets():
    made = {}
    for charset_id, name, codec, filled in PYTHON_CHARSETS:
        made[charset_id] = (name, *python_charset(name, codec, filled))
    for charset_id, name, maker in (
        (23, "KOI8-RU", koi8_ru),
        (51, "CP1133", cp1133),
        (52, "TCVN", tcvn),
        (53, "ARMSCII-8", armscii8),
        (54, "MacThai", macthai),
        (55, "MULELAO-1", mulelao1),
    ):
        made[charset_id] = (name, *maker())
    assert sorted(made) == list(range(21, 56))
    return [(charset_id, *made[charset_id]) for charset_id in range(21, 56)]


def main(argv):
    out = output_folder(argv)
    lines = [
        "# Single-byte charsets, ids 21 to 55, to UCS-2LE pivot: for each id, bytes 00..FF\n",
        "# in sixteen rows. Sources are named per id.\n",
    ]
    for charset_id, name, units, source in charsets():
        if len(units) != 256 or any(not 0 <= unit <= 0xFFFF for unit in units):
            raise SystemExit(f"{name}: not 256 code units")
        units = [0xFFFD if unit == 0 and b else unit for b, unit in enumerate(units)]
        lines.append(f"# id {charset_id} {name}: {source}\n")
        for row in range(0, 256, 16):
            given = bytes(range(row, row + 16))
            expected = b"".join(unit.to_bytes(2, "little") for unit in units[row : row + 16])
            lines.append(f"{given.hex().upper()}\t{expected.hex().upper()}\n")
    path = out / FILE
    path.write_text("".join(lines), encoding="ascii", newline="\n")
    print(f"wrote {path} (35 ids x 16 rows)")


if __name__ == "__main__":
    main(sys.argv)
