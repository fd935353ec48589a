#!/usr/bin/env python3
"""Writes the character reference golden files under tests/data/.

Same format as golden_files.py: '#' lines are comments (the first names the
Python version and what is decoded), every other line is input<TAB>expected
in upper-case hex bytes.

    entities_utf8_golden.txt     for every named reference: "&name;", then the
    entities_gbk_golden.txt      same character as "&#decimal;" and "&#xhex;",
    entities_gb18030_golden.txt  each to the character's bytes in that
                                 encoding by Python's codec, empty where it
                                 has no code (tests/entity_test.cpp lists
                                 what the library writes there).
    entities_case_golden.txt     the names in other cases ("&AMP;", "&Eth;",
                                 "&eth;"...), decoded as UTF-8: a spelling that
                                 is itself a name gives its character, any
                                 other stays as written.

The names come straight from Python's html.entities (HTML 4.01's 252 names)
plus apos, typed in again below; the bytes from Python's codecs. This script
shares no code with tools/tablegen on purpose: it is the oracle the entity
table is checked against.

    python3 tools/testdata/make_golden_entities.py [--skip-missing] [output folder, default tests/data]
"""

import html.entities
import sys

from golden_files import PYTHON, encoded, main

# XML's apostrophe, which HTML 4.01 lacks; this library reads it too.
NAMES = dict(html.entities.name2codepoint, apos=0x27)

assert len(NAMES) == 253


def spellings(name, point):
    """The reference to `point` by name, in decimal and in hex."""
    return [f"&{name};", f"&#{point};", f"&#x{point:X};"]


def other_cases(name):
    variants = {name.upper(), name.lower(), name.swapcase(), name.capitalize(), name[:-1] + name[-1].swapcase()}
    variants.discard(name)
    return sorted(variants)


def references(codec):
    def make():
        names = sorted(NAMES)
        pairs = []
        for name in names:
            point = NAMES[name]
            pairs += [(text.encode("ascii"), encoded(point, codec)) for text in spellings(name, point)]
        return [f"{PYTHON} html.entities.name2codepoint and apos: references decoded in {codec.replace('-', '')}",
                f"{len(names)} names, each as &name; &#decimal; &#xhex;"], pairs

    return make


def names_in_other_cases():
    pairs = []
    for name in sorted(NAMES):
        for variant in other_cases(name):
            text = f"&{variant};".encode("ascii")
            pairs.append((text, encoded(NAMES[variant], "utf-8") if variant in NAMES else text))
    return [f"{PYTHON} html.entities.name2codepoint and apos: names in other cases, decoded in utf8"], pairs


if __name__ == "__main__":
    main(sys.argv, [
        ("entities_utf8_golden.txt", references("utf-8")),
        ("entities_gbk_golden.txt", references("gbk")),
        ("entities_gb18030_golden.txt", references("gb18030")),
        ("entities_case_golden.txt", names_in_other_cases),
    ])
