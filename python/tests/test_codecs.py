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


def test_encode_errors():
    with pytest.raises(UnicodeEncodeError) as e:
        "ab😀".encode("zel-gbk")
    assert e.value.start == 2
    assert "ab😀".encode("zel-gb18030", "replace") == zel_code.convert(
        "ab😀".encode(), "utf-8", "gb18030"
    )
    with pytest.raises(UnicodeError):
        "x".encode("zel-big5")
    with pytest.raises(LookupError):
        codecs.lookup("zel-no-such-charset")
