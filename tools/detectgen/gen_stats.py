#!/usr/bin/python3
"""Writes src/detect/stats.cpp, the detector's character and pair weights,
from the counts in tools/detectgen/inputs/ (written by dump_texts.py) and
nothing else. Deterministic; Python 3 standard library only.

Weight of a unit: 0 if the model's text never has it, else
clamp(floor(log2(count / total)) + CHAR_OFFSET, 1, 15); of a pair the same
over all pairs with PAIR_OFFSET. Layout:

- char_pages[model * 256 + (u >> 8)]: the page of unit u, 256 weights packed
  two a byte (even unit in the low nibble) at char_weights[page * 128]. Page 0
  is all zero and stands for every page a model never uses.
- Pairs: per model an open-addressed table of exact keys (a << 16 | b) with an
  8-bit weight, slot (h * size) >> 32 for h = key * 0x9E3779B1 (32-bit), then
  the following slots, wrapping; key 0 is an empty slot (no kept pair is
  0, 0). Pairs go in most frequent first, and the lookup stops after the
  model's longest probe run, so every read is bounded. Only each model's
  PAIRS_KEPT most frequent pairs are stored, at a load of at most 0.6.

Usage: gen_stats.py [output folder, default src/detect]
"""

import sys
from pathlib import Path

sys.dont_write_bytecode = True

HERE = Path(__file__).resolve().parent
INPUTS = HERE / "inputs"
REPO = HERE.parents[1]

# In the order of zel::detect::model (src/detect/stats.h).
MODELS = (
    "zh_hans", "zh_hant", "ja", "ko", "cyrillic", "greek", "hebrew", "arabic", "thai",
    "vietnamese", "lao", "armenian", "western", "central", "baltic", "turkish", "southern", "celtic",
)

# Must equal char_weight_offset and pair_weight_offset in stats.h (the
# generated source static_asserts it).
CHAR_OFFSET = 21
PAIR_OFFSET = 20

# Pairs stored per model: the ideographic and syllabic scripts spread over
# thousands of characters and need many pairs to tell GBK from Big5 or
# Shift_JIS; an alphabet's few hundred most frequent pairs cover most text.
PAIRS_KEPT = {"zh_hans": 2800, "zh_hant": 2800, "ja": 2800, "ko": 2800}
PAIRS_KEPT_ALPHABETIC = 300
MAX_LOAD_NUM, MAX_LOAD_DEN = 3, 5
DATA_LIMIT = 200 * 1024
HASH_MULTIPLIER = 0x9E3779B1
PAGE_UNITS = 256


class GenError(Exception):
    pass


def read_counts(path, pair):
    total, counts = None, {}
    for number, line in enumerate(path.read_text(encoding="ascii").splitlines(), 1):
        if line.startswith("#"):
            continue
        key, _, count = line.partition("\t")
        if key == "total":
            total = int(count)
            continue
        units = key.split(" ")
        if len(units) != (2 if pair else 1) or not all(u.startswith("U+") and len(u) == 6 for u in units):
            raise GenError(f"{path}:{number}: expected {'U+XXXX U+YYYY' if pair else 'U+XXXX'}<TAB>count")
        value = 0
        for unit in units:
            value = value << 16 | int(unit[2:], 16)
        if value in counts:
            raise GenError(f"{path}:{number}: {key} counted twice")
        counts[value] = int(count)
    if not total or not counts:
        raise GenError(f"{path}: no total or no counts")
    if any(count <= 0 for count in counts.values()):
        raise GenError(f"{path}: a count below 1")
    return total, counts


def floor_log2_ratio(count, total):
    """floor(log2(count / total)), exactly, in integers."""
    k = count.bit_length() - total.bit_length()
    if (count << -k if k < 0 else count) < (total if k < 0 else total << k):
        k -= 1
    return k


def weight(count, total, offset):
    return max(1, min(15, floor_log2_ratio(count, total) + offset))


def slot_of(key, size):
    return ((key * HASH_MULTIPLIER) & 0xFFFFFFFF) * size >> 32


def pair_table(pairs, total):
    """(keys, weights, longest probe run) of one model's hash table."""
    size = (len(pairs) * MAX_LOAD_DEN + MAX_LOAD_NUM - 1) // MAX_LOAD_NUM
    keys, weights = [0] * size, [0] * size
    longest = 0
    for key, count in pairs:
        if key == 0:
            raise GenError("pair U+0000 U+0000 cannot be stored: key 0 marks an empty slot")
        slot, probes = slot_of(key, size), 1
        while keys[slot]:
            slot = slot + 1 if slot + 1 < size else 0
            probes += 1
        keys[slot], weights[slot] = key, weight(count, total, PAIR_OFFSET)
        longest = max(longest, probes)
    return keys, weights, longest


def header_lines(path):
    return [line[2:] for line in path.read_text(encoding="ascii").splitlines() if line.startswith("# ")]


def rows(values, width, comment_of, per_line=16):
    """Lines of `values`, 16 a line, each opening with comment_of(first index)."""
    out = []
    for start in range(0, len(values), per_line):
        cells = ", ".join(f"0x{v:0{width}X}" for v in values[start : start + per_line])
        out.append(f"    /* {comment_of(start)} */ {cells},")
    return out


def generate():
    pages_index = [0] * (len(MODELS) * PAGE_UNITS)
    page_owner = [None]  # (model, page number) of each stored page; page 0 is zero
    weights_pool = [0] * (PAGE_UNITS // 2)
    pair_keys, pair_weights = [], []
    pair_start, pair_size, pair_probes = [], [], []
    summary = []
    for number, model in enumerate(MODELS):
        char_total, chars = read_counts(INPUTS / f"{model}.chars", pair=False)
        if sum(chars.values()) != char_total:
            raise GenError(f"{model}.chars: counts add up to {sum(chars.values())}, not the total {char_total}")
        pair_total, pairs = read_counts(INPUTS / f"{model}.pairs", pair=True)
        if any((key >> 16) < 0x80 and (key & 0xFFFF) < 0x80 for key in pairs):
            raise GenError(f"{model}.pairs: a pair of two ASCII units")

        pages = sorted({unit >> 8 for unit in chars})
        for page in pages:
            packed = [0] * (PAGE_UNITS // 2)
            for low in range(PAGE_UNITS):
                count = chars.get(page << 8 | low)
                if count:
                    packed[low >> 1] |= weight(count, char_total, CHAR_OFFSET) << (4 * (low & 1))
            pages_index[number * PAGE_UNITS + page] = len(page_owner)
            page_owner.append((model, page))
            weights_pool.extend(packed)

        kept_count = PAIRS_KEPT.get(model, PAIRS_KEPT_ALPHABETIC)
        kept = sorted(pairs.items(), key=lambda item: (-item[1], item[0]))[:kept_count]
        keys, weights, longest = pair_table(kept, pair_total)
        pair_start.append(len(pair_keys))
        pair_size.append(len(keys))
        pair_probes.append(longest)
        pair_keys.extend(keys)
        pair_weights.extend(weights)
        summary.append(
            f"  {model:<10} {char_total:>8} characters, {len(chars):>5} distinct, {len(pages):>3} pages; "
            f"{len(kept):>4} of {len(pairs):>5} pairs (of {pair_total} in all) in {len(keys):>4} slots, "
            f"longest probe {longest}"
        )
    if len(page_owner) > 0xFFFF:
        raise GenError("more pages than a 16-bit page number holds")

    size = len(pages_index) * 2 + len(weights_pool) + len(pair_keys) * 5 + len(MODELS) * 9
    if size > DATA_LIMIT:
        raise GenError(f"{size} bytes of data, over the {DATA_LIMIT} byte limit")

    def page_comment(index):
        return f"{MODELS[index // PAGE_UNITS]} U+{(index % PAGE_UNITS) << 8:04X}"

    def weight_comment(index):
        page = index // (PAGE_UNITS // 2)
        owner = page_owner[page]
        first = (index % (PAGE_UNITS // 2)) * 2
        if owner is None:
            return f"zero page +{first:02X}"
        return f"{owner[0]} U+{owner[1] << 8 | first:04X}"

    def slot_comment(index):
        model = max(m for m in range(len(MODELS)) if pair_start[m] <= index and pair_size[m])
        return f"{MODELS[model]} {index - pair_start[model]}"

    sources = sorted({line for model in MODELS for line in header_lines(INPUTS / f"{model}.chars")[3:]})
    out = [
        "// Generated by tools/detectgen/gen_stats.py from tools/detectgen/inputs/; do not edit.",
        "// clang-format off",
        "//",
        "// Character and pair weights of the detection models (see stats.h and the",
        "// generator's docstring for the layout). Per model, from its training text:",
    ]
    out += [f"//{line}" for line in summary]
    out += [
        f"// {len(page_owner)} pages of character weights (page 0 all zero), {len(pair_keys)} pair slots;",
        f"// {size} bytes of data in all.",
        "// Packages counted (dump_texts.py; each inputs/<model>.chars names its own):",
    ]
    out += [f"//{line}" for line in sources]
    out += [
        "",
        '#include "src/detect/stats.h"',
        "",
        "#include <cstddef>",
        "#include <cstdint>",
        "",
        '#include "src/tables/cell.h"',
        "",
        "namespace zel::detect {",
        "namespace {",
        "",
        f"static_assert(model_count == {len(MODELS)}, \"tools/detectgen/gen_stats.py writes {len(MODELS)} models\");",
        f"static_assert(char_weight_offset == {CHAR_OFFSET}, \"tools/detectgen/gen_stats.py weighs characters with offset {CHAR_OFFSET}\");",
        f"static_assert(pair_weight_offset == {PAIR_OFFSET}, \"tools/detectgen/gen_stats.py weighs pairs with offset {PAIR_OFFSET}\");",
        "",
        f"constexpr std::size_t page_units = {PAGE_UNITS};",
        f"constexpr std::uint32_t hash_multiplier = 0x{HASH_MULTIPLIER:08X};",
        "",
        "// Page of unit u in model m: char_pages[m * page_units + (u >> 8)].",
        f"constexpr std::uint16_t char_pages[{len(pages_index)}] = {{",
        *rows(pages_index, 4, lambda i: page_comment(i * 1)),
        "};",
        "",
        "// Page p's weights at p * page_units / 2, two units a byte, the even one low.",
        f"constexpr std::uint8_t char_weights[{len(weights_pool)}] = {{",
        *rows(weights_pool, 2, weight_comment),
        "};",
        "",
        "// Model m's pair slots: pair_size[m] of them from pair_start[m].",
        f"constexpr std::uint32_t pair_start[{len(MODELS)}] = {{",
        *rows(pair_start, 5, lambda i: MODELS[i]),
        "};",
        f"constexpr std::uint32_t pair_size[{len(MODELS)}] = {{",
        *rows(pair_size, 4, lambda i: MODELS[i]),
        "};",
        "// The longest run of slots a stored pair's lookup reads.",
        f"constexpr std::uint8_t pair_probes[{len(MODELS)}] = {{",
        *rows(pair_probes, 2, lambda i: MODELS[i]),
        "};",
        "",
        "// Key a << 16 | b of each slot, 0 where empty.",
        f"constexpr std::uint32_t pair_keys[{len(pair_keys)}] = {{",
        *rows(pair_keys, 8, slot_comment),
        "};",
        f"constexpr std::uint8_t pair_weights[{len(pair_weights)}] = {{",
        *rows(pair_weights, 2, slot_comment),
        "};",
        "",
        "}  // namespace",
        "",
        "unsigned char char_weight(model m, char16_t u) noexcept {",
        "  const std::size_t unit = u;",
        "  const std::size_t page = cell(char_pages, static_cast<std::size_t>(m) * page_units + (unit >> 8U), std::uint16_t{0});",
        "  const std::uint8_t both = cell(char_weights, page * (page_units / 2) + ((unit & 0xFFU) >> 1U), std::uint8_t{0});",
        "  return static_cast<unsigned char>((unit & 1U) != 0 ? both >> 4U : both & 0x0FU);",
        "}",
        "",
        "unsigned char pair_weight(model m, char16_t a, char16_t b) noexcept {",
        "  if (a < 0x80 && b < 0x80) return 0;",
        "  const auto index = static_cast<std::size_t>(m);",
        "  const std::uint32_t size = cell(pair_size, index, std::uint32_t{0});",
        "  const std::uint32_t start = cell(pair_start, index, std::uint32_t{0});",
        "  const std::uint32_t key = static_cast<std::uint32_t>(a) << 16U | static_cast<std::uint32_t>(b);",
        "  auto slot = static_cast<std::uint32_t>((static_cast<std::uint64_t>(key * hash_multiplier) * size) >> 32U);",
        "  for (unsigned probe = cell(pair_probes, index, std::uint8_t{0}); probe != 0; --probe) {",
        "    const std::uint32_t found = cell(pair_keys, std::size_t{start} + slot, std::uint32_t{0});",
        "    if (found == key) return cell(pair_weights, std::size_t{start} + slot, std::uint8_t{0});",
        "    if (found == 0) return 0;",
        "    slot = slot + 1 < size ? slot + 1 : 0;",
        "  }",
        "  return 0;",
        "}",
        "",
        "}  // namespace zel::detect",
    ]
    return "\n".join(out) + "\n", size


def main():
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else REPO / "src" / "detect"
    try:
        text, size = generate()
    except GenError as error:
        sys.exit(f"gen_stats: {error}")
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "stats.cpp").write_text(text, encoding="ascii")
    print(f"gen_stats: {folder / 'stats.cpp'}, {size} bytes of data", file=sys.stderr)


if __name__ == "__main__":
    main()
