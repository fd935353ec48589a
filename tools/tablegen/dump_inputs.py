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
    pairs = decoder_sweep("cp950", two_byte_codes(range(0x80, 0x100), range(0x40, 0xFF)))
    return Snapshot(
        python_source("cp950", "decoder"),
        [
            "two-byte codes: lead 80..FF, trail 40..FE",
            f"{len(pairs)} codes decode to one BMP code unit",
        ],
        pairs,
    )


SOURCES = {
    "gb18030": dump_gb18030,
    "gbk": dump_gbk,
    "cp950": dump_cp950,
}


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
