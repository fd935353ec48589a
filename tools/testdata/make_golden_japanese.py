#!/usr/bin/env python3
"""Writes the Japanese and ISO-2022-JP golden files under tests/data/ that
tests/japanese_test.cpp and tests/iso2022jp_test.cpp compare the library
against.

Format as in golden_files.py: '#' lines are comments, every other line is
input<TAB>expected in upper-case hex, pivot text UCS-2 little-endian. The
expected side is Python's own answer, unedited: the one code unit the codec
decodes the input to, or nothing when the codec refuses the input. What the
library does differently (its fixed cells, and the U+FFFD of a code the codec
refuses) is listed as data in the tests, not here.

    jisx0208_decode_golden.txt   JIS X 0208 (charset id 5): every pair
                                 A1..FE x A1..FE, by Python's euc_jp.
    jisx0212_decode_golden.txt   JIS X 0212 (charset id 6): every pair
                                 A1..FE x A1..FE, by Python's euc_jp behind 8F.
    shift_jis_decode_golden.txt  Shift_JIS (charset id 7): every single byte
                                 that is no lead (00..80, A0..DF), then every
                                 lead 81..9F, E0..FF with every trail 40..FE,
                                 by Python's shift_jis.
    euc_jp_decode_golden.txt     EUC-JP (charset id 19): every byte 00..7F,
                                 8E A1..DF, every pair A1..FE x A1..FE and
                                 every 8F with a pair, by Python's euc_jp.
    iso2022jp_decode_golden.txt  ISO-2022-JP (charset id 15): each byte
                                 21..7E after ESC ( J, and each pair 21..7E x
                                 21..7E after ESC $ B, ESC $ ( D, ESC $ ( C
                                 (Python's iso2022_jp_2) and ESC $ A (Python's
                                 gb18030 of the pair plus 0x80 each: the
                                 library reads GB 2312 with the GBK values,
                                 where iso2022_jp_2 has plain GB 2312), each
                                 closed by ESC ( B; then seeded random texts
                                 written by Python's iso2022_jp_2 encoder,
                                 whose expected side is the text encoded.

Python's codecs are the whole oracle here; this script shares no code with
tools/tablegen, so it cannot inherit a generator's mistake.

    python3 tools/testdata/make_golden_japanese.py [--skip-missing] [output folder, default tests/data]
"""

import random
import sys

from golden_files import PYTHON, main, verdict

ESC = b"\x1b"
TO_ASCII = ESC + b"(B"
SQUARE_8BIT = range(0xA1, 0xFF)
SQUARE_7BIT = range(0x21, 0x7F)


def square(prefix=b"", bytes_range=SQUARE_8BIT, suffix=b""):
    return [prefix + bytes((row, column)) + suffix for row in bytes_range for column in bytes_range]


def jisx0208_decode():
    return [(code, verdict(code, "euc_jp")) for code in square()]


def jisx0212_decode():
    return [(code, verdict(b"\x8f" + code, "euc_jp")) for code in square()]


def shift_jis_decode():
    singles = [bytes((b,)) for b in list(range(0x00, 0x81)) + list(range(0xA0, 0xE0))]
    leads = list(range(0x81, 0xA0)) + list(range(0xE0, 0x100))
    pairs = [bytes((lead, trail)) for lead in leads for trail in range(0x40, 0xFF)]
    return [(code, verdict(code, "shift_jis")) for code in singles + pairs]


def euc_jp_decode():
    codes = [bytes((b,)) for b in range(0x80)]
    codes += [bytes((0x8E, b)) for b in range(0xA1, 0xE0)]
    codes += square() + square(b"\x8f")
    return [(code, verdict(code, "euc_jp")) for code in codes]


def iso2022jp_sets():
    pairs = []
    for byte in SQUARE_7BIT:
        code = ESC + b"(J" + bytes((byte,)) + TO_ASCII
        pairs.append((code, verdict(code, "iso2022_jp_2")))
    for designation in (b"$B", b"$(D", b"$(C"):
        for code in square(ESC + designation, SQUARE_7BIT, TO_ASCII):
            pairs.append((code, verdict(code, "iso2022_jp_2")))
    for code in square(ESC + b"$A", SQUARE_7BIT, TO_ASCII):
        pair = code[3:5]
        pairs.append((code, verdict(bytes((pair[0] + 0x80, pair[1] + 0x80)), "gb18030")))
    return pairs


def text_pool():
    """Characters for the random texts: ASCII with line ends, and characters
    of JIS X 0208, JIS X 0212, KS X 1001 and GB 2312, which the encoder
    spreads over its escape sequences. Left out: U+FF3C (the library reads
    JIS X 0208's 0x2140 as U+005C), the euro and registered signs (the
    library leaves KS X 1001's 0x2266 and 0x2267 empty), and U+30FB and
    U+2015 (GB 2312's 0x2124 and 0x212A, which the library reads with the
    GBK values)."""
    left_out = {0xFF3C, 0x20AC, 0x00AE, 0x30FB, 0x2015}
    pool = set()
    for data, codec in (
        [(code, "euc_jp") for code in square()]
        + [(b"\x8f" + code, "euc_jp") for code in square()]
        + [(code, "euc_kr") for code in square()]
        + [(code, "gb2312") for code in square()]
    ):
        try:
            text = data.decode(codec)
        except UnicodeDecodeError:
            continue
        if len(text) == 1 and ord(text) not in left_out:
            pool.add(text)
    wide = sorted(pool)
    # The yen sign and the overline take the encoder into JIS X 0201 Roman.
    ascii = [chr(b) for b in range(0x20, 0x7F)] + ["\n", "\r\n", "\u00a5", "\u203e"]
    return ascii, wide


def iso2022jp_texts(count=120):
    rng = random.Random(2022)
    ascii, wide = text_pool()
    pairs = []
    while len(pairs) < count:
        pieces = []
        for _ in range(rng.randint(1, 24)):
            source = ascii if rng.random() < 0.3 else wide
            pieces.append("".join(rng.choice(source) for _ in range(rng.randint(1, 6))))
        text = "".join(pieces)
        # The encoder designates GB 2312 with ESC $ ( A; the library reads the
        # short form ESC $ A, which the decoder takes as well.
        encoded = text.encode("iso2022_jp_2").replace(ESC + b"$(A", ESC + b"$A")
        # Only the escape sequences the library reads; no G2 designations.
        if ESC + b"." in encoded or ESC + b"N" in encoded:
            continue
        if encoded.decode("iso2022_jp_2") != text:
            raise SystemExit(f"iso2022_jp_2 does not give back {text!r}")
        pairs.append((encoded, text.encode("utf-16-le")))
    return pairs


WHAT = "the codec's own answer, empty where it refuses the input"


def named(header, make):
    return lambda: ([header], make())


if __name__ == "__main__":
    main(sys.argv, [
        ("jisx0208_decode_golden.txt",
         named(f"{PYTHON} codecs euc_jp: JIS X 0208 (id 5) to UCS-2LE pivot; {WHAT}", jisx0208_decode)),
        ("jisx0212_decode_golden.txt",
         named(f"{PYTHON} codecs euc_jp, behind 8F: JIS X 0212 (id 6) to UCS-2LE pivot; {WHAT}",
               jisx0212_decode)),
        ("shift_jis_decode_golden.txt",
         named(f"{PYTHON} codecs shift_jis: Shift_JIS (id 7) to UCS-2LE pivot; {WHAT}", shift_jis_decode)),
        ("euc_jp_decode_golden.txt",
         named(f"{PYTHON} codecs euc_jp: EUC-JP (id 19) to UCS-2LE pivot; {WHAT}", euc_jp_decode)),
        ("iso2022jp_decode_golden.txt",
         lambda: ([f"{PYTHON} codecs iso2022_jp_2 (ESC $ A lines: gb18030 of the pair plus 0x80 each): "
                   f"ISO-2022-JP (id 15) to UCS-2LE pivot; {WHAT}",
                   "then random texts from the iso2022_jp_2 encoder, expected side the text encoded"],
                  iso2022jp_sets() + iso2022jp_texts())),
    ])
