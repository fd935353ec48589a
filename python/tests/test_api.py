"""The module's calls against the C exports on the same bytes."""

import random

import pytest

import zel_code

# (charset, input): valid text, malformed bytes and cut-off tails of each family.
CASES = [
    ("gbk", "中文 ok".encode("gbk") + b"\x80\xff\xd6"),
    ("big5", "漢字".encode("big5") + b"\xf9\xd6\xa4"),
    ("shift_jis", "日本語".encode("shift_jis") + b"\xfb\xfc\x81"),
    ("euc-jp", "日本".encode("euc_jp") + b"\x8e"),
    ("euc-kr", "한국".encode("euc_kr") + b"\xfe\xa1"),
    ("utf-8", b"a\xc3\x41\xf0\x9f\x98\x80\xed\xa0\x80\xed\xb0\x80\xe4\xb8"),
    ("utf-16", b"\xff\xfe\x2d\x4e\x3d\xd8\x00\xde\x00\xd8\x41\x00\x00"),
    ("iso-2022-jp", b"\x1b$B0!\x1b(Bx\x1b(J\\~\n\x1b"),
    ("koi8-r", bytes(range(0x70, 0x100))),
    ("unicode", b"A\x00\x2d\x4e\x00"),  # the pivot, an odd last byte
    (4, b"A\x00B"),  # no decoder: read as pivot text
    (18, b"\xa4\xa1\x8e\xa2\xa1\xa1\xfe"),  # EUC-TW, which has no label
]
TARGETS = {
    "utf-8": "zel_code_utf8",
    "gbk": "zel_code_gbk",
    "gb18030": "zel_code_gb18030",
    "ucs-2": "zel_code_unicode",
}
# convert()'s targets and the id zel_convert writes for each; GBK is the
# ten conversions' (None).
GENERAL = [("utf-8", 8), ("gbk", None), ("gb2312", 17), ("utf-16", 9), (59, 59), ("big5", 3)]


def c_convert(clib, data, charset, to):
    if to is None:
        return clib.call("zel_code_gbk", data, charset)
    return clib.convert(data, charset, to)


def ident(charset, clib):
    return charset if isinstance(charset, int) else clib.charset(charset)


@pytest.mark.parametrize("charset,data", CASES)
@pytest.mark.parametrize("to,to_id", GENERAL)
def test_convert_matches_c(clib, charset, data, to, to_id):
    _, expected, report = c_convert(clib, data, ident(charset, clib), to_id)
    assert zel_code.convert(data, charset, to=to) == expected
    assert zel_code.convert(bytearray(data), charset, to) == expected
    if report.first_offset < 0:
        assert zel_code.convert(data, charset, to, errors="strict") == expected
    else:
        with pytest.raises(UnicodeDecodeError) as e:
            zel_code.convert(data, charset, to, errors="strict")
        assert e.value.start == report.first_offset and e.value.object == data


@pytest.mark.parametrize("charset,data", CASES)
def test_decode_is_the_general_conversion(clib, charset, data):
    _, utf8, report = clib.convert(data, ident(charset, clib), 8)
    assert zel_code.decode(data, charset) == utf8.decode()
    if report.first_offset >= 0:
        with pytest.raises(UnicodeDecodeError) as e:
            zel_code.decode(data, charset, errors="strict")
        assert e.value.start == report.first_offset


@pytest.mark.parametrize("charset,data", CASES)
@pytest.mark.parametrize("to", TARGETS)
def test_stream_pieces_equal_one_call(clib, charset, data, to):
    _, expected, report = clib.call(TARGETS[to], data, ident(charset, clib))
    cuts = sorted(random.Random(len(data)).sample(range(len(data) + 1), 3))
    st = zel_code.Stream(charset, to, report=True)
    pieces = [data[a:b] for a, b in zip([0] + cuts, cuts + [len(data)])]
    out = b"".join(st.feed(p) for p in pieces) + st.feed(b"", last=True)
    assert out == expected
    r = st.report()
    assert (r.passed, r.dropped, r.replaced, r.unmappable, r.malformed, r.first_offset) == (
        report.passed,
        report.dropped,
        report.replaced,
        report.unmappable,
        report.malformed,
        report.first_offset,
    )


@pytest.mark.parametrize("charset,data", CASES)
@pytest.mark.parametrize("to,to_id", GENERAL + [("iso-2022-jp", 15)])
def test_converter_pieces_equal_one_call(clib, charset, data, to, to_id):
    _, expected, report = c_convert(clib, data, ident(charset, clib), to_id)
    st = zel_code.Converter(charset, to, report=True)
    for cuts in (range(len(data) + 1), [len(data) // 2]):  # every byte alone, two halves
        pieces = [data[a:b] for a, b in zip([0, *cuts], [*cuts, len(data)])]
        assert b"".join(st.feed(p) for p in pieces) + st.feed(b"", last=True) == expected
        r = st.report()
        assert (r.passed, r.replaced, r.malformed, r.unmappable, r.first_offset) == (
            report.passed, report.replaced, report.malformed, report.unmappable,
            report.first_offset,
        )
        st.reset()


def test_converter_stops_where_the_target_lacks_a_character():
    st = zel_code.Converter("utf-8", "koi8-r", unmappable="stop")
    assert st.feed(b"ab") == b"ab"
    with pytest.raises(UnicodeDecodeError) as e:
        st.feed("c€d".encode())
    assert e.value.start == 1 and st.report().first_offset == 3
    assert st.feed(b"xy", last=True) == b"xy"  # a new text
    assert st.report().unmappable == 0


@pytest.mark.parametrize(
    "unmappable,python",
    [("substitute", "replace"), ("skip", "ignore"), ("ncr", "xmlcharrefreplace")],
)
@pytest.mark.parametrize("to,python_codec", [("koi8-r", "koi8_r"), ("shift_jis", "shift_jis")])
def test_convert_unmappable_as_python(unmappable, python, to, python_codec):
    text = "ab€😀中\n"
    expected = text.encode(python_codec, python)
    assert zel_code.convert(text.encode(), "utf-8", to, unmappable=unmappable) == expected
    with pytest.raises(UnicodeDecodeError) as e:
        zel_code.convert(text.encode(), "utf-8", to, unmappable="stop")
    with pytest.raises(UnicodeEncodeError) as python_error:
        text.encode(python_codec)
    assert e.value.start == len(text[: python_error.value.start].encode())


@pytest.mark.parametrize(
    "call,c_name,data",
    [
        (zel_code.big5_to_gbk, "zel_code_big5_gbk", "漢字".encode("big5") + b"\x83\xd3\xa4"),
        (zel_code.gbk_to_big5, "zel_code_gbk_big5", b"\x83\xd3\xb0\xa1\xfe\xa1\xd6"),
        (
            lambda d: zel_code.decode_references(d, "utf-8"),
            "zel_decode_utf8",
            b"&#x1F600;&amp&bogus;&#1114112;",
        ),
        (lambda d: zel_code.decode_references(d, "gbk"), "zel_decode_gbk", b"&#20013;&#x1F600;&lt"),
        (
            lambda d: zel_code.decode_references(d, "gb18030"),
            "zel_decode_gb18030",
            b"&#x1F600;&apos;",
        ),
    ],
)
def test_rewrites_match_c(clib, call, c_name, data):
    assert call(data) == clib.call(c_name, data)[1]


def test_labels_are_the_librarys(clib):
    labels = zel_code.labels()
    assert len(labels) > 200
    for label, id in labels.items():
        assert zel_code.charset_id(label) == id
    for label, id in (("latin-1", 24), ("Shift JIS", 7), ("utf8", 8), ("euc-tw", 18), ("ucs-4", 58)):
        assert zel_code.charset_id(label) == id
    for label in ("x-sjis", "GB2312", "ks_c_5601-1987", "ISO_8859-1:1987"):  # the older registry's
        assert zel_code.charset_id(label) == clib.charset(label)
    assert zel_code.charset_id("gb2312-80") == labels["GB2312"]
    with pytest.raises(ValueError, match="did you mean 'shift_jis'"):
        zel_code.charset_id("shfit_jis")
    with pytest.raises(ValueError, match="refused"):
        zel_code.decode(b"x", "big5-hkscs")


@pytest.mark.parametrize(
    "call,error",
    [
        (lambda: zel_code.convert(b"x", 0), ValueError),
        (lambda: zel_code.convert(b"x", 56), ValueError),
        (lambda: zel_code.convert(b"x", "no-such-charset"), ValueError),
        (lambda: zel_code.convert(b"x", "gbk", to=56), ValueError),
        (lambda: zel_code.convert(b"x", "gbk", unmappable="drop"), ValueError),
        (lambda: zel_code.convert(b"x", "big5", "gbk", unmappable="ncr"), ValueError),
        (lambda: zel_code.convert("x", "gbk"), TypeError),
        (lambda: zel_code.decode(b"x", "gbk", errors="ignore"), ValueError),
        (lambda: zel_code.decode_references(b"x", "ucs-2"), ValueError),
        (lambda: zel_code.Stream(56), ValueError),
        (lambda: zel_code.convert(b"x\0\0\0", 59, "gbk"), ValueError),
        (lambda: zel_code.Converter(59, "gbk"), ValueError),
        (lambda: zel_code.Converter("big5", "gbk", unmappable="skip"), ValueError),
    ],
)
def test_refusals(call, error):
    with pytest.raises(error):
        call()
