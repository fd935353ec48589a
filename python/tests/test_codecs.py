"""The zel-<label> codecs: pieces cut anywhere decode as the whole text does."""

import codecs
import io

import pytest

import zel_code
import zel_code.codecs  # noqa: F401  (registers the codecs)

# Something for every family to chew on: ISO-2022 escapes and shifts, EUC
# single shifts, GBK and GB18030 codes, UTF-8 and UTF-16 units, stray and
# cut-off bytes.
SHORT = b"A\x1b$B0!\x1b(B\x8e\xa1\xa4\xa1\xd6\xd0\x810\x810\xfe\xff\x00A\xe4\xb8\xad\x0e!!\x0f\xc3"
EVERY_ID = [(f"zel-id-{id}", id) for id in range(1, 56)]
BY_LABEL = [
    ("zel-" + label, label)
    for label in ("gbk", "big5", "shift-jis", "iso-2022-jp", "utf-16", "koi8-r")
]


@pytest.mark.parametrize("name,charset", EVERY_ID + BY_LABEL)
def test_every_split_decodes_as_the_whole(name, charset):
    whole = SHORT.decode(name, "replace")
    assert whole == zel_code.decode(SHORT, charset)
    for cut in range(len(SHORT) + 1):
        d = codecs.getincrementaldecoder(name)("replace")
        assert d.decode(SHORT[:cut]) + d.decode(SHORT[cut:], final=True) == whole
    d = codecs.getincrementaldecoder(name)("replace")
    assert (
        "".join(d.decode(SHORT[i : i + 1]) for i in range(len(SHORT))) + d.decode(b"", True)
        == whole
    )


@pytest.mark.parametrize("name,charset", EVERY_ID)
def test_strict_in_pieces_as_whole(name, charset):
    """Fed byte by byte, strict decoding raises no earlier than the byte the
    whole text's error names, and succeeds where the whole does."""
    d = codecs.getincrementaldecoder(name)()
    fed = []
    try:
        whole = SHORT.decode(name)
    except UnicodeDecodeError as e:
        with pytest.raises(UnicodeDecodeError):
            for i in range(len(SHORT)):
                fed.append(i)
                d.decode(SHORT[i : i + 1])
            fed.append(len(SHORT))
            d.decode(b"", final=True)
        assert fed[-1] >= e.start
    else:
        assert (
            "".join(d.decode(SHORT[i : i + 1]) for i in range(len(SHORT))) + d.decode(b"", True)
            == whole
        )


@pytest.mark.parametrize("size", [1, 2, 3, 7, 64])
def test_stream_reader_and_text_file(tmp_path, size):
    text = "第一行 line\n二 ¤ 漢字\n" * 50
    data = text.encode("gbk")
    reader = codecs.getreader("zel-gbk")(io.BytesIO(data), "replace")
    pieces = []
    while piece := reader.read(size):
        pieces.append(piece)
    assert "".join(pieces) == text
    path = tmp_path / "t.txt"
    path.write_bytes(data)
    with open(path, encoding="zel-gbk") as f:
        assert f.readlines() == text.splitlines(keepends=True)
    wrapped = io.TextIOWrapper(
        io.BufferedReader(io.BytesIO(data), buffer_size=size + 1), encoding="zel-gbk"
    )
    assert wrapped.read() == text


@pytest.mark.parametrize(
    "name,python", [("zel-gbk", "gbk"), ("zel-gb18030", "gb18030"), ("zel-utf-8", "utf-8")]
)
def test_encoders(tmp_path, name, python):
    text = "中文 ok ¤ 漢字\n" * 3
    assert text.encode(name) == text.encode(python)
    e = codecs.getincrementalencoder(name)()
    assert b"".join(e.encode(text[i : i + 2]) for i in range(0, len(text), 2)) == text.encode(
        python
    )
    with open(tmp_path / "w.txt", "w", encoding=name) as f:
        f.write(text)
    assert (tmp_path / "w.txt").read_bytes() == text.encode(python)


# Something of many scripts, and beyond U+FFFF; each charset is handed the
# characters of it that it holds.
SAMPLE = "Az 09 éßñøĉğőł ΩλЖяїєאשعربيไทยລາວՀայđươ 中文漢字日本語かなカナ한국어😀𠮷"
# Python's codecs as a reference reader, where the library's tables and
# theirs agree.
PYTHON = {2: "gb18030", 3: "big5", 7: "shift_jis", 8: "utf-8", 9: "utf-16", 10: "utf-16-be"}
PYTHON |= {11: "utf-16-le", 12: "cp949", 15: "iso2022_jp", 16: "iso2022_kr", 17: "gb2312"}
PYTHON |= {19: "euc_jp", 20: "euc_kr", 21: "koi8_r", 22: "koi8_u", 39: "cp874", 49: "cp850"}
PYTHON |= {id: f"iso8859_{n}" for id, n in zip(range(24, 39), (*range(1, 12), 13, 14, 15, 16))}
PYTHON |= {id: f"cp{id + 1210}" for id in range(40, 49)}
PYTHON |= {50: "cp866", 57: "utf-32", 58: "utf-32-be", 59: "utf-32-le"}


def holds(c, id):
    try:
        c.encode(PYTHON[id]) if id in PYTHON else zel_code._zel_code.encode(c, id)
        return True
    except UnicodeEncodeError:
        return False


@pytest.mark.parametrize("id", [id for id in range(1, 60) if id != 56])
def test_every_charset_encodes_what_it_holds(id):
    name = f"zel-id-{id}"
    text = "".join(c for c in SAMPLE if holds(c, id))
    assert any(ord(c) > 0x7F for c in text)
    data = text.encode(name)
    assert data.decode(name) == text
    if id in PYTHON:
        assert data.decode(PYTHON[id]) == text
    e = codecs.getincrementalencoder(name)()
    assert b"".join(map(e.encode, text)) + e.encode("", final=True) == data


@pytest.mark.parametrize("id", [2, 8, 9, 11, 57])
def test_supplementary_characters_decode_whole(id):
    text = "a😀𠮷b"
    data = text.encode(PYTHON[id])
    assert data.decode(f"zel-id-{id}") == zel_code.decode(data, id) == text
    d = codecs.getincrementaldecoder(f"zel-id-{id}")()
    pieces = [d.decode(data[i : i + 1]) for i in range(len(data))] + [d.decode(b"", True)]
    assert "".join(pieces) == text


@pytest.mark.parametrize("errors", ["strict", "replace", "ignore", "xmlcharrefreplace"])
@pytest.mark.parametrize("name,python", [("zel-koi8-r", "koi8_r"), ("zel-big5", "big5")])
def test_encode_errors_as_python(name, python, errors):
    text = "ab€😀中é"
    try:
        expected = text.encode(python, errors)
    except UnicodeEncodeError as python_error:
        with pytest.raises(UnicodeEncodeError) as e:
            text.encode(name, errors)
        assert (e.value.start, e.value.end) == (python_error.start, python_error.start + 1)
    else:
        assert text.encode(name, errors) == expected


@pytest.mark.parametrize(
    "name,text",
    [(name, "aЖ\ud800c") for name in ("zel-utf-8", "zel-utf-32", "zel-koi8-r", "zel-gbk")]
    + [("zel-koi8-r", "aЖ😀c"), ("zel-gbk", "aЖ😀c")],
)
def test_strict_encoding_places_the_character(name, text):
    with pytest.raises(UnicodeEncodeError) as e:
        text.encode(name)
    assert (e.value.start, e.value.end) == (2, 3)
    encoder = codecs.getincrementalencoder(name)()
    encoder.encode("xy")
    with pytest.raises(UnicodeEncodeError) as e:
        encoder.encode(text)
    assert (e.value.start, e.value.end) == (2, 3)


def test_utf8_sig_drops_and_writes_its_mark():
    data = codecs.BOM_UTF8 + "naïve".encode()
    for cut in range(len(data) + 1):
        d = codecs.getincrementaldecoder("zel-utf-8-sig")()
        assert d.decode(data[:cut]) + d.decode(data[cut:], final=True) == "naïve"
    assert "naïve".encode("zel-utf-8-sig") == data == zel_code.convert(data, "utf-8-sig", "utf-8-sig")


def test_encode_refusals():
    with pytest.raises(LookupError):
        "aЖ€".encode("zel-koi8-r", "no-such-handler")
    with pytest.raises(LookupError):
        codecs.lookup("zel-no-such-charset")


ZH, JA = "第{}行 中文文本，混合 ASCII text 和标点。\n", "第{}行 日本語のテキスト、混合 ASCII text と句読点。\n"
LINES = {"gbk": ZH, "utf-8": ZH, "big5": ZH.replace("标点", "標點"), "shift_jis": JA, "utf-16": JA}
LINES["euc_kr"] = "제{}행 한국어 텍스트, 혼합 ASCII text 와 구두점.\n"


@pytest.mark.parametrize("errors", ["strict", "replace"])
@pytest.mark.parametrize("python", list(LINES))
def test_tell_and_seek_as_python(tmp_path, python, errors):
    """tell() before every line, and a seek back, as Python's own codec."""
    path = tmp_path / "t.txt"
    path.write_bytes("".join(LINES[python].format(n) for n in range(600)).encode(python))
    seen = []
    for encoding in (python, "zel-" + python):
        with open(path, encoding=encoding, errors=errors) as f:
            lines = [(f.tell(), f.readline()) for _ in range(601)]
            f.seek(0)
            f.read(100)
            pos = f.tell()
            after = f.read(50)
            f.seek(pos)
            seen.append((lines, after, f.read(50)))
    assert seen[0] == seen[1]


# Malformed bytes where the library's sequences are Python's.
MALFORMED = [
    ("gbk", b"ab\x80c\xd6\xd0\x81 x\xff\xd6"),
    ("shift_jis", b"a\x80b\x82\xa0\x82"),
    ("euc_kr", b"a\x80\xb0\xa1\xff\xb0"),
    ("utf-8", b"a\x80\xe4\xb8\xad\xed\xa0\x80\xe4\xb8"),
]
UNENCODABLE = [
    ("gbk", "a€😀中\udc80b\ud800"),
    ("euc_jp", "a\\中😀\udc81"),
    ("big5", "ab€中é\udcff"),
    ("koi8_r", "aЖ€😀\udcffé"),
    ("utf-8", "a\ud800b\udc80"),
]
codecs.register_error("test-span", lambda e: (f"<{e.start}-{e.end}>", e.end))
HANDLERS = ["strict", "replace", "ignore", "backslashreplace", "surrogateescape", "test-span"]


def outcome(call):
    try:
        return call()
    except UnicodeError as e:
        return type(e), e.start


@pytest.mark.parametrize("errors", HANDLERS)
@pytest.mark.parametrize("python,data", MALFORMED)
def test_decode_errors_as_python(python, data, errors):
    name = "zel-" + python
    expected = outcome(lambda: data.decode(python, errors))
    assert outcome(lambda: data.decode(name, errors)) == expected
    if errors != "test-span":  # a handler sees offsets into the decoder's own buffer
        pieces = [data[i : i + 1] for i in range(len(data))] + [b""]
        expected, got = (
            outcome(lambda: "".join(map(d.decode, pieces[:-1])) + d.decode(b"", True))
            for d in (codecs.getincrementaldecoder(n)(errors) for n in (python, name))
        )
        assert got == expected or (type(got) == type(expected) and errors == "strict")


@pytest.mark.parametrize("errors", HANDLERS + ["xmlcharrefreplace", "namereplace"])
@pytest.mark.parametrize("python,text", UNENCODABLE)
def test_encode_errors_as_python(python, text, errors):
    if errors == "test-span" and python == "koi8_r":
        pytest.skip("Python's single-byte codecs hand a handler a run of characters, not one")
    name = "zel-" + python
    expected = outcome(lambda: text.encode(python, errors))
    assert outcome(lambda: text.encode(name, errors)) == expected
    if isinstance(expected, bytes) and errors != "test-span":  # offsets are the piece's
        e = codecs.getincrementalencoder(name)(errors)
        pieces = [text[i : i + 2] for i in range(0, len(text), 2)] + [""]
        assert b"".join(e.encode(p, final=not p) for p in pieces) == expected


def test_strict_errors_name_the_codec_and_start_afresh():
    d = codecs.getincrementaldecoder("zel-gbk")()
    for data, at in ((b"ab\x80", 2), (b"xyz\x80", 3)):
        with pytest.raises(UnicodeDecodeError) as e:
            d.decode(data, final=True)
        assert (e.value.encoding, e.value.start) == ("zel-gbk", at)
    assert d.decode("ab中文\n".encode("gbk")) == "ab中文\n"
    assert d.decode(b"\xd6") == "" and d.getstate() == (b"\xd6", 0)
