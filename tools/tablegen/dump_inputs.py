#!/usr/bin/env python3
"""Snapshots the mapping data published on this machine into plain text files.

Each snapshot is tools/tablegen/inputs/<name>.txt: a first comment line naming
the tool, its version and the mapping it came from, further comment lines
saying what was swept, then one `code<TAB>unit` line per mapped code, both in
upper-case hex. A code is written as its bytes (`8140`, `81308130`), a unit as
its UCS-2 value (`4E02`). Shorter codes come first, each length in
ascending byte order.

The generators read only these files, so an update of Python (or later of
glibc or the Unicode data) shows up as a diff of a snapshot, never as cells
that changed silently. Run it by hand after such an update:

    python3 tools/tablegen/dump_inputs.py            # every source
    python3 tools/tablegen/dump_inputs.py gb18030    # one source
    python3 tools/tablegen/dump_inputs.py --out DIR  # compare without writing

Adding a source means adding one function that returns a Snapshot and naming
it in SOURCES. Python 3 standard library only.
"""

import argparse
import platform
import sys
from dataclasses import dataclass
from pathlib import Path

INPUTS = Path(__file__).resolve().parent / "inputs"


@dataclass
class Snapshot:
    source: str  # first comment line: tool, version, mapping
    notes: list  # further comment lines
    pairs: list  # (code bytes, unit), any order; written sorted


def python_source(codec, direction):
    return f"python {platform.python_version()} codecs {codec} ({direction})"


def decoded_unit(codec, code):
    """The one code unit `code` decodes to, or None if it decodes to nothing
    or to anything but a single character of the Basic Multilingual Plane."""
    try:
        text = code.decode(codec)
    except UnicodeDecodeError:
        return None
    if len(text) != 1 or ord(text) > 0xFFFF:
        return None
    return ord(text)


def two_byte_codes(leads, trails):
    for lead in leads:
        for trail in trails:
            yield bytes((lead, trail))


def decoder_sweep(codec, codes):
    pairs = []
    for code in codes:
        unit = decoded_unit(codec, code)
        if unit is not None:
            pairs.append((code, unit))
    return pairs


def two_byte_snapshot(codec, leads, trails, what="two-byte codes"):
    """Every pair of `leads` x `trails` through a Python decoder."""
    pairs = decoder_sweep(codec, two_byte_codes(leads, trails))
    return Snapshot(
        python_source(codec, "decoder"),
        [
            f"{what}: lead {leads[0]:02X}..{leads[-1]:02X}, trail {trails[0]:02X}..{trails[-1]:02X}",
            f"{len(pairs)} codes decode to one BMP code unit",
        ],
        pairs,
    )


def gb18030_four_byte_bmp_codes():
    """81 30 81 30 .. 84 31 A4 39, the four-byte codes of the Basic
    Multilingual Plane, in byte order."""
    last = bytes.fromhex("8431A439")
    for b1 in range(0x81, 0x85):
        for b2 in range(0x30, 0x3A):
            for b3 in range(0x81, 0xFF):
                for b4 in range(0x30, 0x3A):
                    code = bytes((b1, b2, b3, b4))
                    if code > last:
                        return
                    yield code


def dump_gb18030():
    two = decoder_sweep("gb18030", two_byte_codes(range(0x81, 0xFF), range(0x40, 0xFF)))
    four = decoder_sweep("gb18030", gb18030_four_byte_bmp_codes())
    return Snapshot(
        python_source("gb18030", "decoder"),
        [
            "two-byte codes: lead 81..FE, trail 40..FE; four-byte codes: 81308130..8431A439",
            f"{len(two)} two-byte and {len(four)} four-byte codes decode to one BMP code unit",
        ],
        two + four,
    )


def dump_gbk():
    # The encoder direction is what a GBK output table needs: every code unit
    # that Python's gbk codec writes as two bytes.
    pairs = []
    for unit in range(0x80, 0x10000):
        if 0xD800 <= unit <= 0xDFFF:
            continue
        try:
            code = chr(unit).encode("gbk")
        except UnicodeEncodeError:
            continue
        if len(code) == 2:
            pairs.append((code, unit))
    return Snapshot(
        python_source("gbk", "encoder"),
        [
            "code units U+0080..U+FFFF (surrogates skipped) that encode to two bytes",
            f"{len(pairs)} code units",
        ],
        pairs,
    )


def dump_cp950():
    return two_byte_snapshot("cp950", range(0x80, 0x100), range(0x40, 0xFF))


def dump_cp932():
    singles = decoder_sweep("cp932", (bytes((b,)) for b in range(0x80, 0x100)))
    pairs = decoder_sweep("cp932", two_byte_codes(range(0x81, 0xFD), range(0x40, 0xFD)))
    return Snapshot(
        python_source("cp932", "decoder"),
        [
            "single bytes 80..FF; two-byte codes: lead 81..FC, trail 40..FC",
            f"{len(singles)} single bytes and {len(pairs)} two-byte codes decode to one BMP code unit",
        ],
        singles + pairs,
    )


def glibc_charmap(name):
    """(code bytes, unit, reversible) of each line of a glibc charmap."""
    import gzip
    import re

    path = Path("/usr/share/i18n/charmaps") / f"{name}.gz"
    line_re = re.compile(r"^(%IRREVERSIBLE%)?<U([0-9A-F]{4})>\s+((?:/x[0-9a-f]{2})+)")
    entries = []
    with gzip.open(path, "rt", encoding="ascii") as charmap:
        for line in charmap:
            match = line_re.match(line)
            if match:
                code = bytes(int(byte, 16) for byte in match.group(3).split("/x")[1:])
                entries.append((code, int(match.group(2), 16), not match.group(1)))
    return path, entries


def dump_glibc_writes(name):
    # The encoder direction: the code glibc writes for each character, the
    # lines its charmap does not mark irreversible.
    path, entries = glibc_charmap(name)
    pairs = [(code, unit) for code, unit, reversible in entries if reversible and code[0] >= 0x80]
    return Snapshot(
        f"glibc charmap {path} (Debian locales; encoder: lines not marked %IRREVERSIBLE%)",
        [f"{len(pairs)} codes from 0x80 on that glibc writes for their character"],
        pairs,
    )


def dump_cp949():
    # Leads 81..FE and trails 40..FE are every pair ksc5601_to_ucs2 indexes;
    # code page 949 has no lead 80 or FF.
    return two_byte_snapshot("cp949", range(0x81, 0xFF), range(0x40, 0xFF))


def dump_euc_jp():
    # JIS X 0208 is the A1..FE square, half-width katakana follow 8E, and
    # JIS X 0212 is the same square behind 8F.
    square = list(two_byte_codes(range(0xA1, 0xFF), range(0xA1, 0xFF)))
    jisx0208 = decoder_sweep("euc_jp", square)
    kana = decoder_sweep("euc_jp", (bytes((0x8E, b)) for b in range(0xA1, 0xFF)))
    jisx0212 = decoder_sweep("euc_jp", (b"\x8F" + code for code in square))
    return Snapshot(
        python_source("euc_jp", "decoder"),
        [
            "codes: A1..FE x A1..FE, 8E A1..FE, 8F A1..FE A1..FE",
            f"{len(jisx0208)} JIS X 0208, {len(kana)} single-shift 8E and {len(jisx0212)} JIS X 0212 "
            "codes decode to one BMP code unit",
        ],
        jisx0208 + kana + jisx0212,
    )


def dump_gb2312():
    # GB 2312 in its own form (A1A4 U+30FB, A1AA U+2015), not GBK's.
    return two_byte_snapshot("gb2312", range(0xA1, 0xFF), range(0xA1, 0xFF), "EUC-CN two-byte codes")


def glibc_decoder(charset):
    """A function from bytes to the code points glibc's iconv reads from them
    as `charset`, or None where iconv refuses them or leaves bytes unread."""
    import ctypes
    import ctypes.util

    libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
    libc.iconv_open.restype = ctypes.c_void_p
    libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    pointer = ctypes.POINTER(ctypes.c_char_p)
    size = ctypes.POINTER(ctypes.c_size_t)
    libc.iconv.restype = ctypes.c_size_t
    libc.iconv.argtypes = [ctypes.c_void_p, pointer, size, pointer, size]
    libc.gnu_get_libc_version.restype = ctypes.c_char_p
    handle = libc.iconv_open(b"UTF-32LE", charset.encode("ascii"))
    if handle in (None, ctypes.c_void_p(-1).value):
        raise SystemExit(f"glibc iconv has no {charset} converter")
    failed = ctypes.c_size_t(-1).value

    def decode(data):
        libc.iconv(handle, None, None, None, None)  # back to the initial state
        source = ctypes.create_string_buffer(data, len(data))
        source_at, source_left = ctypes.c_char_p(ctypes.addressof(source)), ctypes.c_size_t(len(data))
        target = ctypes.create_string_buffer(64)
        target_at, target_left = ctypes.c_char_p(ctypes.addressof(target)), ctypes.c_size_t(64)
        result = libc.iconv(
            handle, ctypes.byref(source_at), ctypes.byref(source_left),
            ctypes.byref(target_at), ctypes.byref(target_left),
        )
        if result == failed or source_left.value:
            return None
        written = target.raw[: 64 - target_left.value]
        return [int.from_bytes(written[at : at + 4], "little") for at in range(0, len(written), 4)]

    return decode, libc.gnu_get_libc_version().decode("ascii")


def dump_euc_tw():
    # Planes 1 and 2 of CNS 11643-1992 through EUC-TW's four-byte form
    # 8E A1/A2 row column; glibc's plane 3 holds far more (Extension A and
    # beyond) than the Unihan field the plane 3 table follows.
    decode, version = glibc_decoder("EUC-TW")
    pairs, refused = [], 0
    for plane in (0xA1, 0xA2):
        for code in two_byte_codes(range(0xA1, 0xFF), range(0xA1, 0xFF)):
            code = bytes((0x8E, plane)) + code
            points = decode(code)
            if points is None or len(points) != 1 or points[0] > 0xFFFF:
                refused += 1
                continue
            pairs.append((code, points[0]))
    return Snapshot(
        f"glibc {version} iconv EUC-TW (decoder)",
        [
            "EUC-TW four-byte codes 8E A1 and 8E A2 (planes 1 and 2), row and column A1..FE",
            f"{len(pairs)} codes decode to one BMP code unit; {refused} give none",
        ],
        pairs,
    )


UNICODE_DATA = Path("/usr/share/unicode")


def unihan_entries(file_name, field):
    """Unihan's Unicode version and, for every line of `field` in
    /usr/share/unicode/`file_name`, the code point and the value as
    written."""
    import bz2

    path = UNICODE_DATA / file_name
    if not path.exists():
        raise SystemExit(f"{path} is missing: apt-get install unicode-data")
    version = "?"
    entries = []
    with bz2.open(path, "rt", encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("# Unicode version:"):
                version = line.split(":", 1)[1].strip()
            if line.startswith("#") or f"\t{field}\t" not in line:
                continue
            point, _, values = line.rstrip("\n").split("\t")
            entries.append((int(point[2:], 16), values))
    return version, entries


def dump_cns_plane3():
    # Unihan's kCNS1992 entries 3-RRCC (RR, CC the 7-bit row and column),
    # written as the three bytes 03 RR CC.
    version, entries = unihan_entries("Unihan_OtherMappings.txt.bz2", "kCNS1992")
    pairs = []
    for unit, values in entries:
        for value in values.split():
            plane, code = value.split("-")
            if plane == "3" and unit <= 0xFFFF:
                pairs.append((bytes((3,)) + bytes.fromhex(code), unit))
    return Snapshot(
        f"Unicode {version} Unihan_OtherMappings.txt kCNS1992 (Debian unicode-data)",
        [
            "plane 3 entries 3-RRCC, each written as 03RRCC; only BMP code points",
            f"{len(pairs)} codes",
        ],
        pairs,
    )


def dump_html_entities():
    # Each name is written as its ASCII bytes in hex, like any other code, so
    # the snapshot keeps the one format every generator reads.
    import html.entities

    pairs = [(name.encode("ascii"), point) for name, point in html.entities.name2codepoint.items()]
    return Snapshot(
        f"python {platform.python_version()} html.entities.name2codepoint",
        [
            "the character entity references of HTML 4.01: name (ASCII bytes in hex), code point",
            f"{len(pairs)} names",
        ],
        pairs,
    )


def dump_unihan_variants(field):
    # One line per character of the Basic Multilingual Plane that has the
    # field: the character as its two code-unit bytes, then its variants in
    # Unihan's order, four hex digits each, run together (4E7E -> 4E7E5E72).
    # Variants beyond U+FFFF are left out: neither Big5 nor GB 2312 has any.
    version, entries = unihan_entries("Unihan_Variants.txt.bz2", field)
    pairs = []
    for unit, values in entries:
        variants = [int(value.split("<")[0][2:], 16) for value in values.split()]
        variants = [variant for variant in variants if variant <= 0xFFFF]
        if unit > 0xFFFF or not variants:
            continue
        packed = 0
        for variant in variants:
            packed = packed << 16 | variant
        pairs.append((unit.to_bytes(2, "big"), packed))
    return Snapshot(
        f"Unicode {version} Unihan_Variants.txt {field} (Debian unicode-data)",
        [
            "character, then its variants in Unihan's order, four hex digits each, run together;",
            f"only the Basic Multilingual Plane; {len(pairs)} characters",
        ],
        pairs,
    )


SOURCES = {
    "gb18030": dump_gb18030,
    "gbk": dump_gbk,
    "cp950": dump_cp950,
    "gb2312": dump_gb2312,
    "euc_tw": dump_euc_tw,
    "cns1992_plane3": dump_cns_plane3,
    "euc_jp": dump_euc_jp,
    "cp949": dump_cp949,
    "cp932": dump_cp932,
    "windows_31j_glibc_writes": lambda: dump_glibc_writes("WINDOWS-31J"),
    "html_entities": dump_html_entities,
    "unihan_simplified": lambda: dump_unihan_variants("kSimplifiedVariant"),
    "unihan_traditional": lambda: dump_unihan_variants("kTraditionalVariant"),
}


def dump_single_byte(codec):
    # Each byte decoded alone; the bytes a codec refuses are left out, and the
    # generator gives them the filler its charset's table holds there.
    pairs = decoder_sweep(codec, (bytes((b,)) for b in range(0x100)))
    return Snapshot(
        python_source(codec, "decoder"),
        [
            "bytes 00..FF, each decoded alone",
            f"{len(pairs)} bytes decode to one BMP code unit; {256 - len(pairs)} are refused",
        ],
        pairs,
    )


# The single-byte charsets Python has a codec for, one snapshot each.
SINGLE_BYTE_CODECS = ["koi8_r", "koi8_u", "latin_1"]
SINGLE_BYTE_CODECS += [f"iso8859_{number}" for number in [*range(2, 12), *range(13, 17)]]
SINGLE_BYTE_CODECS += ["cp874"] + [f"cp{page}" for page in range(1250, 1259)] + ["cp850", "cp866"]
SINGLE_BYTE_CODECS += ["cp437", "mac_roman"]
SOURCES.update({codec: lambda codec=codec: dump_single_byte(codec) for codec in SINGLE_BYTE_CODECS})


def render(snapshot):
    lines = [f"# {snapshot.source}\n"]
    lines += [f"# {note}\n" for note in snapshot.notes]
    codes = [code for code, _ in snapshot.pairs]
    if len(set(codes)) != len(codes):
        raise SystemExit(f"{snapshot.source}: a code appears twice")
    for code, unit in sorted(snapshot.pairs, key=lambda pair: (len(pair[0]), pair[0])):
        lines.append(f"{code.hex().upper()}\t{unit:04X}\n")
    return "".join(lines)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("names", nargs="*", help=f"sources to dump (default all: {', '.join(SOURCES)})")
    parser.add_argument("--out", type=Path, default=INPUTS, help="folder to write into")
    args = parser.parse_args(argv)
    unknown = [name for name in args.names if name not in SOURCES]
    if unknown:
        parser.error(f"unknown source {', '.join(unknown)}")
    args.out.mkdir(parents=True, exist_ok=True)
    for name in args.names or SOURCES:
        path = args.out / f"{name}.txt"
        path.write_text(render(SOURCES[name]()), encoding="ascii", newline="\n")
        print(f"wrote {path}")


if __name__ == "__main__":
    main(sys.argv[1:])
