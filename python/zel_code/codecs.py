"""Python codecs over the zel_code library, registered on import.

    import zel_code.codecs
    with open("notes.txt", encoding="zel-gbk") as f:
        for line in f: ...

"zel-<label>" decodes text of any charset the library has a label for
("zel-gbk", "zel-shift_jis", "zel-iso-2022-jp", "zel-koi8-r"), and
"zel-id-<N>" the charset of id N (EUC-TW, id 18, has no label).
"zel-gbk", "zel-cp936", "zel-gb18030" and "zel-utf-8" also encode, into GBK,
GB18030 and UTF-8; the others decode only. Python turns "-" and most
punctuation in a codec name into "_", which the library's labels treat as
"-"; a label with ":" in it needs another of its charset's labels.

Decoding runs on the library's streams (zel_code.Decoder), so a text read in
pieces, by io.TextIOWrapper or a StreamReader, decodes exactly as it would
whole, in memory that follows the piece size. errors="strict" (Python's
default) raises UnicodeDecodeError at the first byte the library could not
decode faithfully; errors="replace" keeps the library's own degradation
(see zel_code.decode). No other error handler is offered.

A text file's tell() and seek() assume that the decoder holds nothing
between pieces; that holds at each character of the multi-byte charsets, but
a seek back into ISO-2022 text restarts its shift state.
"""

import codecs
import re

from . import _zel_code

_PREFIX = "zel_"
_BY_ID = re.compile(r"id_?(\d+)")
# Labels that name an output of the library as well as a source charset.
_ENCODES = {"gbk": "gbk", "cp936": "gbk", "gb18030": "gb18030", "utf_8": "utf-8", "utf8": "utf-8"}


def _text_encoder(name, target):
    """encode(str, errors) for one of the library's outputs: the str's UTF-8
    (lone surrogates kept, unless strict) converted by the library."""

    def encode(text, errors="strict"):
        strict = errors == "strict"
        if not strict and errors != "replace":
            raise ValueError(f"{name}: errors must be 'strict' or 'replace', not {errors!r}")
        try:
            data = text.encode("utf-8", "strict" if strict else "surrogatepass")
            return _zel_code.convert(data, 8, to=target, errors=errors), len(text)
        except UnicodeEncodeError as e:
            raise UnicodeEncodeError(name, text, e.start, e.end, e.reason) from None
        except UnicodeDecodeError as e:
            # The library's offset counts bytes of the UTF-8 it was given.
            at = len(data[: e.start].decode("utf-8", "surrogatepass"))
            raise UnicodeEncodeError(name, text, at, at + 1, e.reason) from None

    return encode


def _decode_only(name):
    def encode(text, errors="strict"):
        raise UnicodeError(f"{name} decodes only: the library writes GBK, GB18030 and UTF-8")

    return encode


class _EndWatch:
    """A binary stream that remembers whether its last read found the end."""

    def __init__(self, stream):
        self._stream = stream
        self.at_end = False

    def read(self, *args):
        data = self._stream.read(*args)
        self.at_end = not data
        return data

    def __getattr__(self, name):
        return getattr(self._stream, name)


def _codec(name, charset, target):
    encode = _text_encoder(name, target) if target else _decode_only(name)

    def decode(data, errors="strict"):
        return _zel_code.decode(data, charset, errors), len(data)

    class IncrementalDecoder(codecs.IncrementalDecoder):
        def __init__(self, errors="strict"):
            super().__init__(errors)
            self._decoder = _zel_code.Decoder(charset, errors)

        def decode(self, input, final=False):
            return self._decoder.decode(input, final)

        def reset(self):
            self._decoder.reset()

    class IncrementalEncoder(codecs.IncrementalEncoder):
        # A str holds whole characters, so each piece encodes on its own.
        def encode(self, input, final=False):
            return encode(input, self.errors)[0]

    class StreamReader(codecs.StreamReader):
        # codecs.StreamReader calls decode() only with bytes in hand, and so
        # never at the end of a text; holding back its last byte until the
        # stream shows its end makes the final call happen.
        def __init__(self, stream, errors="strict"):
            super().__init__(_EndWatch(stream), errors)
            self._decoder = _zel_code.Decoder(charset, errors)

        def decode(self, input, errors="strict"):
            if self.stream.at_end:
                return self._decoder.decode(input, True), len(input)
            return self._decoder.decode(input[:-1]), max(len(input) - 1, 0)

        def reset(self):
            super().reset()
            self._decoder.reset()

    class StreamWriter(codecs.StreamWriter):
        def encode(self, input, errors="strict"):
            return encode(input, errors)

    return codecs.CodecInfo(
        name=name,
        encode=encode,
        decode=decode,
        incrementalencoder=IncrementalEncoder,
        incrementaldecoder=IncrementalDecoder,
        streamreader=StreamReader,
        streamwriter=StreamWriter,
    )


def search(name):
    """The codec for a normalised "zel_<label>" name, None for other names."""
    if not name.startswith(_PREFIX):
        return None
    label = name[len(_PREFIX) :]
    by_id = _BY_ID.fullmatch(label)
    if by_id:
        charset = int(by_id.group(1))
    else:
        try:
            charset = _zel_code.charset_id(label)
        except ValueError:
            return None
    try:
        _zel_code.Decoder(charset)  # refuses ids the library refuses
    except ValueError:
        return None
    return _codec("zel-" + label.replace("_", "-"), charset, _ENCODES.get(label))


codecs.register(search)
