#!/usr/bin/env python3
"""Writes tests/data/convert_<charset>_golden.txt, one file for each charset
the general conversion (zel_convert) reads and writes, which
tests/convert_golden_test.cpp runs both ways.

Format as in golden_files.py: '#' lines are comments, every other line is
input<TAB>expected in upper-case hex. Each file holds 2N lines:

  - N lines UTF-8 to the charset: the reference's encoding of a sample of
    the characters it holds, one character a line (a line end as LF and as
    CR LF); then, for the stateful charsets, a few texts of them; then, for
    a charset that lacks characters, one line of ASCII letters and
    characters the reference refuses, which it writes with '?' in their
    place (Python's errors="replace"; for the other references this script
    puts the '?' where the reference refuses the character).
  - N lines the charset to UTF-8: for the stateful charsets the reference's
    encoding of a few more texts; the sample's ASCII; a sample of the codes
    the reference reads, one code a line (of characters not in the first
    half, for the charsets without a code space of their own below); and,
    for the charsets of Unicode encoding forms, one line of ill-formed input
    that the reference reads with U+FFFD for each ill-formed sequence
    (errors="replace").

The samples are deterministic: every so many characters of what the
reference decodes (or of the code points, for the charsets that hold all
of Unicode, with a few beyond U+FFFF: emoji and CJK Extension B, and the
edges of the plane), a fixed ASCII sample, the small roman numeral one
wherever the reference holds it, and texts from a seeded random generator.
The expected sides are the reference's answers, unedited (only the inputs
of ISO-2022-JP designate GB 2312 by RFC 1554's ESC $ A, which Python reads
too, where Python writes ESC $ ( A); where the library departs from a
reference is listed in the test.

References: Python's codecs (koi8_u for KOI8-RU, which adds two letters to
it, as in single_byte_decode_golden.txt); glibc's iconv (run as iconv(1))
for UCS-2 (ids 1 and 4, which the general conversion reads and writes as
the pivot), ISO-2022-CN, EUC-TW, CP1133, TCVN, ARMSCII-8, code page 932
(WINDOWS-31J), CP437 (IBM437) and Mac Roman (MACINTOSH); Perl's Encode
for MacThai; Unicode 3.2's Lao block laid out from A1 for MULELAO-1. JIS X
0208 and JIS X 0212 (8-bit, as their own ids) are Python's euc_jp codes of
the set (behind 8F for JIS X 0212), and 7-bit KS X 1001 is Python's euc_kr
with 0x80 taken off each byte of a pair; where euc_kr refuses a character,
its '?' would start a pair there, so the line of lacking characters has the
set's own full-width question mark (23 3F).

This script shares no code with tools/tablegen, and reads nothing of the
library: it is an oracle the library is checked against.

    python3 tools/testdata/make_golden_convert.py [--skip-missing] [output folder, default tests/data]
"""

import random
import subprocess
import sys
import unicodedata

from golden_files import PYTHON, Iconv, SourceMissing, main

ESC = "\x1b"
# The ASCII every sample holds: controls, a line end both ways, the tilde
# and every third printable character (the reverse solidus among them).
ASCII = ["\x00", "\t", "\n", "\r\n", ESC, "\x7f", "~"] + [chr(c) for c in range(0x20, 0x7F, 3)]
# Characters beyond the Basic Multilingual Plane for the charsets that hold
# all of Unicode: emoji, CJK Extension B, the last plane's private use.
WIDE = [0x1F600, 0x1F680, 0x1F9D0, 0x20000, 0x2A6D6, 0x2B740, 0x10FFFD]
# Characters at the edges that the Unicode charsets write as any other: the
# zero-width no-break space (a byte-order mark only at the start), the
# replacement character, the first private-use character, the
# noncharacters at the end of the plane.
UNICODE_EDGES = ["\ufeff", "\ufffd", "\ue000", "\ufffe", "\uffff"]
# Added to every sample the reference writes them in: the small roman
# numerals, which GBK adds in GB 2312's square and which ISO-2022-JP and
# ISO-2022-CN take from KS X 1001 and CNS plane 1.
TELLING = ["\u2170"]
# Candidates for the line of characters a charset lacks, in order.
LACKING = [0x1F600, 0x20000, 0x4E2D, 0x0416, 0x00E9, 0x0E01, 0xAC00, 0x3042, 0x05D0, 0x20AC,
           0x0531, 0x10A0, 0x2603]
# Ill-formed input for the Unicode charsets, read with U+FFFD for each
# ill-formed sequence: UTF-8 cut short after two, three and four-byte
# leads, an encoded surrogate, bytes no sequence takes, an overlong form, a
# value past U+10FFFF; UTF-16 surrogates alone and an odd last byte; UTF-32
# values past U+10FFFF, a surrogate and a cut-off last unit.
ILL_FORMED_UTF8 = b"a\xc3b\xe4\xb8c\xed\xa0\x80d\xf0\x9f\x98e\xff\xc0\xafg\xf4\x90\x80\x80h"
ILL_FORMED_UNITS = {2: [0x61, 0xD800, 0x62, 0xDC00, 0x63, 0xD83D, 0xDE00, 0xDBFF],
                    4: [0x61, 0x110000, 0x62, 0xD800, 0x63, 0x1F600, 0xFFFFFFFF, 0x64]}


def ill_formed(codec):
    """Ill-formed text of a Python Unicode codec: with a little-endian mark
    where the codec writes one."""
    if codec == "utf-8":
        return ILL_FORMED_UTF8
    size = 2 if "16" in codec else 4
    order = "big" if codec.endswith("be") else "little"
    mark = b"" if codec[-2:] in ("be", "le") else "\ufeff".encode(f"utf-{8 * size}-le")
    units = b"".join(unit.to_bytes(size, order) for unit in ILL_FORMED_UNITS[size])
    return mark + units + b"\x00" * (size - 1)


NON_ASCII = 112  # characters (or codes) a sample draws beyond ASCII
TEXTS = 6  # texts a stateful charset adds each way


def spread(items, count):
    """`count` items evenly from `items` (all of them when fewer)."""
    if len(items) <= count:
        return list(items)
    return [items[k * len(items) // count] for k in range(count)]


class Python:
    """A Python codec."""

    def __init__(self, codec):
        self.codec = codec
        self.label = f"{PYTHON} codecs {codec}"

    def encode(self, text):
        try:
            return text.encode(self.codec)
        except UnicodeEncodeError:
            return None

    def decode(self, data):
        try:
            return data.decode(self.codec)
        except UnicodeDecodeError:
            return None

    def replace(self, text):
        return text.encode(self.codec, errors="replace")

    def decode_replace(self, data):
        return data.decode(self.codec, errors="replace")


class Glibc:
    """glibc's iconv, run as iconv(1) on each text; codes alone are read
    through golden_files.Iconv, which is quicker over a whole code space."""

    def __init__(self, charset):
        self.charset = charset
        self.reader = Iconv(charset)
        self.label = f"glibc {self.reader.version} iconv {charset}"

    def run(self, data, source, target):
        try:
            done = subprocess.run(["iconv", "-f", source, "-t", target], input=data, capture_output=True)
        except FileNotFoundError:
            raise SourceMissing("needs iconv(1) (Debian's libc-bin)") from None
        return None if done.returncode else done.stdout

    def encode(self, text):
        return self.run(text.encode("utf-8"), "UTF-8", self.charset)

    def decode(self, data):
        out = self.run(data, self.charset, "UTF-8")
        return None if out is None else out.decode("utf-8")

    def decode_code(self, data):
        points = self.reader(data)
        return None if points is None else "".join(map(chr, points))


class Perl:
    """Perl's Encode, each text in one run of perl over them all."""

    def __init__(self, encoding):
        self.encoding = encoding
        version = self.perl("print qq($Encode::VERSION\\n);", [])
        self.label = f"perl Encode {version[0]} {encoding}"

    def perl(self, body, inputs):
        script = "use Encode; binmode STDOUT; " + body
        try:
            done = subprocess.run(["perl", "-e", script], input="".join(f"{x}\n" for x in inputs),
                                  capture_output=True, text=True)
        except FileNotFoundError:
            raise SourceMissing("needs perl (Debian's perl package)") from None
        if done.returncode:
            raise SourceMissing(f"perl's Encode cannot run {self.encoding}: {done.stderr.strip()}")
        return done.stdout.split("\n")[:-1]

    def each(self, direction, inputs):
        """`direction` (encode or decode) of each of the hex `inputs`:
        hex answers, None where Encode refuses."""
        if direction == "encode":
            call = f"encode(q({self.encoding}), decode(q(UTF-8), $in), Encode::FB_CROAK)"
        else:
            call = f"encode(q(UTF-8), decode(q({self.encoding}), $in, Encode::FB_CROAK))"
        body = ("while (my $line = <STDIN>) { chomp $line; my $in = pack(q(H*), $line);"
                f" my $out = eval {{ {call} }}; print defined $out ? unpack(q(H*), $out) : q(-), qq(\\n) }}")
        return [None if out == "-" else bytes.fromhex(out) for out in self.perl(body, [x.hex() for x in inputs])]

    def encode_all(self, texts):
        return self.each("encode", [t.encode("utf-8") for t in texts])

    def decode_all(self, codes):
        return [None if out is None else out.decode("utf-8") for out in self.each("decode", codes)]


class Table:
    """A mapping of single bytes, as the published layout gives it."""

    def __init__(self, label, points):
        self.label = label
        self.to_text = {bytes((b,)): chr(p) for b, p in points.items()}
        self.to_code = {text: code for code, text in self.to_text.items()}

    def encode(self, text):
        codes = [self.to_code.get(c) for c in text]
        return None if None in codes else b"".join(codes)

    def decode(self, data):
        texts = [self.to_text.get(data[k : k + 1]) for k in range(len(data))]
        return None if None in texts else "".join(texts)


class Pairs:
    """A set of pairs written through a codec that holds more: the pairs of
    `codec` with `lead` before them (checked and dropped) and `offset` taken
    off each of their bytes; `alone` are the characters written as
    themselves."""

    def __init__(self, codec, lead, offset, alone, what):
        self.base, self.lead, self.offset, self.alone = Python(codec), lead, offset, alone
        self.label = f"{self.base.label} ({what})"

    def encode(self, text):
        out = b""
        for c in text:
            if c in self.alone:
                out += c.encode("ascii")
                continue
            code = self.base.encode(c)
            if code is None or len(code) != len(self.lead) + 2 or not code.startswith(self.lead):
                return None
            out += bytes(b - self.offset for b in code[len(self.lead) :])
        return out

    def decode(self, data):
        text, at = "", 0
        while at < len(data):
            if chr(data[at]) in self.alone:
                text, at = text + chr(data[at]), at + 1
                continue
            pair = self.base.decode(self.lead + bytes(b + self.offset for b in data[at : at + 2]))
            if pair is None or self.encode(pair) != data[at : at + 2]:
                return None
            text, at = text + pair, at + 2
        return text

    def replace(self, text):
        # Where a lone '?' would start a pair (7-bit KS X 1001), the set's
        # own full-width question mark.
        return b"".join(self.encode(c) or self.encode("?") or self.encode("\uff1f") for c in text)


def mulelao1():
    lao = unicodedata.ucd_3_2_0
    points = {b: b for b in range(0xA1)}
    for b in range(0xA1, 0xFE):
        if lao.category(chr(b + 0x0DE0)) != "Cn":
            points[b] = b + 0x0DE0
    return Table("Unicode 3.2 (Python's unicodedata) Lao block from A1", points)


SQUARE = range(0xA1, 0xFF)
SQUARE_7BIT = range(0x21, 0x7F)


def pairs(leads, trails, prefix=b""):
    return [prefix + bytes((lead, trail)) for lead in leads for trail in trails]


SINGLE = [bytes((b,)) for b in range(0x100)]
LOW = [bytes((b,)) for b in range(0x80)]
KS_ALONE = [chr(b) for b in range(0x21)]
ASCII_ALONE = [chr(b) for b in range(0x80)]

# id, file name, charset, reference, its code space (None: all of
# Unicode), whether it keeps a state from one character to the next.
CHARSETS = [
    (1, "ucs2le", "UCS-2LE", lambda: Glibc("UCS-2LE"), None, False),
    (2, "gb18030", "GB18030", lambda: Python("gb18030"), None, False),
    (3, "big5", "Big5", lambda: Python("cp950"),
     lambda: LOW + pairs(range(0x81, 0xFF), list(range(0x40, 0x7F)) + list(SQUARE)), False),
    (4, "jis_x0201", "JIS X 0201 id, written as UCS-2LE", lambda: Glibc("UCS-2LE"), None, False),
    (5, "jis_x0208", "JIS X 0208 (8-bit)",
     lambda: Pairs("euc_jp", b"", 0, ASCII_ALONE, "its two-byte codes A1..FE A1..FE"),
     lambda: LOW + pairs(SQUARE, SQUARE), False),
    (6, "jis_x0212", "JIS X 0212 (8-bit)",
     lambda: Pairs("euc_jp", b"\x8f", 0, ASCII_ALONE, "its codes behind 8F, without the 8F"),
     lambda: LOW + pairs(SQUARE, SQUARE), False),
    (7, "shift_jis", "Shift_JIS", lambda: Python("shift_jis"),
     lambda: SINGLE + pairs(list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)),
                            list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))), False),
    (8, "utf8", "UTF-8", lambda: Python("utf-8"), None, False),
    (9, "utf16", "UTF-16 (with a byte-order mark)", lambda: Python("utf-16"), None, True),
    (10, "utf16be", "UTF-16BE", lambda: Python("utf-16-be"), None, False),
    (11, "utf16le", "UTF-16LE", lambda: Python("utf-16-le"), None, False),
    (12, "ks_c_5601", "KS C 5601 (code page 949)", lambda: Python("cp949"),
     lambda: LOW + pairs(range(0x81, 0xFF), range(0x41, 0xFF)), False),
    (13, "ks_x_1001", "KS X 1001 (7-bit)",
     lambda: Pairs("euc_kr", b"", 0x80, KS_ALONE, "pairs less 0x80 a byte; controls and space alone"),
     lambda: [bytes((b,)) for b in range(0x21)] + pairs(SQUARE_7BIT, SQUARE_7BIT), False),
    (14, "iso2022cn", "ISO-2022-CN", lambda: Glibc("ISO-2022-CN"), None, True),
    (15, "iso2022jp", "ISO-2022-JP", lambda: Python("iso2022_jp_2"), None, True),
    (16, "iso2022kr", "ISO-2022-KR", lambda: Python("iso2022_kr"), None, True),
    (17, "euc_cn", "EUC-CN", lambda: Python("gb2312"), lambda: LOW + pairs(SQUARE, SQUARE), False),
    (18, "euc_tw", "EUC-TW", lambda: Glibc("EUC-TW"),
     lambda: LOW + pairs(SQUARE, SQUARE) + pairs(SQUARE, SQUARE, b"\x8e\xa2")
     + pairs(SQUARE, SQUARE, b"\x8e\xa3"), False),
    (19, "euc_jp", "EUC-JP", lambda: Python("euc_jp"),
     lambda: LOW + pairs([0x8E], range(0xA1, 0xE0)) + pairs(SQUARE, SQUARE)
     + pairs(SQUARE, SQUARE, b"\x8f"), False),
    (20, "euc_kr", "EUC-KR", lambda: Python("euc_kr"), lambda: LOW + pairs(SQUARE, SQUARE), False),
    (21, "koi8_r", "KOI8-R", lambda: Python("koi8_r"), lambda: SINGLE, False),
    (22, "koi8_u", "KOI8-U", lambda: Python("koi8_u"), lambda: SINGLE, False),
    (23, "koi8_ru", "KOI8-RU", lambda: Python("koi8_u"), lambda: SINGLE, False),
    *[(24 + k, f"iso8859_{n}", f"ISO-8859-{n}", (lambda n=n: Python(f"iso8859_{n}")), lambda: SINGLE, False)
      for k, n in enumerate([1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16])],
    (39, "cp874", "CP874", lambda: Python("cp874"), lambda: SINGLE, False),
    *[(40 + k, f"cp125{k}", f"CP125{k}", (lambda k=k: Python(f"cp125{k}")), lambda: SINGLE, False)
      for k in range(9)],
    (49, "cp850", "CP850", lambda: Python("cp850"), lambda: SINGLE, False),
    (50, "cp866", "CP866", lambda: Python("cp866"), lambda: SINGLE, False),
    (51, "cp1133", "CP1133", lambda: Glibc("IBM1133"), lambda: SINGLE, False),
    (52, "tcvn", "TCVN", lambda: Glibc("TCVN5712-1"), lambda: SINGLE, False),
    (53, "armscii8", "ARMSCII-8", lambda: Glibc("ARMSCII-8"), lambda: SINGLE, False),
    (54, "macthai", "MacThai", lambda: Perl("MacThai"), lambda: SINGLE, False),
    (55, "mulelao1", "MULELAO-1", mulelao1, lambda: SINGLE, False),
    (57, "utf32", "UTF-32 (with a byte-order mark)", lambda: Python("utf-32"), None, True),
    (58, "utf32be", "UTF-32BE", lambda: Python("utf-32-be"), None, False),
    (59, "utf32le", "UTF-32LE", lambda: Python("utf-32-le"), None, False),
    (60, "cp932", "code page 932", lambda: Glibc("WINDOWS-31J"),
     lambda: SINGLE + pairs(list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)),
                            list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))), False),
    (61, "cp950", "code page 950", lambda: Python("cp950"),
     lambda: LOW + pairs(range(0x81, 0xFF), list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))), False),
    (62, "cp437", "CP437", lambda: Glibc("IBM437"), lambda: SINGLE, False),
    (63, "macintosh", "Mac Roman", lambda: Glibc("MACINTOSH"), lambda: SINGLE, False),
]
# What a stateful charset holds, for ids without a code space above: the
# code spaces its sets are read through, by the reference given.
STATEFUL_SETS = {
    14: [("EUC-CN", lambda: pairs(SQUARE, SQUARE)),
         ("EUC-TW", lambda: pairs(SQUARE, SQUARE)), ("EUC-TW", lambda: pairs(SQUARE, SQUARE, b"\x8e\xa2"))],
    15: [("euc_jp", lambda: pairs(SQUARE, SQUARE) + pairs(SQUARE, SQUARE, b"\x8f")
          + [b"\x8e" + bytes((b,)) for b in range(0xA1, 0xE0)]),
         ("gb2312", lambda: pairs(SQUARE, SQUARE)), ("euc_kr", lambda: pairs(SQUARE, SQUARE))],
    16: [("euc_kr", lambda: pairs(SQUARE, SQUARE))],
}
# The characters the random texts of a stateful charset draw from, one pool
# a text, from the sets above by index. ISO-2022-CN: GB 2312, or CNS plane 1
# without what GB 2312 holds (glibc writes a text that changes its SO set
# with the designation alone, which its own decoder then misreads; plane 2
# is left to the lines of one character). ISO-2022-JP leaves out the JIS
# X 0201 Roman characters, which the library writes differently before
# ASCII (see the test).
def text_pools(charset_id, sets):
    if charset_id == 14:
        return [sets[0], sorted(set(sets[1]) - set(sets[0]))]
    return [sorted(set().union(*sets))]


UNICODE_IDS = {1, 2, 4, 8, 9, 10, 11, 57, 58, 59}
HOLDING_ALL = UNICODE_IDS - {1, 4}  # the pivot (ids 1 and 4) holds no character past U+FFFF
ILL_FORMED = HOLDING_ALL - {2}


def all_at_once(reference, method, items):
    """The reference's `method` (encode or decode) of each item: Perl takes
    them in one run, the others one at a time."""
    if isinstance(reference, Perl):
        return getattr(reference, f"{method}_all")(items)
    return [getattr(reference, method)(item) for item in items]


def read_codes(reference, codes):
    """What the reference decodes each of `codes` to, None where it refuses:
    glibc's through its quicker reader of single codes."""
    if isinstance(reference, Glibc):
        return [reference.decode_code(code) for code in codes]
    return all_at_once(reference, "decode", codes)


def replaced(reference, text):
    """`text` as the reference writes it with '?' for what it refuses."""
    if hasattr(reference, "replace"):
        return reference.replace(text)
    codes = all_at_once(reference, "encode", list(text) + ["?"])
    return b"".join(code if code is not None else codes[-1] for code in codes[:-1])


def repertoire(charset_id, reference, codes):
    """The codes (to sample for decoding) and the characters (to sample for
    encoding) of a charset, what its reference reads, code by code; and the
    sets of characters its random texts draw from, one set a text."""
    if charset_id in UNICODE_IDS:
        bmp = [chr(p) for p in range(0x80, 0x10000) if not 0xD800 <= p < 0xE000]
        if charset_id not in (1, 4):
            bmp += [chr(p) for p in WIDE]
        return None, bmp, [bmp]
    if codes is None:
        sets = []
        for codec, space in STATEFUL_SETS[charset_id]:
            source = Glibc(codec) if codec.isupper() else Python(codec)
            sets.append(sorted({t for t in read_codes(source, space()) if t is not None and len(t) == 1}))
        found = set().union(*sets)
        if charset_id == 15:
            found.update("\u00a5\u203e")  # JIS X 0201 Roman
        return None, sorted(found), text_pools(charset_id, sets)
    space = codes()
    texts = read_codes(reference, space)
    read = [(code, text) for code, text in zip(space, texts) if text]
    characters = sorted({text for _, text in read if len(text) == 1 and text >= "\x80"})
    # Beyond ASCII: codes of more than a byte, and bytes that read as more
    # than ASCII (TCVN's capital letters among the controls).
    beyond = [(code, text) for code, text in read if len(code) > 1 or code[0] >= 0x80 or text >= "\x80"]
    return beyond, characters, []


def ascii_sample(charset_id):
    if charset_id == 13:  # letters pair up: the controls and space alone
        return ["\x00", "\t", "\n", "\r\n", ESC, " "]
    return ASCII


def encodable(reference, texts, charset_id):
    """(text, code) for the texts the reference writes; for ISO-2022-JP only
    those it writes with the sets the library reads (no G2 sets)."""
    codes = all_at_once(reference, "encode", texts)
    kept = []
    for text, code in zip(texts, codes):
        if code is None:
            continue
        if charset_id == 15 and (b"\x1b." in code or b"\x1bN" in code):
            continue
        kept.append((text, code))
    return kept


def random_texts(rng, pools, count):
    texts = []
    for _ in range(count):
        pool = rng.choice(pools)
        pieces = []
        for _ in range(rng.randint(2, 6)):
            source = ASCII[7:] if rng.random() < 0.3 else pool
            pieces.append("".join(rng.choice(source) for _ in range(rng.randint(1, 5))))
            if rng.random() < 0.3:
                pieces.append(rng.choice(["\n", "\r\n"]))
        texts.append("".join(pieces))
    return texts


def lacking_line(charset_id, reference):
    candidates = [chr(p) for p in LACKING]
    codes = all_at_once(reference, "encode", candidates)
    refused = [c for c, code in zip(candidates, codes) if code is None][:6]
    letters = " " * 7 if charset_id == 13 else "abcdefg"
    text = "".join(letter + c for letter, c in zip(letters, refused)) + letters[len(refused)]
    return text, replaced(reference, text)


def to_charset(charset_id, reference, characters, pools, rng, stateful):
    """The characters of the sample the reference writes, with their codes;
    and the lines UTF-8 to the charset."""
    sample = ascii_sample(charset_id) + spread(characters, NON_ASCII) + TELLING
    if charset_id in UNICODE_IDS:
        sample += UNICODE_EDGES
    chosen = encodable(reference, sample, charset_id)
    lines = list(chosen)
    if stateful:
        lines += encodable(reference, random_texts(rng, pools, 4 * TEXTS), charset_id)[:TEXTS]
    if charset_id not in HOLDING_ALL:
        lines.append(lacking_line(charset_id, reference))
    return chosen, [(text.encode("utf-8"), code) for text, code in lines]


def from_charset(charset_id, reference, code_sample, characters, pools, rng, stateful, chosen, count):
    """`count` lines the charset to UTF-8: texts for a stateful charset, the
    ASCII of `chosen`, then codes of the sample (of characters other than
    the ones chosen, for the charsets without a code space), and ill-formed
    input for the Unicode charsets."""
    given = []
    if stateful:
        given += [code for _, code in encodable(reference, random_texts(rng, pools, 4 * TEXTS), charset_id)[:TEXTS]]
    low = [code for text, code in chosen if text < "\x80"]
    given += [code for code, text in zip(low, all_at_once(reference, "decode", low)) if text is not None]
    ill = [ill_formed(reference.codec)] if charset_id in ILL_FORMED else []
    wanted = count - len(given) - len(ill)
    if code_sample is None:
        taken = {text for text, _ in chosen}
        others = [c for c in characters if c not in taken]
        given += [code for _, code in encodable(reference, spread(others, wanted), charset_id)]
    else:
        given += [code for code, _ in spread(code_sample, wanted)]
    if charset_id == 15:
        # Python designates GB 2312 as ESC $ ( A; RFC 1554 writes ESC $ A,
        # which Python reads as well, and which the library reads.
        given = [code.replace(b"\x1b$(A", b"\x1b$A") for code in given]
    # Too few codes beyond ASCII: more ASCII.
    given += [bytes((b,)) for b in range(0x80) if bytes((b,)) not in given][: count - len(given) - len(ill)]
    lines = list(zip(given, all_at_once(reference, "decode", given)))
    lines += [(data, reference.decode_replace(data)) for data in ill]
    refused = [code.hex() for code, text in lines if text is None]
    if len(lines) != count or refused:
        raise SystemExit(f"charset {charset_id}: {len(lines)} lines back for {count}; refused: {refused}")
    return [(code, text.encode("utf-8")) for code, text in lines]


def convert_file(charset_id, name, make, codes, stateful):
    def make_file():
        reference = make()
        code_sample, characters, pools = repertoire(charset_id, reference, codes)
        pools = [spread(pool, 4 * NON_ASCII) for pool in pools]
        rng = random.Random(charset_id)
        chosen, encoding = to_charset(charset_id, reference, characters, pools, rng, stateful)
        decoding = from_charset(charset_id, reference, code_sample, characters, pools, rng, stateful,
                                chosen, len(encoding))
        header = [
            f"{reference.label}: charset id {charset_id}, {name}",
            f"{len(encoding)} lines UTF-8 to the charset, then {len(decoding)} lines the charset to UTF-8",
        ]
        return header, encoding + decoding

    return make_file


if __name__ == "__main__":
    main(sys.argv, [(f"convert_{slug}_golden.txt", convert_file(i, name, make, codes, stateful))
                    for i, slug, name, make, codes, stateful in CHARSETS])
