"""Python codecs over the zel_code library, registered on import.

    import zel_code.codecs
    with open("notes.txt", encoding="zel-gbk") as f:
        for line in f: ...

"zel-<label>" decodes and encodes text of any charset the library has a
label for ("zel-gbk", "zel-shift_jis", "zel-iso-2022-jp", "zel-koi8-r",
"zel-utf-32", "zel-utf-8-sig"), as zel_code.labels() lists them, and
"zel-id-<N>" the charset of id N. Python may turn "-" and other punctuation
in a codec name into "_", which the library's labels ignore as they ignore
"-"; a label with ":" in it needs another of its charset's labels.

Both ways run the library's general conversion, so every character a
charset holds crosses whole, those beyond U+FFFF included, except that GBK
is written by the library's GBK writer, which puts a space for what GBK
lacks (as zelconv does; GB 2312 is written as EUC-CN). Decoding runs on its
streams (zel_code.Decoder), so a text read in pieces, by io.TextIOWrapper or
a StreamReader, decodes exactly as it would whole, in memory that follows
the piece size. errors="strict" (Python's default) raises
UnicodeDecodeError at the first byte the library could not decode
faithfully; errors="replace" keeps the library's own degradation (U+FFFD,
see zel_code.decode).

Encoding takes errors="strict" (UnicodeEncodeError at the first character
the charset lacks, or a lone surrogate), "replace" (the charset's
substitute: "?", or U+FFFD in the Unicode charsets), "ignore" or
"xmlcharrefreplace"; GBK's writer only "strict" or "replace" (a space). The
incremental encoder and the StreamWriter run on a stream
(zel_code._zel_code.Encoder): a byte-order mark is written once, and an
ISO-2022 text returns to ASCII at its end (final=True, or
StreamWriter.reset()), which io.TextIOWrapper, as for Python's own codecs,
never asks for.

A text file's tell() and seek() assume that the decoder holds nothing
between pieces; that holds at each character of the multi-byte charsets, but
a seek back into ISO-2022 text restarts its shift state.
"""

import codecs
import re

from . import _zel_code

_PREFIX = "zel_"
_BY_ID = re.compile(r"id_?(\d+)")


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


def _codec(name, charset):
    def encode(text, errors="strict"):
        return _zel_code.encode(text, charset, errors), len(text)

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
        def __init__(self, errors="strict"):
            super().__init__(errors)
            self._encoder = _zel_code.Encoder(charset, errors)

        def encode(self, input, final=False):
            return self._encoder.encode(input, final)

        def reset(self):
            self._encoder.reset()

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
        def __init__(self, stream, errors="strict"):
            super().__init__(stream, errors)
            self._encoder = _zel_code.Encoder(charset, errors)

        def encode(self, input, errors="strict"):
            return self._encoder.encode(input), len(input)

        def reset(self):
            # Ends the text, as Python's own stateful StreamWriters do.
            self.stream.write(self._encoder.encode("", True))

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
        # The label itself, not its id: GBK's and GB 2312's labels share
        # GB18030's id but are written as themselves.
        charset = label
        try:
            _zel_code.charset_id(label)
        except ValueError:
            return None
    try:
        _zel_code.Decoder(charset)  # refuses ids the library refuses
    except ValueError:
        return None
    return _codec("zel-" + label.replace("_", "-"), charset)


codecs.register(search)
