"""What the golden-file scripts of tools/testdata share: the file format, the
output folder, and reading the converters and data they take their answers
from (Python's codecs, glibc's iconv, Unihan).

Format of every golden file: lines starting with '#' are comments (the first
names the source); every other line is

    input<TAB>expected

both as upper-case hex bytes. Pivot text is UCS-2 little-endian, so U+4E00
is written 004E.

Like the scripts, this module shares no code with tools/tablegen on purpose:
the golden files are the oracle the tables are checked against, so they must
not inherit a generator's mistake.
"""

import bz2
import ctypes
import ctypes.util
import platform
from pathlib import Path

OUT = Path(__file__).resolve().parents[2] / "tests" / "data"
PYTHON = f"python {platform.python_version()}"
SPACE = b" "
UNICODE_DATA = Path("/usr/share/unicode")


def output_folder(argv):
    """The folder named on the command line, default tests/data, made if
    missing."""
    out = Path(argv[1]) if len(argv) > 1 else OUT
    out.mkdir(parents=True, exist_ok=True)
    return out


def pivot(unit):
    return unit.to_bytes(2, "little")


def single_unit(data, codec):
    """The one code unit of the Basic Multilingual Plane `data` decodes to,
    or None if the codec refuses it or gives anything else."""
    try:
        text = data.decode(codec)
    except UnicodeDecodeError:
        return None
    return ord(text) if len(text) == 1 and ord(text) <= 0xFFFF else None


def write(out, name, header, pairs):
    """Writes the golden file `name` into `out`: `header` as comment lines,
    then one line per (given, expected) pair of bytes."""
    lines = [f"# {line}\n" for line in header]
    lines += [f"{given.hex().upper()}\t{expected.hex().upper()}\n" for given, expected in pairs]
    path = out / name
    path.write_text("".join(lines), encoding="ascii", newline="\n")
    print(f"wrote {path} ({len(pairs)} cases)")


class Iconv:
    """glibc's iconv from `charset` to UTF-32LE, one input at a time."""

    def __init__(self, charset):
        libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        libc.iconv_open.restype = ctypes.c_void_p
        libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        chars, size = ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)
        libc.iconv.restype = ctypes.c_size_t
        libc.iconv.argtypes = [ctypes.c_void_p, chars, size, chars, size]
        libc.gnu_get_libc_version.restype = ctypes.c_char_p
        self.libc = libc
        self.version = libc.gnu_get_libc_version().decode("ascii")
        self.handle = libc.iconv_open(b"UTF-32LE", charset.encode("ascii"))
        if self.handle in (None, ctypes.c_void_p(-1).value):
            raise SystemExit(f"glibc iconv has no {charset} converter")

    def __call__(self, data):
        """The code points of `data`, or None if iconv refuses it."""
        libc, failed = self.libc, ctypes.c_size_t(-1).value
        libc.iconv(self.handle, None, None, None, None)  # back to the initial state
        source = ctypes.create_string_buffer(data, len(data))
        source_at, source_left = ctypes.c_char_p(ctypes.addressof(source)), ctypes.c_size_t(len(data))
        target = ctypes.create_string_buffer(64)
        target_at, target_left = ctypes.c_char_p(ctypes.addressof(target)), ctypes.c_size_t(64)
        if libc.iconv(self.handle, ctypes.byref(source_at), ctypes.byref(source_left),
                      ctypes.byref(target_at), ctypes.byref(target_left)) == failed or source_left.value:
            return None
        # A converter may hold a character back in case a combining mark
        # follows (TCVN's does): flush it.
        if libc.iconv(self.handle, None, None, ctypes.byref(target_at), ctypes.byref(target_left)) == failed:
            return None
        written = target.raw[: 64 - target_left.value]
        return [int.from_bytes(written[at : at + 4], "little") for at in range(0, len(written), 4)]


def unihan_field(file_name, field):
    """Unihan's Unicode version and, for every entry of `field` in
    /usr/share/unicode/`file_name` (Debian unicode-data), the code point and
    the value as written."""
    path = UNICODE_DATA / file_name
    if not path.exists():
        raise SystemExit(f"{path} is missing: apt-get install unicode-data")
    version, entries = "?", []
    with bz2.open(path, "rt", encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("# Unicode version:"):
                version = line.split(":", 1)[1].strip()
            fields = line.rstrip("\n").split("\t")
            if line.startswith("#") or len(fields) != 3 or fields[1] != field:
                continue
            entries.append((int(fields[0][2:], 16), fields[2]))
    return version, entries
