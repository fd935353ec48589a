"""zel_code: character-set conversion with the zel_code library.

Text in any of the library's charsets (named by a label such as "gbk",
"Shift JIS" or "latin-1", as zel_code.labels() lists them, or by the
library's integer charset id) becomes str, or bytes of any other of them,
every character beyond U+FFFF included::

    >>> import zel_code
    >>> zel_code.decode(b"\\xd6\\xd0\\xce\\xc4", "gbk")
    '中文'
    >>> zel_code.convert("中文".encode("big5"), "big5", to="gb18030")
    b'\\xd6\\xd0\\xce\\xc4'
    >>> zel_code.convert("a😀".encode(), "utf-8", "koi8-r", unmappable="ncr")
    b'a&#128512;'

zel_code.detect guesses the charset of bytes whose charset is not known::

    >>> g = zel_code.detect("中文文本".encode("gbk") * 8)
    >>> g.label, g.reason
    ('GB18030', 'statistics')
    >>> text = zel_code.decode(data, g.id)

Malformed input degrades as the library's rules say (each ill-formed
sequence and each code without a character becomes U+FFFD); errors="strict"
raises UnicodeDecodeError at the first degradation instead. Calls release
the GIL for inputs of 2 KiB and more.

Submodules: zel_code.codecs registers "zel-<label>" codecs for open() and
io.TextIOWrapper; zel_code.batch converts a tree of files on a Dask cluster;
zel_code.pandas decodes Series of bytes.
"""

from ._zel_code import (
    Converter,
    Decoder,
    Charset,
    Guess,
    Label,
    Report,
    Stream,
    __version__,
    big5_to_gbk,
    charset,
    charset_id,
    convert,
    decode,
    decode_references,
    detect,
    gbk_to_big5,
    labels,
    lookup,
)

__all__ = [
    "Charset",
    "Converter",
    "Decoder",
    "Guess",
    "Label",
    "Report",
    "Stream",
    "__version__",
    "big5_to_gbk",
    "charset",
    "charset_id",
    "convert",
    "decode",
    "decode_references",
    "detect",
    "gbk_to_big5",
    "labels",
    "lookup",
]
