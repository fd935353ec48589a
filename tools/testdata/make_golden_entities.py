#!/usr/bin/env python3
"""Writes the character reference golden files under tests/data/.

Same format as make_golden.py: '#' lines are comments (the first names the
Python version and what is decoded), every other line is input<TAB>expected
in upper-case hex bytes.

    entities_utf8_golden.txt     for every named reference: "&name;", then the
    entities_gbk_golden.txt      same character as "&#decimal;" and "&#xhex;",
    entities_gb18030_golden.txt  each to the character's bytes in that
                                 encoding (20, a space, where GBK has no code).
    entities_case_golden.txt     the names in other cases ("&AMP;", "&Eth;",
                                 "&eth;"...), decoded as UTF-8: a spelling that
                                 is itself a name gives its character, any
                                 other stays as written.

The names come straight from Python's html.entities (HTML 4.01's 252 names)
plus apos, typed in again below; the bytes from Python's codecs. This script
shares no code with tools/tablegen on purpose: it is the oracle the entity
table is checked against.

    python3 tools/testdata/make_golden_entities.py [output folder, default tests/data]
"""

import html.entities
import sys

from golden_files import PYTHON, SPACE, output_folder, write

# XML's apostrophe, which HTML 4.01 lacks; this library reads it too.
NAMES = dict(html.entities.name2codepoint, apos=0x27)

# Every code point here lies below U+3000: clear of the private-use area and
# of the ideographs where this library's GBK output differs from code page
# 936, so Python's codecs with the two rules below are the whole oracle.
assert len(NAMES) == 253 and max(NAMES.values()) < 0x3000


def gbk(point):
    if point < 0x80:
        return bytes((point,))
    try:
        code = chr(point).encode("gbk")
    except UnicodeEncodeError:
        return SPACE
    return code if len(code) == 2 else SPACE  # no single-byte euro


def gb18030(point):
    return chr(point).encode("gb18030")


def utf8(point):
    return chr(point).encode("utf-8")


def spellings(name, point):
    """The reference to `point` by name, in decimal and in hex."""
    return [f"&{name};", f"&#{point};", f"&#x{point:X};"]


def other_cases(name):
    variants = {name.upper(), name.lower(), name.swapcase(), name.capitalize(), name[:-1] + name[-1].swapcase()}
    variants.discard(name)
    return sorted(variants)


def main(argv):
    out = output_folder(argv)
    names = sorted(NAMES)
    for encoding, encode in (("utf8", utf8), ("gbk", gbk), ("gb18030", gb18030)):
        pairs = []
        for name in names:
            point = NAMES[name]
            pairs += [(text.encode("ascii"), encode(point)) for text in spellings(name, point)]
        write(out, f"entities_{encoding}_golden.txt",
              [f"{PYTHON} html.entities.name2codepoint and apos: references decoded in {encoding}",
               f"{len(names)} names, each as &name; &#decimal; &#xhex;"],
              pairs)
    pairs = []
    for name in names:
        for variant in other_cases(name):
            text = f"&{variant};".encode("ascii")
            pairs.append((text, utf8(NAMES[variant]) if variant in NAMES else text))
    write(out, "entities_case_golden.txt",
          [f"{PYTHON} html.entities.name2codepoint and apos: names in other cases, decoded in utf8"],
          pairs)


if __name__ == "__main__":
    main(sys.argv)
