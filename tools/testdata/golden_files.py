"""What the golden-file scripts of tools/testdata share: the file format, the
output folder, and reading the converters and data they take their answers
from (Python's codecs, glibc's iconv, Perl's Encode, Unihan).

Format of every golden file: lines starting with '#' are comments (the first
names the source); every other line is

    input<TAB>expected

both as upper-case hex bytes. Pivot text is UCS-2 little-endian, so U+4E00
is written 004E. The expected side is the source's own answer, unedited, and
empty where the source has none: where this library departs from a source,
and what it gives for an input the source refuses, are listed as data in the
tests that read the file, so each departure is reviewed there with its reason
instead of disappearing into the file.

tools/testdata/regenerate.sh runs every script; tools/testdata/check.sh
regenerates into a scratch folder and fails on any difference from
tests/data, so a changed converter shows up as a reviewable diff.

Like the scripts, this module shares no code with tools/tablegen on purpose:
the golden files are the oracle the tables are checked against, so they must
not inherit a generator's mistake.
"""

import bz2
import ctypes
import ctypes.util
import platform
import subprocess
from pathlib import Path

OUT = Path(__file__).resolve().parents[2] / "tests" / "data"
PYTHON = f"python {platform.python_version()}"
UNICODE_DATA = Path("/usr/share/unicode")


class SourceMissing(Exception):
    """A converter or data file a golden file comes from is not installed."""


def pivot(*units):
    return b"".join(unit.to_bytes(2, "little") for unit in units)


def verdict(data, codec):
    """The pivot of the one BMP code unit `data` decodes to by Python's
    `codec`, or b"" when the codec refuses it."""
    try:
        text = data.decode(codec)
    except UnicodeDecodeError:
        return b""
    if len(text) != 1 or ord(text) > 0xFFFF:
        raise SystemExit(f"{codec}: {data.hex()} decodes to {text!r}, not one code unit")
    return pivot(ord(text))


def encoded(unit, codec):
    """What Python's `codec` writes for the code unit, or b"" when it has no
    code for it."""
    try:
        return chr(unit).encode(codec)
    except UnicodeEncodeError:
        return b""


def write(out, name, header, pairs):
    """Writes the golden file `name` into `out`: `header` as comment lines,
    then one line per (given, expected) pair of bytes."""
    lines = [f"# {line}\n" for line in header]
    lines += [f"{given.hex().upper()}\t{expected.hex().upper()}\n" for given, expected in pairs]
    path = out / name
    path.write_text("".join(lines), encoding="ascii", newline="\n")
    print(f"wrote {path} ({len(pairs)} cases)")


def main(argv, files):
    """Writes each of `files`, (name, make) with make() giving the header
    lines and the pairs, into the folder named on the command line (default
    tests/data). With --skip-missing, a file whose source is not installed is
    reported as "skipped NAME: why" and the others are still written."""
    args = [arg for arg in argv[1:] if arg != "--skip-missing"]
    skip_missing = len(args) < len(argv) - 1
    out = Path(args[0]) if args else OUT
    out.mkdir(parents=True, exist_ok=True)
    for name, make in files:
        try:
            header, pairs = make()
        except SourceMissing as missing:
            if not skip_missing:
                raise SystemExit(f"{name}: {missing}")
            print(f"skipped {name}: {missing}")
            continue
        write(out, name, header, pairs)


def cached(make):
    """`make` run once, for scripts whose files share a costly source."""
    result = []

    def once():
        if not result:
            result.append(make())
        return result[0]

    return once


class Iconv:
    """glibc's iconv from `charset` to UTF-32LE, one input at a time."""

    def __init__(self, charset):
        libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        try:
            libc.gnu_get_libc_version.restype = ctypes.c_char_p
        except AttributeError:
            raise SourceMissing("needs glibc's iconv") from None
        libc.iconv_open.restype = ctypes.c_void_p
        libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        chars, size = ctypes.POINTER(ctypes.c_char_p), ctypes.POINTER(ctypes.c_size_t)
        libc.iconv.restype = ctypes.c_size_t
        libc.iconv.argtypes = [ctypes.c_void_p, chars, size, chars, size]
        self.libc = libc
        self.version = libc.gnu_get_libc_version().decode("ascii")
        self.handle = libc.iconv_open(b"UTF-32LE", charset.encode("ascii"))
        if self.handle in (None, ctypes.c_void_p(-1).value):
            raise SourceMissing(f"glibc iconv has no {charset} converter")

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


def perl_bytes(encoding):
    """Perl's Encode for each byte 00..FF alone: a list of code points, or
    None where it refuses the byte; and Encode's version."""
    script = (
        "use Encode; binmode STDOUT;"
        "for my $b (0..255) { my $s = eval { decode(q(%s), pack(q(C), $b), Encode::FB_CROAK) };"
        " print defined $s ? join(q( ), map { sprintf q(%%X), ord } split //, $s) : q(-), qq(\\n) }"
        " print qq($Encode::VERSION\\n);" % encoding
    )
    try:
        run = subprocess.run(["perl", "-e", script], capture_output=True, text=True)
    except FileNotFoundError:
        raise SourceMissing("needs perl (Debian's perl package)") from None
    if run.returncode:
        raise SourceMissing(f"perl's Encode cannot read {encoding}: {run.stderr.strip()}")
    lines = run.stdout.split("\n")
    decoded = [None if line == "-" else [int(x, 16) for x in line.split()] for line in lines[:256]]
    return decoded, lines[256]


def unihan_field(file_name, field):
    """Unihan's Unicode version and, for every entry of `field` in
    /usr/share/unicode/`file_name` (Debian unicode-data), the code point and
    the value as written."""
    path = UNICODE_DATA / file_name
    if not path.exists():
        raise SourceMissing(f"needs {path} (Debian's unicode-data package)")
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
