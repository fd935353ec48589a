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

A generator may also write the reverse of some finished tables (Reverse, for
encoding) into a sibling source, <family>_reverse.cpp: made from the same
cells, with its own ordered list of Choice(code point, code, reason) where
several cells give one code point, and its round trip checked before a byte
is written.
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


def generator_main(script, file_name, build, intro, header, choices=None):
    """The whole main of a generator: builds its tables from the snapshots and
    writes them, a TableError ending the run with its message. `choices`
    names the tables that also get a reverse, each with its Choice list;
    those go to <file_name>_reverse.cpp, declared in src/tables/reverse.h."""
    try:
        snapshots, tables = build()
        reverses = reverses_of(tables, choices or {})
        out_dir = out_dir_from_argv(sys.argv)
        paths = [write_source(out_dir, file_name, script, snapshots, intro, tables, header)]
        if reverses:
            reverse_file = file_name.removesuffix(".cpp") + "_reverse.cpp"
            paths.append(write_reverse_source(out_dir, reverse_file, script, snapshots, file_name, reverses))
    except TableError as error:
        raise SystemExit(f"{script}: {error}")
    for path in paths:
        print(f"wrote {path}")


def source_head(script, snapshots, intro):
    """The header comment's first lines: what wrote the file, from what."""
    inputs = ", ".join(snapshot.input_path() for snapshot in snapshots)
    head = [f"Generated by tools/tablegen/{script} from {inputs}; do not edit."]
    head += ["", "Inputs:"]
    head += [f"  {snapshot.input_path()}: {snapshot.source}" for snapshot in snapshots]
    return head + [""] + intro


def write_source(out_dir, file_name, script, snapshots, intro, tables, header):
    """Writes one generated source holding `tables`, each checked against the
    size declared as <name>_size in `header`, the family's own header."""
    head = source_head(script, snapshots, intro)
    for table in tables:
        head += ["", f"{table.name}:"]
        head += [f"  {line}" for line in table.doc]
        head += ["  Made in this order:"]
        head += [f"  - {line}" if not line.startswith("  ") else f"  {line}" for line in table.steps]
    body = ["\n" + render_array(table) for table in tables]
    sizes = [table.name for table in tables]
    return write_text(out_dir, file_name, source_text(head, body, header, sizes))


def source_text(head, body, header, sized_names):
    """A generated source: the header comment, the arrays in `body`, then the
    hand-written header and a check of each of `sized_names` against the size
    it declares, <name>_size."""
    # The formatter is kept off the rest of the file: 16 cells a line, one
    # comment line per step, whatever its width.
    parts = [comment(head[:1]), "// clang-format off\n", comment(head[1:])]
    parts.append("\n#include <cstdint>\n#include <iterator>\n\nnamespace zel {\n")
    parts += body
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
    for name in sized_names:
        parts.append(f"static_assert(std::size(zel::{name}) == zel::{name}_size);\n")
    return "".join(parts)


def write_text(out_dir, file_name, text):
    Path(out_dir).mkdir(parents=True, exist_ok=True)
    path = Path(out_dir) / file_name
    path.write_text(text, encoding="ascii", newline="\n")
    return path


# --- reverse tables, for encoding -------------------------------------------

REVERSE_HEADER = "src/tables/reverse.h"
PAGE = 256  # code points a page of a reverse table covers
LAST_CODE_POINT = 0x10FFFF
NO_CHARACTER = 0xFFFD  # what a decoding table holds for a code without a character


@dataclass(frozen=True)
class Choice:
    """Where several cells of a decoding table give one code point: the code
    its reverse gives instead of the lowest."""

    code_point: int
    code: int  # the decoding table's key of the chosen cell
    reason: str


def reverse_intro(file_name):
    return [
        f"The reverses of the decoding tables of {file_name}, for encoding. The cell of code point cp",
        "is pages[index[cp >> 8] * 256 + (cp & 0xFF)]: 0 where no cell of the decoding table gives cp,",
        "else 1 + the index of the cell that does, so decoding_table[cell - 1] == cp. U+FFFD, which the",
        "decoding tables hold for no character, gets no code. An index stops after its last block with",
        "a code; page 0 is all zero, for the blocks without one. Read through forward_index() in",
        f"{REVERSE_HEADER}. Where several cells give one code point, the lowest code is kept unless a",
        "choice below names another.",
    ]


class Reverse:
    """The reverse of a finished decoding table: by code point, 1 + the index
    of the cell giving it, 0 for none; an index by cp >> 8 of pages of 256
    cells, page 0 the empty one. Checked both ways when made."""

    def __init__(self, forward, choices):
        forward.finish()
        self.forward = forward
        self.name = forward.name.removesuffix("_to_ucs2") + "_from_unicode"
        cells_of = {}
        for index, unit in enumerate(forward.cells):
            if unit == NO_CHARACTER:
                continue
            if 0xD800 <= unit <= 0xDFFF or unit > LAST_CODE_POINT:
                raise TableError(f"{forward.name}: {forward.key(index)} holds {unit:#x}, no character")
            cells_of.setdefault(unit, []).append(index)
        if not cells_of:
            raise TableError(f"{forward.name}: no character to encode")
        if len(forward.cells) >= 0xFFFF:
            raise TableError(f"{forward.name}: {len(forward.cells)} cells, 1 + an index must fit 16 bits")
        self.code_points = len(cells_of)
        chosen = {unit: indices[0] for unit, indices in cells_of.items()}
        self.steps = [f"{len(chosen)} code points from the cells of {forward.name}, U+FFFD left out"]
        self.steps += self._choose(chosen, cells_of, choices)
        self._store(chosen)
        self._check()

    def _choose(self, chosen, cells_of, choices):
        forward, printed = self.forward, []
        several = sorted(unit for unit, indices in cells_of.items() if len(indices) > 1)
        for item in choices:
            index = forward.index(item.code)
            what = f"choice U+{item.code_point:04X} -> {forward.key(index)} ({item.reason})"
            if index not in cells_of.get(item.code_point, []):
                raise TableError(f"{self.name}: {what}: that cell does not give U+{item.code_point:04X}")
            if chosen[item.code_point] == index:
                raise TableError(f"{self.name}: {what} no longer changes anything")
            was = forward.key(chosen[item.code_point])
            chosen[item.code_point] = index
            printed.append((item.reason, f"U+{item.code_point:04X} {forward.key(index)} (was {was})"))
        if not several:
            return ["no code point is given by several cells: nothing to choose"]
        listed = {item.code_point for item in choices}
        kept = [
            f"  U+{unit:04X} {forward.key(cells_of[unit][0])} "
            f"(not {', '.join(forward.key(index) for index in cells_of[unit][1:])})"
            for unit in several
            if unit not in listed
        ]
        if len(kept) > 30:
            kept = kept[:2] + ["  ...", kept[-1]]
        steps = [f"{len(several)} code points given by several cells"]
        steps.append(f"choices ({len(choices)}, in order){':' if choices else ''}")
        steps += _collapse_runs(printed)
        steps.append(f"{len(several) - len(printed)} resolved by the default, the lowest code:")
        return steps + kept

    def _store(self, chosen):
        blocks = sorted({unit >> 8 for unit in chosen})
        self.blocks = blocks
        self.index = [0] * (blocks[-1] + 1)
        self.pages = [0] * PAGE * (len(blocks) + 1)
        for number, block in enumerate(blocks, 1):
            self.index[block] = number
        for unit, index in chosen.items():
            self.pages[self.index[unit >> 8] * PAGE + (unit & 0xFF)] = index + 1
        if len(blocks) >= 0x10000 or len(self.index) > (LAST_CODE_POINT >> 8) + 1:
            raise TableError(f"{self.name}: {len(blocks)} pages, {len(self.index)} index cells")

    def lookup(self, unit):
        """What forward_index() in reverse.h returns, None for no code."""
        block = unit >> 8
        if block >= len(self.index):
            return None
        at = self.index[block] * PAGE + (unit & 0xFF)
        if at >= len(self.pages) or self.pages[at] == 0:
            return None
        return self.pages[at] - 1

    def _check(self):
        cells = self.forward.cells
        if any(self.pages[:PAGE]):
            raise TableError(f"{self.name}: page 0 must stay empty")
        for block, page in enumerate(self.index):
            for low in range(PAGE):
                value, unit = self.pages[page * PAGE + low], block << 8 | low
                if value and not (value <= len(cells) and cells[value - 1] == unit):
                    raise TableError(f"{self.name}: U+{unit:04X} gives cell {value - 1}, which is not U+{unit:04X}")
        for index, unit in enumerate(cells):
            if unit == NO_CHARACTER:
                continue
            found = self.lookup(unit)
            if found is None or cells[found] != unit:
                raise TableError(f"{self.name}: {self.forward.key(index)}'s U+{unit:04X} does not come back")
        self.steps.append(
            "round trip checked: every code of the reverse gives its code point back, every cell with a"
        )
        self.steps.append("  character gets a code that gives the same character")

    def size_bytes(self):
        return 2 * (len(self.index) + len(self.pages))

    def doc(self):
        last = self.blocks[-1] << 8
        return [
            f"The reverse of {self.forward.name}: {self.code_points} code points with a code, in "
            f"{len(self.blocks)} blocks of 256.",
            f"Index through U+{last:04X}..U+{last | 0xFF:04X} ({len(self.index)} cells), "
            f"{len(self.blocks) + 1} pages with the empty page 0; {self.size_bytes()} bytes.",
        ]

    def head(self):
        lines = [f"{self.name}_index, {self.name}_pages:"]
        lines += [f"  {line}" for line in self.doc()]
        lines += ["  Made in this order:"]
        lines += [f"  - {line}" if not line.startswith("  ") else f"  {line}" for line in self.steps]
        return lines

    def render(self):
        """The two arrays, 16 cells a line, each line headed by the code point
        of its first cell (the empty page's lines by "no code")."""
        out = [f"extern const std::uint16_t {self.name}_index[] = {{\n"]
        out += _lines(self.index, lambda at: f"U+{at << 8:04X}")
        out.append("};\n\n")
        out.append(f"extern const std::uint16_t {self.name}_pages[] = {{\n")
        first = [None] + [block << 8 for block in self.blocks]

        def label(at):
            start = first[at // PAGE]
            return "no code" if start is None else f"U+{start + at % PAGE:04X}"

        out += _lines(self.pages, label)
        out.append("};\n")
        return "".join(out)


def _lines(cells, label):
    return [
        f"    /* {label(at)} */ {', '.join(f'0x{cell:04X}' for cell in cells[at : at + 16])},\n"
        for at in range(0, len(cells), 16)
    ]


def reverses_of(tables, choices):
    """The reverses of the tables named in `choices`, in table order."""
    by_name = {table.name: table for table in tables}
    unknown = sorted(set(choices) - set(by_name))
    if unknown:
        raise TableError(f"choices for no table made here: {', '.join(unknown)}")
    return [Reverse(table, choices[table.name]) for table in tables if table.name in choices]


def write_reverse_source(out_dir, file_name, script, snapshots, forward_file, reverses):
    """Writes the reverses, each array checked against the size declared in
    reverse.h as <array>_size."""
    head = source_head(script, snapshots, reverse_intro(forward_file))
    for reverse in reverses:
        head += [""] + reverse.head()
    body = ["\n" + reverse.render() for reverse in reverses]
    sizes = [f"{reverse.name}_{part}" for reverse in reverses for part in ("index", "pages")]
    return write_text(out_dir, file_name, source_text(head, body, REVERSE_HEADER, sizes))


def out_dir_from_argv(argv):
    if len(argv) > 2:
        raise SystemExit(f"usage: {argv[0]} [output folder, default {DEFAULT_OUT}]")
    return Path(argv[1]) if len(argv) == 2 else DEFAULT_OUT
