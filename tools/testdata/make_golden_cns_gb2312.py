#!/usr/bin/env python3
"""Writes the golden files under tests/data/ for EUC-CN, EUC-TW and
ISO-2022-CN input, straight from the published mappings.

Format: lines starting with '#' are comments (the first names the source);
every other line is

    input<TAB>expected

both as upper-case hex bytes: a code's bytes and the pivot text
(UCS-2 little-endian) its source gives for it. The expected field is empty
where the source has no character of the Basic Multilingual Plane for the
code: what the library puts there (U+FFFD or 0) and the cells where it
departs from the source are its own rules, typed into the test.

    gb2312_python_golden.txt   Python's gb2312 codec: every EUC-CN pair
                               A1..FE x A1..FE.
    euc_tw_glibc_golden.txt    glibc iconv EUC-TW: every code of CNS planes 1
                               and 2, as 8E A1 / 8E A2 row column, and every
                               two-byte plane 1 code row column (A1..FE each).
    cns_plane3_unihan_golden.txt  Unihan's kCNS1992 field (Debian
                               unicode-data): every plane 3 code as
                               8E A3 row column.

This script shares no code with tools/tablegen on purpose: it is an oracle
the tables are checked against, so it must not inherit a generator's
mistake. It needs glibc and /usr/share/unicode (apt-get install unicode-data);
the tests only read its output.

    python3 tools/testdata/make_golden_cns_gb2312.py [output folder, default tests/data]
"""

import bz2
import ctypes
import ctypes.util
import platform
import sys
from pathlib import Path

OUT = Path(__file__).resolve().parents[2] / "tests" / "data"
UNIHAN = Path("/usr/share/unicode/Unihan_OtherMappings.txt.bz2")
SQUARE = range(0xA1, 0xFF)


def pivot(unit):
    return b"" if unit is None else unit.to_bytes(2, "little")


def bmp_unit(points):
    return points[0] if points and len(points) == 1 and points[0] <= 0xFFFF else None


def write(out, name, header, pairs):
    lines = [f"# {line}\n" for line in header]
    lines += [f"{given.hex().upper()}\t{expected.hex().upper()}\n" for given, expected in pairs]
    path = out / name
    path.write_text("".join(lines), encoding="ascii", newline="\n")
    print(f"wrote {path} ({len(pairs)} cases)")


def gb2312_python():
    pairs = []
    for lead in SQUARE:
        for trail in SQUARE:
            code = bytes((lead, trail))
            try:
                text = code.decode("gb2312")
            except UnicodeDecodeError:
                text = ""
            pairs.append((code, pivot(bmp_unit([ord(c) for c in text]))))
    return pairs


class Iconv:
    """glibc's iconv from `charset` to UTF-32LE, one code at a time."""

    def __init__(self, charset):
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"))
        libc = self.libc
        libc.iconv_open.restype = ctypes.c_void_p
        libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        libc.iconv.restype = ctypes.c_size_t
        text, size = ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)
        libc.iconv.argtypes = [ctypes.c_void_p, text, size, text, size]
        libc.gnu_get_libc_version.restype = ctypes.c_char_p
        self.version = libc.gnu_get_libc_version().decode("ascii")
        self.handle = libc.iconv_open(b"UTF-32LE", charset.encode("ascii"))
        if self.handle in (None, ctypes.c_void_p(-1).value):
            raise SystemExit(f"glibc iconv cannot read {charset}")

    def points(self, data):
        """The code points of `data`, or None if iconv refuses any of it."""
        self.libc.iconv(self.handle, None, None, None, None)
        source = ctypes.create_string_buffer(data, len(data))
        source_at, source_left = ctypes.c_char_p(ctypes.addressof(source)), ctypes.c_size_t(len(data))
        target = ctypes.create_string_buffer(64)
        target_at, target_left = ctypes.c_char_p(ctypes.addressof(target)), ctypes.c_size_t(64)
        result = self.libc.iconv(
            self.handle, ctypes.byref(source_at), ctypes.byref(source_left),
            ctypes.byref(target_at), ctypes.byref(target_left),
        )
        if result == ctypes.c_size_t(-1).value or source_left.value:
            return None
        raw = target.raw[: 64 - target_left.value]
        return [int.from_bytes(raw[at : at + 4], "little") for at in range(0, len(raw), 4)]


def euc_tw_glibc(iconv):
    pairs = []
    for prefix in (b"\x8E\xA1", b"\x8E\xA2", b""):
        for row in SQUARE:
            for column in SQUARE:
                code = prefix + bytes((row, column))
                pairs.append((code, pivot(bmp_unit(iconv.points(code)))))
    return pairs


def cns_plane3_unihan():
    version, plane3 = "?", {}
    with bz2.open(UNIHAN, "rt", encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("# Unicode version:"):
                version = line.split(":", 1)[1].strip()
            fields = line.rstrip("\n").split("\t")
            if line.startswith("#") or len(fields) != 3 or fields[1] != "kCNS1992":
                continue
            for value in fields[2].split():
                plane, code = value.split("-")
                if plane == "3":
                    plane3[int(code, 16)] = int(fields[0][2:], 16)
    pairs = []
    for row in SQUARE:
        for column in SQUARE:
            unit = plane3.get((row - 0x80) << 8 | (column - 0x80))
            pairs.append((bytes((0x8E, 0xA3, row, column)), pivot(bmp_unit([unit] if unit else None))))
    return version, pairs


def main(argv):
    out = Path(argv[1]) if len(argv) > 1 else OUT
    out.mkdir(parents=True, exist_ok=True)
    if not UNIHAN.exists():
        raise SystemExit(f"{UNIHAN} is missing: apt-get install unicode-data")
    write(out, "gb2312_python_golden.txt",
          [f"python {platform.python_version()} codecs gb2312: EUC-CN pairs to UCS-2LE; empty: none"],
          gb2312_python())
    iconv = Iconv("EUC-TW")
    write(out, "euc_tw_glibc_golden.txt",
          [f"glibc {iconv.version} iconv EUC-TW: planes 1 and 2 (8E A1, 8E A2) and two-byte"
           " plane 1 codes to UCS-2LE; empty: none"],
          euc_tw_glibc(iconv))
    version, pairs = cns_plane3_unihan()
    write(out, "cns_plane3_unihan_golden.txt",
          [f"Unicode {version} Unihan kCNS1992: plane 3 codes (8E A3) to UCS-2LE; empty: none"],
          pairs)


if __name__ == "__main__":
    main(sys.argv)
