#!/usr/bin/python3
"""Writes the texts of one split as UTF-8 files DIR/<model>/<package>__<n>.txt,
one normalised document (a few KB) each, for the detector's evaluation: the
eval split holds out whole packages that dump_texts.py never counts (see
sources.py). The train split is written exactly as dump_texts.py counts it.

Usage: extract.py --split {train,eval} --out DIR [--max-chars N] [model ...]
  --max-chars N: at most about N characters per model (shared by its
                 languages as in training); default all of the split
                 (train: sources.TRAIN_CHARS).
"""

import argparse
import sys
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

import sources  # noqa: E402
import texts  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--split", choices=("train", "eval"), required=True)
    parser.add_argument("--out", type=Path, required=True)
    parser.add_argument("--max-chars", type=int, default=None)
    parser.add_argument("models", nargs="*", default=list(sources.MODELS))
    args = parser.parse_args()
    limit = args.max_chars
    if args.split == "train" and limit is None:
        limit = sources.TRAIN_CHARS
    for model in args.models:
        if model not in sources.MODELS:
            sys.exit(f"extract: unknown model {model}")
    for model in args.models:
        folder = args.out / model
        folder.mkdir(parents=True, exist_ok=True)
        numbers, chars = {}, 0
        for doc in texts.documents(model, args.split, limit=limit):
            number = numbers.get(doc.package, 0)
            numbers[doc.package] = number + 1
            (folder / f"{doc.package}__{number}.txt").write_text(doc.text + "\n", encoding="utf-8")
            chars += len(doc.text)
        print(f"{model}: {sum(numbers.values())} documents, {chars} characters from {len(numbers)} packages")


if __name__ == "__main__":
    main()
