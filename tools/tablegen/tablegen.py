"""Shared helpers of the table generators (tools/tablegen/gen_*.py).

A generator reads snapshots (inputs/*.txt, written by dump_inputs.py), builds
each array as a Table in recorded steps, and writes one C++ source with
write_source(). The steps are:

- load():      cells taken from a snapshot; a cell loaded twice is an error.
- fix():       cells the encoding defines without a character (a byte that is
               no trail byte, a slot that holds no code); each must still be
               empty, so a snapshot that starts to map one is caught.
- override():  an ordered list of Override(code, value, reason) for the cells
               where this library differs from the published mapping. An
               override that no longer changes its cell is refused: the source
               moved and the list must be read again.
- fill_empty(): the filler for every cell still empty (unassigned codes).
- trim():      drop the trailing cells equal to the value a lookup returns
               past the stored range.

Every step is repeated in the generated file's header comment, so the source
says where each cell came from. Output is deterministic: no dates, no hashing,
cells in index order. Python 3 standard library only.
"""

import sys
from dataclasses import dataclass
from pathlib import Path

sys.dont_write_bytecode = True

TOOLS_DIR = Path(__file__).resolve().parent
INPUTS = TOOLS_DIR / "inputs"
REPO = TOOLS_DIR.parents[1]
DEFAULT_OUT = REPO / "src" / "tables"


class TableError(Exception):
    pass


# Why a cell without a character holds U+FFFD and never 0, past a table's
# last character as much as inside it: the decoders write a cell as they find
# it, and a NUL inside text cuts every C string short there and is refused by
# many databases. Only byte 0x00 itself decodes to U+0000.
NOT_NUL = "U+FFFD, not 0: a NUL inside text cuts C strings short and many databases refuse it"


@dataclass(frozen=True)
class Snapshot:
    name: str
    source: str  # the snapshot's first comment line
    entries: tuple  # (code as int, code length in bytes, unit)

    def codes_of_length(self, length):
        """(code, unit) for the codes of `length` bytes."""
        return [(code, unit) for code, size, unit in self.entries if size == length]

    def input_path(self):
        return f"inputs/{self.name}.txt"


def read_snapshot(name, folder=INPUTS):
    path = folder / f"{name}.txt"
    lines = path.read_text(encoding="ascii").splitlines()
    if not lines or not lines[0].startswith("# "):
        raise TableError(f"{path}: first line must name the source")
    entries = []
    for number, line in enumerate(lines, 1):
        if line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 2 or len(fields[0]) % 2 or not fields[0] or not fields[1]:
            raise TableError(f"{path}:{number}: expected code<TAB>unit in hex: {line!r}")
        try:
            code, unit = int(fields[0], 16), int(fields[1], 16)
        except ValueError:
            raise TableError(f"{path}:{number}: not hex: {line!r}") from None
        entries.append((code, len(fields[0]) // 2, unit))
    return Snapshot(name, lines[0][2:], tuple(entries))


@dataclass(frozen=True)
class Override:
    code: int  # the table's own key: a byte code, or a code unit
    value: int
    reason: str


@dataclass(frozen=True)
class Layout:
    """How a table is keyed and printed."""

    index_of: object  # key -> index, or None for a key outside the table
    key_of: object  # index -> key
    key_text: object  # key -> text, for comments
    value_text: object  # value -> text, for comments
    row_length: int  # lines restart at every multiple of this
    per_line: int = 16


def two_byte_layout(leads, trails, value_text=None):
    """A table of two-byte codes, one row per lead byte: a lead from `leads`
    and a trail from `trails` (both ranges) lie at cell
    (lead - leads.start) * len(trails) + (trail - trails.start)."""
    columns = len(trails)

    def index_of(code):
        lead, trail = code >> 8, code & 0xFF
        if lead in leads and trail in trails:
            return (lead - leads.start) * columns + (trail - trails.start)
        return None

    def key_of(index):
        return (leads.start + index // columns) << 8 | (trails.start + index % columns)

    return Layout(index_of, key_of, hex_key(4), value_text or unit_text, row_length=columns)


def hex_key(width):
    return lambda key: f"{key:0{width}X}"


def unit_text(value):
    return f"U+{value:04X}"


def code_text(value):
    return f"0x{value:04X}"


class Table:
    def __init__(self, name, size, layout, doc):
        self.name = name
        self.cells = [None] * size
        self.layout = layout
        self.doc = doc  # comment lines describing index and fillers
        self.steps = []  # comment lines describing how the cells were made

    def index(self, key):
        index = self.layout.index_of(key)
        if index is None or not 0 <= index < len(self.cells):
            raise TableError(f"{self.name}: {self.layout.key_text(key)} lies outside the table")
        return index

    def key(self, index):
        return self.layout.key_text(self.layout.key_of(index))

    def load(self, pairs, what):
        for key, value in pairs:
            index = self.index(key)
            if self.cells[index] is not None:
                raise TableError(f"{self.name}: {self.key(index)} loaded twice")
            self.cells[index] = value
        self.steps.append(f"{len(pairs)} cells from {what}")

    def fix(self, keys, value, reason):
        keys = list(keys)
        for key in keys:
            index = self.index(key)
            if self.cells[index] is not None:
                raise TableError(
                    f"{self.name}: {self.key(index)} should be empty for '{reason}' but holds "
                    f"{self.layout.value_text(self.cells[index])}"
                )
            self.cells[index] = value
        self.steps.append(f"{len(keys)} cells {self.layout.value_text(value)}: {reason}")

    def override(self, overrides, title):
        self.steps.append(f"{title} ({len(overrides)} overrides, in order):")
        printed = []
        for item in overrides:
            index = self.index(item.code)
            old = self.cells[index]
            if old == item.value:
                raise TableError(
                    f"{self.name}: override {self.key(index)} -> {self.layout.value_text(item.value)} "
                    f"({item.reason}) no longer changes anything"
                )
            self.cells[index] = item.value
            was = "empty" if old is None else self.layout.value_text(old)
            printed.append(
                (item.reason, f"{self.key(index)} {self.layout.value_text(item.value)} (was {was})")
            )
        self.steps.extend(_collapse_runs(printed))

    def fill_empty(self, value, reason):
        count = 0
        for index, cell in enumerate(self.cells):
            if cell is None:
                self.cells[index] = value
                count += 1
        self.steps.append(f"{count} cells {self.layout.value_text(value)}: {reason}")

    def trim(self, past_end):
        self.finish()
        size = len(self.cells)
        while self.cells and self.cells[-1] == past_end:
            self.cells.pop()
        if len(self.cells) != size:
            self.steps.append(
                f"stored through {self.key(len(self.cells) - 1)} ({len(self.cells)} of {size} cells); "
                f"a read past that gives {self.layout.value_text(past_end)}"
            )

    def finish(self):
        for index, cell in enumerate(self.cells):
            if cell is None:
                raise TableError(f"{self.name}: {self.key(index)} was never set")
            if not 0 <= cell <= 0xFFFF:
                raise TableError(f"{self.name}: {self.key(index)} holds {cell:#x}, not 16 bits")

    def count(self, value):
        return sum(1 for cell in self.cells if cell == value)


def _collapse_runs(printed):
    """Override lines for the header; a long run sharing one reason is shown
    by its ends and its length, the reason once."""
    lines = []
    start = 0
    while start < len(printed):
        end = start
        while end + 1 < len(printed) and printed[end + 1][0] == printed[start][0]:
            end += 1
        run = [text for _, text in printed[start : end + 1]]
        lines.append(f"  {printed[start][0]}:")
        if len(run) > 30:
            lines += [f"    {run[0]}", f"    {run[1]}", "    ...", f"    {run[-1]}", f"    ({len(run)} cells)"]
        else:
            lines += [f"    {text}" for text in run]
        start = end + 1
    return lines


def render_array(table):
    table.finish()
    layout = table.layout
    out = [f"extern const std::uint16_t {table.name}[] = {{\n"]
    index = 0
    while index < len(table.cells):
        row_end = (index // layout.row_length + 1) * layout.row_length
        end = min(index + layout.per_line, row_end, len(table.cells))
        values = ", ".join(f"0x{cell:04X}" for cell in table.cells[index:end])
        out.append(f"    /* {table.key(index)} */ {values},\n")
        index = end
    out.append("};\n")
    return "".join(out)


def comment(lines):
    return "".join(f"// {line}".rstrip() + "\n" for line in lines)


def generator_main(script, file_name, build, intro, header):
    """The whole main of a generator: builds its tables from the snapshots and
    writes them, a TableError ending the run with its message."""
    try:
        snapshots, tables = build()
        path = write_source(out_dir_from_argv(sys.argv), file_name, script, snapshots, intro, tables, header)
    except TableError as error:
        raise SystemExit(f"{script}: {error}")
    print(f"wrote {path}")


def write_source(out_dir, file_name, script, snapshots, intro, tables, header):
    """Writes one generated source holding `tables`, each checked against the
    size declared as <name>_size in `header`, the family's own header."""
    inputs = ", ".join(snapshot.input_path() for snapshot in snapshots)
    head = [f"Generated by tools/tablegen/{script} from {inputs}; do not edit."]
    head += ["", "Inputs:"]
    head += [f"  {snapshot.input_path()}: {snapshot.source}" for snapshot in snapshots]
    head += [""] + intro
    for table in tables:
        head += ["", f"{table.name}:"]
        head += [f"  {line}" for line in table.doc]
        head += ["  Made in this order:"]
        head += [f"  - {line}" if not line.startswith("  ") else f"  {line}" for line in table.steps]
    # The formatter is kept off the rest of the file: 16 cells a line, one
    # comment line per step, whatever its width.
    parts = [comment(head[:1]), "// clang-format off\n", comment(head[1:])]
    parts.append("\n#include <cstdint>\n#include <iterator>\n\nnamespace zel {\n")
    for table in tables:
        parts.append("\n" + render_array(table))
    parts.append("\n}  // namespace zel\n\n")
    parts.append(
        comment(
            [
                f"{Path(header).name} comes after the definitions on purpose: each array above takes its",
                "length from the cells written, and the header's sized declarations must agree",
                "with it or the build fails, so a cut-short table cannot fill up with zeros.",
            ]
        )
    )
    parts.append(f'#include "{header}"\n\n')
    for table in tables:
        parts.append(f"static_assert(std::size(zel::{table.name}) == zel::{table.name}_size);\n")
    Path(out_dir).mkdir(parents=True, exist_ok=True)
    path = Path(out_dir) / file_name
    path.write_text("".join(parts), encoding="ascii", newline="\n")
    return path


def out_dir_from_argv(argv):
    if len(argv) > 2:
        raise SystemExit(f"usage: {argv[0]} [output folder, default {DEFAULT_OUT}]")
    return Path(argv[1]) if len(argv) == 2 else DEFAULT_OUT
