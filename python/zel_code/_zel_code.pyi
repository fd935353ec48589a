from typing import Iterable, Literal, NamedTuple, Optional, Union

# A bytes-like object: bytes, bytearray, memoryview, array.array, ...
_Bytes = Union[bytes, bytearray, memoryview]
# A charset label ("gbk", "Shift_JIS", "ISO-8859-1") or the library's id.
_Charset = Union[str, int]
# The outputs of the ten conversions, which Stream writes.
_Target = Literal["utf-8", "utf8", "gbk", "cp936", "gb18030", "ucs-2", "ucs-2le"]
_Errors = Literal["replace", "strict"]
_Unmappable = Literal["substitute", "skip", "ncr", "stop"]
_EncodeErrors = Literal["strict", "replace", "ignore", "xmlcharrefreplace"]

__version__: str

class Report:
    """What a conversion could not carry over faithfully."""

    @property
    def passed(self) -> int: ...
    @property
    def dropped(self) -> int: ...
    @property
    def replaced(self) -> int: ...
    @property
    def unmappable(self) -> int: ...
    @property
    def malformed(self) -> int: ...
    @property
    def first_offset(self) -> int: ...
    @property
    def truncated(self) -> bool: ...
    @property
    def truncated_at(self) -> int: ...

class Guess(NamedTuple):
    """A charset guess: the id, a label charset_id() maps back to it, how sure
    the guess is and why."""

    id: Optional[int]  # None: binary data, or text no candidate reads well
    label: Optional[str]
    confidence: float
    runner_up: int
    runner_up_confidence: float
    reason: Literal["nothing", "bom", "ascii", "structure", "statistics", "binary"]
    examined: int
    language: Optional[str]

def detect(
    data: _Bytes, candidates: Optional[Iterable[_Charset]] = None, whole: bool = False
) -> Guess: ...
def decode(data: _Bytes, charset: _Charset, errors: _Errors = "replace") -> str: ...
def convert(
    data: _Bytes,
    from_: _Charset,
    to: _Charset = "utf-8",
    errors: _Errors = "replace",
    unmappable: _Unmappable = "substitute",
) -> bytes: ...
def encode(text: str, charset: _Charset, errors: _EncodeErrors = "strict") -> bytes: ...
def big5_to_gbk(data: _Bytes, errors: _Errors = "replace") -> bytes: ...
def gbk_to_big5(data: _Bytes, errors: _Errors = "replace") -> bytes: ...
def decode_references(
    data: _Bytes,
    encoding: Literal["utf-8", "utf8", "gbk", "cp936", "gb18030"] = "utf-8",
    errors: _Errors = "replace",
) -> bytes: ...
def charset_id(label: str) -> int: ...
def labels() -> dict[str, int]: ...

class Label(NamedTuple):
    """What the library's label lookup says of a label."""

    label: str
    id: int
    written: int
    gbk_writer: bool
    marked: bool
    note: Optional[str]

def lookup(label: str) -> Label: ...

class Charset(NamedTuple):
    """The library's description of a charset id."""

    id: int
    name: str
    readable: bool
    writable: bool
    ascii: bool
    unicode: bool
    mark: bytes
    mark_then: int

def charset(id: int) -> Charset: ...

class Stream:
    def __init__(self, charset: _Charset, to: _Target = "utf-8", report: bool = False) -> None: ...
    def feed(self, data: _Bytes, last: bool = False) -> bytes: ...
    def report(self) -> Report: ...
    def reset(self) -> None: ...

class Converter:
    def __init__(
        self,
        from_: _Charset,
        to: _Charset = "utf-8",
        unmappable: _Unmappable = "substitute",
        report: bool = False,
    ) -> None: ...
    def feed(self, data: _Bytes, last: bool = False) -> bytes: ...
    def report(self) -> Report: ...
    def reset(self) -> None: ...
    @property
    def from_id(self) -> int: ...
    @property
    def to_id(self) -> int: ...

class Decoder:
    def __init__(self, charset: _Charset, errors: _Errors = "replace") -> None: ...
    def decode(self, data: _Bytes, final: bool = False) -> str: ...
    def report(self) -> Report: ...
    def reset(self) -> None: ...
    @property
    def encoding(self) -> str: ...

class Encoder:
    def __init__(self, charset: _Charset, errors: _EncodeErrors = "strict") -> None: ...
    def encode(self, text: str, final: bool = False) -> bytes: ...
    def reset(self) -> None: ...
    @property
    def encoding(self) -> str: ...
