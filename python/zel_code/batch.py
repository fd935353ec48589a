"""Convert a tree of files with zel_code on a Dask distributed cluster.

    python3 -m zel_code.batch SRC DST -f LABEL -t TARGET [--scheduler ADDRESS | --workers N]

Every file under the directory SRC (or each one named in --files-from, one
path relative to SRC a line) is converted from the charset LABEL into the
charset TARGET (each a label the library takes, as zelconv does, or "#N" for
an id; LABEL may be "auto") and written to the same relative path under DST,
byte for byte what `zelconv -f LABEL -t TARGET` writes, --unmappable and
--keep-bom included. "auto" guesses each file's charset as zelconv -f auto
does, from its first 64 KiB, read on while all is 7-bit up to 16 MiB; unlike
zelconv it does not guess again past 16 MiB of 7-bit text.
One Dask task converts one file, reading it in blocks through the library's
general stream (zel_code.Converter), so a file of any size takes memory
that follows the block size. Each output is written to a temporary file
beside it and renamed into place when complete; a file with a character
TARGET lacks under --unmappable=stop fails, and leaves no output.

The manifest (DST/.zel-manifest.csv unless --manifest says otherwise) gets a
row as each file finishes: source size, modification time and SHA-256,
output size, the library's degradation counts, or the error that stopped
it. A run started again skips every file whose row shows it converted from
the same source with the same settings (-f, -t, --unmappable, --keep-bom;
a row older than one of them lacks it) and whose output is still there: so
an interrupted run resumes where it stopped. A file that cannot be read is
reported and the rest converted; the exit status is then 1.

--scheduler ADDRESS uses a running cluster (its workers must import zel_code
and see SRC and DST at the same paths); otherwise a local cluster of
--workers processes is started for the run.
"""

import argparse
import csv
import glob
import hashlib
import os
import sys
import tempfile
import time
from typing import NamedTuple, Union

from . import _zel_code

BLOCK_SIZE = 1 << 20
MANIFEST_NAME = ".zel-manifest.csv"
FIELDS = [
    "path",
    "status",
    "from",
    "to",
    "unmappable",
    "keep_bom",
    "source_size",
    "source_mtime_ns",
    "source_sha256",
    "output_size",
    "passed",
    "dropped",
    "replaced",
    "unmappable",
    "malformed",
    "first_offset",
    "error",
]
DONE = ("converted", "unchanged")
PART_SUFFIX = ".zel-part"

AUTO = "auto"
# What "auto" reads to guess from, as zelconv: the detector's prefix, and on
# while everything read is 7-bit text (which tells nothing), up to a limit.
_GUESS_PREFIX = 1 << 16
_GUESS_LIMIT = 16 << 20


def _read_umask():
    mask = os.umask(0)
    os.umask(mask)
    return mask


# New outputs get the mode a newly created file gets (zelconv's too); the
# umask is read once, as reading it means setting it.
_NEW_FILE_MODE = 0o666 & ~_read_umask()


def charset(label):
    """A -f or -t argument as the library takes it: "#N" is the id N."""
    if label.startswith("#") and label[1:].isdigit():
        return int(label[1:])
    return label


class Plan(NamedTuple):
    """What each task does: converts from `source` (AUTO: each file's guess)
    into `target` (as zel_code.Converter takes them), `mark` first in each
    output, a leading byte-order mark of the source dropped when
    `drop_mark`. `writes` names the target in messages."""

    source: Union[str, int]
    target: Union[str, int]
    unmappable: str
    mark: bytes
    drop_mark: bool
    writes: str


def _marked(name):
    """Whether a label's text starts with a mark that is no character of it
    (UTF-8-SIG)."""
    return isinstance(name, str) and _zel_code.lookup(name).marked


def make_plan(source, target, unmappable="substitute", keep_bom=False):
    """zelconv's rules for -f, -t, --unmappable and --keep-bom, from the
    library's charset descriptions: a leading mark of the source is dropped
    from output outside Unicode (where U+FEFF would be a space, a four-byte
    code or a substitute), from text guessed or named as starting with one
    (UTF-8-SIG), and, unless --keep-bom, from output that starts with its
    own mark: UTF-16 and UTF-32 (their mark, then big-endian) and UTF-8-SIG.
    Raises ValueError for what the library refuses."""
    auto = source.lower() == AUTO
    source, to = (AUTO if auto else charset(source)), charset(target)
    probe = _zel_code.Converter("utf-8" if auto else source, to, unmappable)
    written = _zel_code.charset(probe.to_id)
    mark = b""
    if written.mark_then:
        to, mark = written.mark_then, written.mark
    elif _marked(to):
        to, mark = probe.to_id, written.mark
    marked_source = not auto and _marked(source)
    drop = (not keep_bom and not written.unicode) or auto or marked_source
    if marked_source:
        source = probe.from_id  # the mark is dropped here, not by the converter
    if mark:
        drop = not keep_bom  # each output starts with just one
    return Plan(source, to, unmappable, mark, drop, target)


def _source_mark(id):
    """The bytes of a leading mark in text of the id that its decoder reads
    as a character (UTF-16 and UTF-32 read their own)."""
    described = _zel_code.charset(id)
    return b"" if described.mark_then else described.mark


def _read_for_guess(f, block_size):
    """The first bytes of a file, as much as zelconv reads to guess from."""
    data = f.read(max(block_size, _GUESS_PREFIX))
    checked = 0
    while len(data) < _GUESS_LIMIT and data[checked:].isascii() and b"\0" not in data[checked:]:
        checked = len(data)
        more = f.read(min(len(data), _GUESS_LIMIT - len(data)))
        if not more:
            break
        data += more
    return data


def _guess(data):
    """zelconv -f auto's charset for text starting with `data`: read as
    UTF-16 after a UTF-16 mark, else the detector's guess (None for binary
    data and text no charset reads well)."""
    if data[:2] in (b"\xfe\xff", b"\xff\xfe"):
        return 9
    return _zel_code.detect(data[:_GUESS_LIMIT], whole=len(data) > _GUESS_PREFIX).id


def _sha256(path, block_size):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        while piece := f.read(block_size):
            digest.update(piece)
    return digest.hexdigest()


def _output_intact(dst, previous):
    try:
        return os.stat(dst).st_size == int(previous["output_size"])
    except (OSError, ValueError):
        return False


def _unchanged(previous, st, dst):
    """Whether the manifest's row says the file was converted from a source
    of this size and time, into an output still there. The hash settles a
    changed time."""
    return (
        previous is not None
        and previous["status"] in DONE
        and previous["source_size"] == str(st.st_size)
        and _output_intact(dst, previous)
    )


def _remove_stale_parts(dst):
    """Temporaries a run stopped mid-file left for this output."""
    folder, name = os.path.split(dst)
    for stale in glob.glob(
        os.path.join(glob.escape(folder), "." + glob.escape(name) + ".*" + PART_SUFFIX)
    ):
        try:
            os.unlink(stale)
        except OSError:
            pass


def _stopped(plan, r, skipped):
    """zelconv's words for a stop at a character the target lacks."""
    alone = r.passed + r.dropped + r.malformed + r.replaced == 0
    return (
        f"a character {plan.writes} cannot hold {'at' if alone else 'after'} "
        f"byte {r.first_offset + skipped}"
    )


def _discard(part):
    try:
        os.unlink(part)
    except OSError:
        pass


def _convert(src, dst, plan, block_size):
    digest = hashlib.sha256()
    folder = os.path.dirname(dst) or "."
    os.makedirs(folder, exist_ok=True)
    _remove_stale_parts(dst)
    source_size = output_size = skipped = 0
    with open(src, "rb") as f:
        st = os.fstat(f.fileno())
        first = _read_for_guess(f, block_size) if plan.source == AUTO else b""
        source = _guess(first) if plan.source == AUTO else plan.source
        if source is None:  # binary data, or text no charset reads well
            return {"status": "failed", "error": "auto: no charset reads it"}
        stream = _zel_code.Converter(source, plan.target, plan.unmappable, report=True)
        drop = _source_mark(stream.from_id) if plan.drop_mark else b""
        fd, part = tempfile.mkstemp(
            dir=folder, prefix="." + os.path.basename(dst) + ".", suffix=PART_SUFFIX
        )
        try:
            os.fchmod(fd, _NEW_FILE_MODE)
            with os.fdopen(fd, "wb") as out:
                out.write(plan.mark)
                output_size = len(plan.mark)
                # The first piece holds a whole mark, whatever the block size.
                more = max(block_size, len(drop)) - len(first)
                piece = first + (f.read(more) if more > 0 else b"")
                if drop and piece.startswith(drop):
                    skipped = len(drop)
                start = skipped
                while piece:
                    digest.update(piece)
                    source_size += len(piece)
                    converted = stream.feed(memoryview(piece)[start:])
                    start = 0
                    out.write(converted)
                    output_size += len(converted)
                    piece = f.read(block_size)
                converted = stream.feed(b"", last=True)
                out.write(converted)
                output_size += len(converted)
            os.replace(part, dst)
        except UnicodeDecodeError:  # --unmappable=stop
            _discard(part)
            return {"status": "failed", "error": _stopped(plan, stream.report(), skipped)}
        except BaseException:
            _discard(part)
            raise
    r = stream.report()
    return {
        "status": "converted",
        "source_size": source_size,
        "source_mtime_ns": st.st_mtime_ns,
        "source_sha256": digest.hexdigest(),
        "output_size": output_size,
        "passed": r.passed,
        "dropped": r.dropped,
        "replaced": r.replaced,
        "unmappable": r.unmappable,
        "malformed": r.malformed,
        "first_offset": r.first_offset + skipped if r.first_offset >= 0 else -1,
        "error": "",
    }


def convert_file(src, dst, previous, plan, block_size=BLOCK_SIZE):
    """One task: converts src into dst, or leaves dst when the manifest's row
    `previous` shows it converted from the same bytes. Returns the row's new
    fields. An error reading or writing is returned, not raised, so that a
    cluster keeps converting the other files."""
    try:
        st = os.stat(src)
        if _unchanged(previous, st, dst) and previous["source_sha256"] == _sha256(src, block_size):
            return dict(previous, status="unchanged", source_mtime_ns=st.st_mtime_ns)
        return _convert(src, dst, plan, block_size)
    except OSError as e:
        return {"status": "failed", "error": f"{e.strerror or e}: {e.filename or src}"}


def read_manifest(path):
    """The last row of each path, leaving out a row cut short by an
    interrupted write."""
    rows = {}
    try:
        with open(path, newline="", encoding="utf-8") as f:
            reader = csv.DictReader(f)
            try:
                for row in reader:
                    if None not in row.values() and None not in row and row["path"]:
                        rows[row["path"]] = row
            except csv.Error:
                pass
    except FileNotFoundError:
        pass
    return rows


def write_manifest(path, rows):
    """Writes every row at once, through a temporary file renamed over it."""
    folder = os.path.dirname(path) or "."
    fd, part = tempfile.mkstemp(dir=folder, prefix=".manifest.", suffix=PART_SUFFIX)
    with os.fdopen(fd, "w", newline="", encoding="utf-8") as f:
        writer = csv.DictWriter(f, FIELDS, extrasaction="ignore")
        writer.writeheader()
        for name in sorted(rows):
            writer.writerow(rows[name])
    os.chmod(part, _NEW_FILE_MODE)
    os.replace(part, path)


class Journal:
    """The manifest, a row appended and flushed as each file finishes, so
    that a run stopped at any point leaves the rows of the files it did."""

    def __init__(self, path, rows):
        self.rows = rows
        self._path = path
        write_manifest(path, rows)
        self._file = open(path, "a", newline="", encoding="utf-8")
        self._writer = csv.DictWriter(self._file, FIELDS, extrasaction="ignore")

    def add(self, row):
        self.rows[row["path"]] = row
        self._writer.writerow(row)
        self._file.flush()

    def close(self):
        self._file.close()
        write_manifest(self._path, self.rows)


class Progress:
    """One line on a terminal: files and bytes done, redrawn at most ten
    times a second."""

    def __init__(self, files, total_bytes, shown):
        self.files, self.total, self.shown = files, max(total_bytes, 1), shown
        self.done = self.bytes = 0
        self._drawn = 0.0

    def advance(self, size):
        self.done += 1
        self.bytes += size
        now = time.monotonic()
        if self.shown and (now - self._drawn > 0.1 or self.done == self.files):
            self._drawn = now
            filled = int(30 * self.bytes / self.total)
            sys.stderr.write(
                f"\r[{'#' * filled}{'.' * (30 - filled)}] {self.done}/{self.files} files, "
                f"{self.bytes / 2**20:.1f}/{self.total / 2**20:.1f} MiB"
            )
            sys.stderr.flush()

    def interrupt(self):
        """Ends the bar's line, for a message; the next advance redraws it."""
        if self.shown and self.done:
            sys.stderr.write("\n")

    def close(self):
        if self.shown and self.files:
            sys.stderr.write("\n")


def list_files(src, dst, manifest, files_from):
    if files_from:
        with open(files_from, encoding="utf-8") as f:
            return [line.rstrip("\n") for line in f if line.strip()]
    skip = {os.path.realpath(dst), os.path.realpath(manifest)}
    names = []
    for folder, dirs, files in os.walk(src):
        dirs[:] = sorted(d for d in dirs if os.path.realpath(os.path.join(folder, d)) not in skip)
        for name in sorted(files):
            path = os.path.join(folder, name)
            if os.path.realpath(path) not in skip:
                names.append(os.path.relpath(path, src))
    return names


def _client(args):
    from distributed import Client, LocalCluster

    if args.scheduler:
        return Client(args.scheduler), None
    cluster = LocalCluster(
        n_workers=args.workers,
        threads_per_worker=1,
        processes=True,
        dashboard_address=None,
        silence_logs=40,
    )
    return Client(cluster), cluster


def parse_args(argv):
    p = argparse.ArgumentParser(
        prog="python3 -m zel_code.batch",
        description="Convert a tree of files on a Dask cluster, as zelconv converts one.",
    )
    p.add_argument("src", metavar="SRC", help="directory of the files to convert")
    p.add_argument("dst", metavar="DST", help="directory the converted files go to")
    p.add_argument(
        "-f",
        "--from-code",
        dest="source",
        required=True,
        metavar="LABEL",
        help="charset of the files: a label of the library, #N for an id, or auto (each guessed)",
    )
    p.add_argument(
        "-t",
        "--to-code",
        dest="target",
        required=True,
        metavar="TARGET",
        help="charset written: a label of the library or #N for an id",
    )
    p.add_argument(
        "--unmappable",
        choices=("substitute", "skip", "ncr", "stop"),
        default="substitute",
        help="what becomes of a character TARGET lacks, as zelconv --unmappable (stop fails "
        "the file)",
    )
    where = p.add_mutually_exclusive_group()
    where.add_argument(
        "--scheduler", metavar="ADDRESS", help="a running Dask scheduler, e.g. tcp://host:8786"
    )
    where.add_argument(
        "--workers",
        type=int,
        default=os.cpu_count() or 1,
        metavar="N",
        help="worker processes of the local cluster started for the run (default: one per CPU)",
    )
    p.add_argument(
        "--files-from",
        metavar="LIST",
        help="convert only these files: paths relative to SRC, one a line",
    )
    p.add_argument("--manifest", metavar="PATH", help=f"the manifest (default DST/{MANIFEST_NAME})")
    p.add_argument(
        "--keep-bom",
        action="store_true",
        help="keep a leading byte-order mark of the source, as zelconv --keep-bom",
    )
    p.add_argument(
        "--block-size",
        type=int,
        default=BLOCK_SIZE,
        metavar="BYTES",
        help="read files in blocks of BYTES (default 1 MiB)",
    )
    p.add_argument(
        "--progress",
        choices=("auto", "always", "never"),
        default="auto",
        help="show a progress bar (auto: when standard error is a terminal)",
    )
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    try:
        plan = make_plan(args.source, args.target, args.unmappable, args.keep_bom)
    except ValueError as e:
        print(f"zel_code.batch: {e}", file=sys.stderr)
        return 2
    if args.block_size < 1:
        print("zel_code.batch: --block-size must be positive", file=sys.stderr)
        return 2
    manifest = args.manifest or os.path.join(args.dst, MANIFEST_NAME)
    os.makedirs(args.dst, exist_ok=True)
    previous = read_manifest(manifest)
    journal = Journal(manifest, previous)
    settings = {
        "from": args.source,
        "to": args.target,
        "unmappable": args.unmappable,
        "keep_bom": "yes" if args.keep_bom else "no",
    }

    failed = unchanged = 0
    todo = []
    for name in list_files(args.src, args.dst, manifest, args.files_from):
        src, dst = os.path.join(args.src, name), os.path.join(args.dst, name)
        row = previous.get(name)
        if row and any(row.get(key) != value for key, value in settings.items()):
            row = None
        try:
            st = os.stat(src)
        except OSError as e:
            journal.add(
                {"path": name, "status": "failed", "error": f"{e.strerror}: {src}", **settings}
            )
            print(f"zel_code.batch: cannot read {src}: {e.strerror}", file=sys.stderr)
            failed += 1
            continue
        # Same size and time: skipped without reading it again.
        if _unchanged(row, st, dst) and row["source_mtime_ns"] == str(st.st_mtime_ns):
            unchanged += 1
            continue
        todo.append((st.st_size, name, src, dst, row))
    todo.sort(key=lambda t: -t[0])  # the largest first, so that none ends the run alone

    show = args.progress == "always" or (args.progress == "auto" and sys.stderr.isatty())
    progress = Progress(len(todo), sum(t[0] for t in todo), show)
    converted = 0
    if todo:
        from distributed import as_completed

        client, cluster = _client(args)
        try:
            futures = client.map(
                convert_file,
                [t[2] for t in todo],
                [t[3] for t in todo],
                [t[4] for t in todo],
                plan=plan,
                block_size=args.block_size,
                pure=False,
            )
            files = {f.key: t for f, t in zip(futures, todo)}
            for future in as_completed(futures):
                size, name, src = files[future.key][:3]
                if future.status == "error":
                    fields = {"status": "failed", "error": repr(future.exception())}
                else:
                    fields = future.result()
                journal.add({**fields, "path": name, **settings})
                progress.advance(size)
                if fields["status"] == "failed":
                    failed += 1
                    progress.interrupt()
                    print(
                        f"zel_code.batch: cannot convert {src}: {fields['error']}", file=sys.stderr
                    )
                elif fields["status"] == "unchanged":
                    unchanged += 1
                else:
                    converted += 1
        finally:
            progress.close()
            client.close()
            if cluster is not None:
                cluster.close()
    journal.close()
    print(
        f"zel_code.batch: {converted} converted, {unchanged} unchanged, {failed} failed "
        f"(manifest: {manifest})",
        file=sys.stderr,
    )
    return 1 if failed else 0


if __name__ == "__main__":
    from zel_code.batch import main as _main

    sys.exit(_main())
