#!/usr/bin/python3
"""Counts the characters and character pairs of each model's training text
(the train split of sources.py, read from installed Debian packages by
texts.py) into the snapshot gen_stats.py reads:

  inputs/<model>.chars   total<TAB>N, then U+XXXX<TAB>count per UCS-2 unit
  inputs/<model>.pairs   total<TAB>N (every pair), then U+XXXX U+YYYY<TAB>count
                         for the PAIRS_KEPT most frequent pairs with a unit
                         above 0x7F (at least twice seen)

each headed by comment lines naming the packages and versions counted.
Installs nothing: tools/detectgen/install-sources.sh does. Take a new
snapshot only on purpose and review its diff.

Usage: tools/detectgen/dump_texts.py [model ...]
"""

import platform
import sys
import unicodedata
from collections import Counter
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

import sources  # noqa: E402
import texts  # noqa: E402

INPUTS = Path(__file__).resolve().parent / "inputs"
PAIRS_KEPT = 6000


def header(model, docs, versions, chars):
    packages = sorted({doc.package for doc in docs})
    lines = [
        f"# {model}: counted by tools/detectgen/dump_texts.py from the train split of tools/detectgen/sources.py",
        f"# {len(docs)} documents, {chars} characters; languages {' '.join(texts.model_languages(model))}; "
        f"python {platform.python_version()} (Unicode {unicodedata.unidata_version})",
        "# packages:",
    ]
    lines += [f"#   {package} {versions.get(package, '?')}" for package in packages]
    return lines


def code_page_1258_form(text):
    """`text` as code page 1258 writes it: a letter keeps the marks the code
    page has precomposed letters for (the circumflex, breve and horn of
    â ê ô ă ơ ư), and its tone mark follows as a combining character."""
    out = []
    for char in unicodedata.normalize("NFD", text):
        if out and unicodedata.combining(char):
            joined = unicodedata.normalize("NFC", out[-1] + char)
            if len(joined) == 1:
                try:
                    joined.encode("cp1258")
                    out[-1] = joined
                    continue
                except UnicodeEncodeError:
                    pass
        out.append(char)
    return "".join(out)


# Vietnamese is written with precomposed letters (Unicode text, TCVN) and
# with combining tone marks (code page 1258): its text is counted both ways,
# so that either reads as Vietnamese.
SECOND_FORM = {"vietnamese": code_page_1258_form}


def dump(model):
    docs = texts.documents(model, "train", limit=sources.TRAIN_CHARS)
    if not docs:
        sys.exit(f"dump_texts: no training text for {model}; run tools/detectgen/install-sources.sh")
    chars, pairs = Counter(), Counter()
    total_pairs = 0
    forms = [lambda text: text] + ([SECOND_FORM[model]] if model in SECOND_FORM else [])
    for doc in docs:
        for form in forms:
            units = [ord(char) for char in form(doc.text)]
            chars.update(units)
            total_pairs += len(units) - 1
            pairs.update(
                (a << 16) | b for a, b in zip(units, units[1:]) if a > 0x7F or b > 0x7F
            )
    total_chars = sum(chars.values())
    versions = texts.installed_versions(sorted({doc.package for doc in docs}))
    head = header(model, docs, versions, total_chars)

    lines = head + [f"total\t{total_chars}"]
    lines += [f"U+{unit:04X}\t{count}" for unit, count in sorted(chars.items())]
    (INPUTS / f"{model}.chars").write_text("\n".join(lines) + "\n", encoding="ascii")

    kept = sorted((item for item in pairs.items() if item[1] >= 2), key=lambda item: (-item[1], item[0]))
    kept = sorted(kept[:PAIRS_KEPT])
    lines = head + [f"# the {len(kept)} most frequent pairs with a unit above 0x7F of {len(pairs)}", f"total\t{total_pairs}"]
    lines += [f"U+{key >> 16:04X} U+{key & 0xFFFF:04X}\t{count}" for key, count in kept]
    (INPUTS / f"{model}.pairs").write_text("\n".join(lines) + "\n", encoding="ascii")
    print(f"{model}: {len(docs)} documents, {total_chars} characters, {len(chars)} distinct, {len(kept)} pairs kept")


def main():
    models = sys.argv[1:] or list(sources.MODELS)
    for model in models:
        if model not in sources.MODELS:
            sys.exit(f"dump_texts: unknown model {model}")
    INPUTS.mkdir(exist_ok=True)
    for model in models:
        dump(model)


if __name__ == "__main__":
    main()
