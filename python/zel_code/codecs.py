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
is written by the library's GBK writer (as zelconv does; GB 2312 is written
as EUC-CN). Decoding runs on its streams (zel_code.Decoder), so a text read
in pieces, by io.TextIOWrapper or a StreamReader, decodes exactly as it
would whole, each piece giving every character it completes, in memory that
follows the piece size.

Both ways take every error handler, with Python's meaning: the library
converts the clean runs, and each ill-formed sequence (as the library
delimits it: one U+FFFD in its own output, which is what "replace" gives) or
each character the charset lacks (one at a time) goes to the handler, whose
replacement text is encoded strictly. Errors name the codec. The incremental
encoder and the StreamWriter run on a stream (zel_code._zel_code.Encoder):
a byte-order mark is written once, and an ISO-2022 text returns to ASCII at
its end (final=True, or StreamWriter.reset()), which io.TextIOWrapper, as
for Python's own codecs, never asks for.

The incremental decoder's getstate() and setstate() carry the bytes it
holds, so a text file's tell() and seek() work as with Python's own codecs;
see _TextDecoder for ISO-2022 text.
"""

import codecs
import re

from . import _zel_code

_PREFIX = "zel_"
_BY_ID = re.compile(r"id_?(\d+)")
# The most bytes a stream holds back (a GB18030 code cut short, an ISO-2022
# escape) and the most bytes one ill-formed sequence spans, with room.
_MOST_HELD = 8
# Bytes read after an ill-formed sequence to find where it ends.
_LOOK_AHEAD = 64
# Bytes (or characters) converted at a time while looking for the next
# error, growing from the first size to the second, so that each error costs
# work near it, not to the end of the text.
_FIRST_CHUNK = 64
_CHUNK = 65536


def _text_codec(name, charset):
    """The decoding and encoding of one codec, with Python's error handlers.

    The library decodes each ill-formed sequence (and each code without a
    character) into one U+FFFD, which is what errors="replace" gives; for
    any other handler, the clean runs are decoded by the library and each
    ill-formed sequence is handed to the handler, which says what stands for
    it and where to go on. Where a sequence ends is the library's to say:
    it is the shortest cut after which the rest decodes as it did with the
    sequence in front of it.
    """

    def whole(data):
        return _zel_code.decode(data, charset, "replace")

    stateful = _stateful(charset, whole)
    # Where what a byte means depends on the bytes before it (a shift state,
    # a byte order a mark chose), the text cannot be cut at an error and
    # read on afresh: handlers other than "strict" get the library's U+FFFD.
    whole_only = stateful or bool(_mark_of(charset))

    def bad_length(data, start):
        window = data[start : start + _LOOK_AHEAD]
        after = whole(window)[1:]
        for k in range(1, min(_MOST_HELD, len(window)) + 1):
            if whole(window[k:]) == after:
                return k
        return 1

    def decided(chunk):
        """How many of a piece's first bytes a stream decides."""
        stream = _zel_code.Decoder(charset, "replace")
        out = stream.decode(chunk)
        if stream.decode(b"", True):
            for j in range(1, min(_MOST_HELD, len(chunk)) + 1):
                if whole(chunk[: len(chunk) - j]) == out:
                    return len(chunk) - j
        return len(chunk)

    def next_error(data, pos):
        """The text decoded from pos up to the next ill-formed sequence, the
        sequence's offset (None at the end) and the library's reason."""
        pieces, size = [], _FIRST_CHUNK
        while True:
            chunk = data[pos : pos + size]
            size = min(2 * size, _CHUNK)
            last = pos + len(chunk) >= len(data)
            try:
                text, start = _zel_code.decode(chunk, charset, "strict"), None
            except UnicodeDecodeError as e:
                text, start, reason = None, e.start, e.reason
            # A chunk's end may cut a sequence: the bytes past what a stream
            # decides are read again with the next chunk.
            cut = len(chunk) if last else decided(chunk)
            if start is not None and start < cut:
                pieces.append(whole(chunk[:start]))
                return "".join(pieces), pos + start, reason
            if last:
                pieces.append(text)
                return "".join(pieces), None, None
            pieces.append(text if start is None and cut == len(chunk) else whole(chunk[:cut]))
            pos += cut

    def decode_handled(data, errors):
        if errors == "replace" or (whole_only and errors != "strict"):
            return whole(data)
        if whole_only:
            try:
                return _zel_code.decode(data, charset, "strict")
            except UnicodeDecodeError as e:
                raise UnicodeDecodeError(name, data, e.start, e.end, e.reason) from None
        pieces, pos = [], 0
        while True:
            text, start, reason = next_error(data, pos)
            pieces.append(text)
            if start is None:
                return "".join(pieces)
            error = UnicodeDecodeError(name, data, start, start + bad_length(data, start), reason)
            text, pos = codecs.lookup_error(errors)(error)
            pieces.append(text)
            pos = pos + len(data) if pos < 0 else pos

    def next_unencodable(text, pos):
        """The index of the next character the charset lacks (None at the
        end) and the library's reason, found a chunk at a time."""
        size = _FIRST_CHUNK
        while pos < len(text):
            chunk = text[pos : pos + size]
            try:
                _zel_code.encode(chunk, charset, "strict")
            except UnicodeEncodeError as e:
                return pos + e.start, e.reason
            pos += len(chunk)
            size = min(2 * size, _CHUNK)
        return None, None

    def encode_handled(text, errors, stream):
        """The text through an encoding stream that only ever gets what the
        charset holds, so that it keeps its shift state and mark."""
        pieces, pos = [], 0
        while True:
            start, reason = next_unencodable(text, pos)
            pieces.append(stream.encode(text[pos:start]))
            if start is None:
                return b"".join(pieces)
            error = UnicodeEncodeError(name, text, start, start + 1, reason)
            replacement, pos = codecs.lookup_error(errors)(error)
            pos = pos + len(text) if pos < 0 else pos
            if isinstance(replacement, str):
                if next_unencodable(replacement, 0)[0] is not None:
                    raise error
                replacement = stream.encode(replacement)
            pieces.append(replacement)

    return whole, decode_handled, encode_handled, stateful


# Characters one of which each charset with a shift state holds.
_PROBES = "中あ한ЖéΩ"


def _stateful(charset, whole):
    """Whether the charset has a shift state, as its own encoder shows by
    leaving a character's bytes in a state where "AB" no longer reads "AB"."""
    for c in _PROBES:
        try:
            shifted = _zel_code.Encoder(charset, "strict").encode(c)
            ab = _zel_code.encode("AB", charset, "strict").removeprefix(_mark_of(charset) or b"-")
        except (UnicodeEncodeError, ValueError):
            continue
        if whole(shifted + ab) != whole(shifted) + "AB":
            return True
    return False


def _mark_of(charset):
    """The byte-order mark whose order a text of the charset starts with,
    b"" where none chooses it."""
    if isinstance(charset, str):
        charset = _zel_code.charset_id(charset)
    described = _zel_code.charset(charset)
    return described.mark if described.mark_then else b""


class _TextDecoder:
    """Decodes a text fed in pieces through the library's stream, with the
    bytes it holds known, so that a position in the text can be saved and
    restored (getstate/setstate, and so io.TextIOWrapper's tell and seek).

    The stream returns every character its bytes decide and holds only a
    sequence cut short. Which bytes it holds is found after each piece by
    ending the stream's text: what the end gives is what the held bytes
    give, which only the right number of the piece's last bytes give from a
    fresh start; the stream then starts again with them. Where several
    numbers fit, the shortest cut of the piece whose decoding as a whole
    text gives what the stream returned says. A UTF-16 or UTF-32 text whose
    mark chose the byte order is read on after that mark.

    In a charset with a shift state (ISO-2022), a byte's meaning depends on
    the text before it, which held bytes cannot carry. getstate() then gives
    no held bytes and a flag that lets setstate() put back this very stream
    if nothing was decoded with it since, as io.TextIOWrapper.tell() asks;
    any other restore starts the shift state afresh, so a seek back into
    ISO-2022 text is exact only where it is in its initial state. Errors
    there are placed by the library's strict stream.
    """

    def __init__(self, name, charset, errors, parts):
        self._name = name
        self._charset = charset
        self.errors = errors
        self._whole, self._decode_handled, _, self._stateful = parts
        self._strict_stream = self._stateful and errors == "strict"
        # A label that drops a mark at its text's start cannot restart one.
        marked = isinstance(charset, str) and _zel_code.lookup(charset).marked
        self._restartable = not self._stateful and not marked
        order = _mark_of(charset)
        self._order = order
        self._marks = (order, order[::-1]) if order else ()
        self._start = b""  # the text's first bytes, as long as its mark
        self._taken = 0  # bytes of the text decided
        self._stream = self._open()
        self._held = b""
        self._feeds = 0  # pieces decoded, to tell a saved stream unchanged
        self._mark = None  # (flag, stream, feeds) of the last getstate()
        self._parked = None  # (flag, stream): a stream setstate() may put back

    def _open(self):
        return _zel_code.Decoder(self._charset, "strict" if self._strict_stream else "replace")

    def decode(self, data, final=False):
        self._feeds += 1
        try:
            if self._stateful:
                return self._decode_stateful(data, final)
            self._note_start(data)
            window = self._held + bytes(data)
            out = self._stream.decode(data, final)
            # Past its start, a text whose mark chose the byte order is read
            # after that mark.
            prefix = self._start if self._taken and self._start in self._marks else b""
            if final:
                held = 0
            elif self._restartable:
                held = self._held_at_end(prefix, window, out)
            else:
                held = self._held_count(prefix, window, out)
            decided = window[: len(window) - held]
            self._held = window[len(decided) :]
            self._taken += len(decided)
            if self.errors != "replace" and "\ufffd" in out:
                out = self._decode_handled(prefix + decided, self.errors)
                out = out[len(self._whole(prefix)) :]
            return out
        except BaseException:
            self.reset()
            raise

    def _note_start(self, data):
        if len(self._start) < len(self._order):
            self._start += bytes(data[: len(self._order) - len(self._start)])

    def _decode_stateful(self, data, final):
        try:
            return self._stream.decode(data, final)
        except UnicodeDecodeError as e:
            raise UnicodeDecodeError(self._name, e.object, e.start, e.end, e.reason) from None

    def _held_at_end(self, prefix, window, out):
        """The held bytes, found by ending the text and starting it again
        after the decided bytes: the end shows what the held bytes give,
        which only the right number of the window's last bytes give from a
        fresh start. Without a single such number, the window is probed."""
        tail = self._stream.decode(b"", True)
        held = 0
        if tail:
            before = self._whole(prefix)
            fits = [
                j
                for j in range(1, min(_MOST_HELD, len(window)) + 1)
                if self._whole(prefix + window[-j:]) == before + tail
            ]
            held = fits[0] if len(fits) == 1 else self._held_count(prefix, window, out)
        # The new text is read on as the old one was: after its mark, if the
        # mark chose the byte order.
        start = self._start if self._start in self._marks else b""
        if start and len(window) - held + self._taken >= len(start):
            self._stream.decode(start)
        self._stream.decode(window[len(window) - held :])
        return held

    def _held_count(self, prefix, window, out):
        if prefix:
            out = self._whole(prefix) + out
        for j in range(min(_MOST_HELD, len(window)) + 1):
            if self._whole(prefix + window[: len(window) - j]) == out:
                return j
        return 0

    def getstate(self):
        if not self._stateful:
            return self._held, 0
        flag = 1 + self._feeds % 0x3FFFFFFF
        self._mark = (flag, self._stream, self._feeds)
        return b"", flag

    def setstate(self, state):
        held, flag = state
        if flag and self._parked and self._parked[0] == flag:
            self._stream = self._parked[1]
            self._parked = None
            return
        mark = self._mark
        if flag and mark and mark[1] is self._stream and mark[2] == self._feeds:
            if flag == mark[0]:
                return
            # Kept unchanged for the setstate() that may put it back.
            self._parked = mark[:2]
            self._stream = self._open()
        # A text that chose its byte order by a mark reads on in that order.
        start = self._start if self._start in self._marks else b""
        self.reset()
        if start:
            self._stream.decode(start)
            self._start, self._taken = start, len(start)
        self.decode(held)

    def reset(self):
        self._stream.reset()
        self._held = b""
        self._start = b""
        self._taken = 0
        self._feeds += 1


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
    parts = _text_codec(name, charset)
    _, decode_handled, encode_handled, _ = parts

    def encode(text, errors="strict"):
        try:
            return _zel_code.encode(text, charset, "strict"), len(text)
        except UnicodeEncodeError as e:
            if errors == "strict":
                raise UnicodeEncodeError(name, text, e.start, e.end, e.reason) from None
        stream = _zel_code.Encoder(charset, "strict")
        return encode_handled(text, errors, stream) + stream.encode("", True), len(text)

    def decode(data, errors="strict"):
        data = bytes(data)
        return decode_handled(data, errors), len(data)

    class IncrementalDecoder(codecs.IncrementalDecoder):
        def __init__(self, errors="strict"):
            super().__init__(errors)
            self._decoder = _TextDecoder(name, charset, errors, parts)

        def decode(self, input, final=False):
            return self._decoder.decode(input, final)

        def getstate(self):
            return self._decoder.getstate()

        def setstate(self, state):
            self._decoder.setstate(state)

        def reset(self):
            self._decoder.reset()

    class IncrementalEncoder(codecs.IncrementalEncoder):
        # The stream writes a byte-order mark once and ends an ISO-2022 text
        # in ASCII. A strict error restarts it; other handlers keep from it
        # what it cannot encode.
        def __init__(self, errors="strict"):
            super().__init__(errors)
            self._encoder = _zel_code.Encoder(charset, "strict")

        def encode(self, input, final=False):
            if self.errors != "strict":
                out = encode_handled(input, self.errors, self._encoder)
                return out + self._encoder.encode("", True) if final else out
            try:
                return self._encoder.encode(input, final)
            except UnicodeEncodeError as e:
                raise UnicodeEncodeError(name, input, e.start, e.end, e.reason) from None

        def reset(self):
            self._encoder.reset()

    class StreamReader(codecs.StreamReader):
        # codecs.StreamReader calls decode() only with bytes in hand, and so
        # never at the end of a text; holding back its last byte until the
        # stream shows its end makes the final call happen.
        def __init__(self, stream, errors="strict"):
            super().__init__(_EndWatch(stream), errors)
            self._decoder = _TextDecoder(name, charset, errors, parts)

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
            self._encoder = IncrementalEncoder(errors)

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
