#!/usr/bin/python3
"""Scores this library's detector and three peers on the detection corpus.

Every detector sees each sample whole (ours with ZEL_DETECT_WHOLE) and names
a charset. An answer is right when it is the sample's true charset, or when
it reads the sample as exactly the same text: the true charset's text comes
from this library, and so does the guess's when the library reads the answer
(its label registry, then ALIASES below); otherwise Python's codec reads it,
then glibc iconv, and a name neither knows is wrong, like no answer at all.
For those two readers a cut sample may lose up to 3 trailing bytes (a split
character) on both sides before the texts are compared.

Writes CORPUS/guesses.tsv (keeping the rows of detectors not run this time,
so one detector can be scored again alone) and prints markdown tables: accuracy per length
(the mean over the sets, each set weighing the same), per set and length,
ours' main confusions, and the Python-side time per detector.

Usage: evaluate.py [--detectors ours,uchardet,chardet,charset-normalizer]
                   [--report-only] [CORPUS]
"""

import argparse
import codecs
import collections
import ctypes
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import zel  # noqa: E402  pylint: disable=wrong-import-position
from make_corpus import CHARSETS, UNICODE_SETS  # noqa: E402  pylint: disable=wrong-import-position

LENGTHS = ("32", "256", "4096", "whole")
LENGTH_NAMES = {"32": "32 B", "256": "256 B", "4096": "4 KiB", "whole": "whole"}
DETECTORS = ("ours", "uchardet", "chardet", "charset-normalizer")

# Names peers print that the registry lacks, and charsets the library reads.
ALIASES = {
    "UTF8": 8, "UTF-8-SIG": 8, "SJIS": 7, "CP949": 12, "UHC": 12, "EUC-TW": 18,
    "CP866": 50, "CP850": 49, "UTF-16-LE": 11, "UTF-16-BE": 10,
    "ISO2022-JP": 15, "ISO2022-KR": 16, "ISO2022-CN": 14,
}
# Ids the corpus has no set of, for naming ours' answers.
OTHER_NAMES = {1: "UCS-2LE", 5: "JIS X 0208", 6: "JIS X 0212", 9: "UTF-16", 13: "KS X 1001",
               23: "KOI8-RU", 54: "MacThai"}
# The registry reads ASCII as ISO-8859-1; an ASCII answer is held to ASCII.
ASCII_NAMES = {"ASCII", "US-ASCII", "ANSI_X3.4-1968"}


class Uchardet:
    def __init__(self):
        lib = ctypes.CDLL("libuchardet.so.0")
        lib.uchardet_new.restype = ctypes.c_void_p
        lib.uchardet_handle_data.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t]
        lib.uchardet_data_end.argtypes = [ctypes.c_void_p]
        lib.uchardet_reset.argtypes = [ctypes.c_void_p]
        lib.uchardet_get_charset.argtypes = [ctypes.c_void_p]
        lib.uchardet_get_charset.restype = ctypes.c_char_p
        self.lib = lib
        self.handle = lib.uchardet_new()

    def __call__(self, data):
        lib = self.lib
        lib.uchardet_reset(self.handle)
        lib.uchardet_handle_data(self.handle, data, len(data))
        lib.uchardet_data_end(self.handle)
        name = lib.uchardet_get_charset(self.handle)
        return name.decode() if name else None


def make_detectors(names, lib):
    out = {}
    for name in names:
        if name == "ours":
            if not lib.has_detect:
                print(f"evaluate: {lib.path} has no zel_detect yet; ours is left out", file=sys.stderr)
                continue
            out[name] = lambda d: lib.detect(d).id
        elif name == "uchardet":
            out[name] = Uchardet()
        elif name == "chardet":
            import chardet  # pylint: disable=import-outside-toplevel

            out[name] = lambda d: chardet.detect(d)["encoding"]
        elif name == "charset-normalizer":
            import charset_normalizer  # pylint: disable=import-outside-toplevel

            def normalizer(d):
                best = charset_normalizer.from_bytes(d).best()
                return best.encoding if best else None

            out[name] = normalizer
    return out


class Judge:
    def __init__(self, lib):
        self.lib = lib
        self.readers = {}

    def reader(self, answer):
        """("zel", id), ("py", codec), ("iconv", name) or None for an answer."""
        if answer in self.readers:
            return self.readers[answer]
        self.readers[answer] = r = self._reader(answer)
        return r

    def _reader(self, answer):
        if answer is None or answer == "":
            return None
        if isinstance(answer, int):
            return ("zel", answer)
        key = answer.upper().replace("_", "-")
        if key in ASCII_NAMES:
            return ("py", "ascii")
        candidates = [key]
        try:
            canonical = codecs.lookup(answer).name.upper().replace("_", "-")
            candidates.append(canonical)
        except LookupError:
            canonical = None
        for c in candidates:
            c = re.sub(r"^ISO8859-(\d+)$", r"ISO-8859-\1", c)
            if c in ALIASES:
                return ("zel", ALIASES[c])
            cid = self.lib.charset(c)
            if cid and cid != 4:
                return ("zel", cid)
        if canonical:
            return ("py", codecs.lookup(answer).name)
        r = subprocess.run(["iconv", "-f", answer, "-t", "UTF-16LE"], input=b"", capture_output=True, check=False)
        return ("iconv", answer) if r.returncode == 0 else None

    def truth(self, data, cid):
        return self.lib.unicode(cid, data)

    def right(self, sample, answer):
        data, cid, cut = sample["data"], sample["id"], sample["cut"]
        reader = self.reader(answer)
        if reader is None:
            return False
        kind, what = reader
        if kind == "zel":
            if what == cid:
                return True
            if "truth" not in sample:
                sample["truth"] = self.truth(data, cid)
            return self.lib.unicode(what, data) == sample["truth"]
        for k in range(4 if cut != "whole" else 1):
            piece = data[: len(data) - k]
            text = self.foreign(piece, kind, what)
            if text is not None:
                return text == self.truth(piece, cid)
        return False

    @staticmethod
    def foreign(data, kind, what):
        """UCS-2LE text as Python or iconv reads the bytes (None when they do not decode)."""
        if kind == "py":
            try:
                text = data.decode(what)
            except (UnicodeDecodeError, LookupError):
                return None
        else:
            r = subprocess.run(["iconv", "-f", what, "-t", "UTF-8"], input=data, capture_output=True, check=False)
            if r.returncode != 0:
                return None
            text = r.stdout.decode("utf-8")
        text = "".join(c if ord(c) < 0x10000 else "\ufffd" for c in text)
        return text.encode("utf-16-le", "surrogatepass")


def load_manifest(corpus):
    samples = []
    with open(os.path.join(corpus, "MANIFEST.tsv"), encoding="utf-8") as f:
        header = f.readline().rstrip("\n").split("\t")
        for line in f:
            row = dict(zip(header, line.rstrip("\n").split("\t")))
            row["id"] = int(row["id"])
            samples.append(row)
    return samples


def run(samples, corpus, detectors, judge):
    guesses = []
    timing = collections.defaultdict(lambda: [0, 0])  # (detector, cut) -> [ns, bytes]
    for n, s in enumerate(samples):
        with open(os.path.join(corpus, s["file"]), "rb") as f:
            s["data"] = f.read()
        for name, detect in detectors.items():
            t0 = time.thread_time_ns()
            answer = detect(s["data"])
            t1 = time.thread_time_ns()
            timing[(name, s["cut"])][0] += t1 - t0
            timing[(name, s["cut"])][1] += len(s["data"])
            guesses.append((s["file"], name, "" if answer is None else str(answer), int(judge.right(s, answer))))
        s.pop("data")
        s.pop("truth", None)
        if n % 1000 == 999:
            print(f"evaluate: {n + 1}/{len(samples)}", file=sys.stderr)
    rows = [(name, cut, ns, nbytes) for (name, cut), (ns, nbytes) in sorted(timing.items())]
    keep("guesses.tsv", "file\tdetector\tanswer\tright", 1, guesses, corpus, detectors)
    keep("timing.tsv", "detector\tcut\tns\tbytes", 0, rows, corpus, detectors)


def keep(name, header, column, rows, corpus, detectors):
    """Writes the rows, keeping an earlier run's rows of the detectors not run now."""
    path = os.path.join(corpus, name)
    old = []
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            f.readline()
            old = [line for line in f if line.split("\t")[column] not in detectors]
    with open(path, "w", encoding="utf-8") as f:
        f.write(header + "\n")
        f.writelines(old)
        for row in rows:
            f.write("\t".join(map(str, row)) + "\n")


def pct(right, total):
    return f"{100.0 * right / total:.1f}" if total else "–"


def report(samples, corpus):
    by_file = {s["file"]: s for s in samples}
    tally = collections.defaultdict(lambda: [0, 0])  # (detector, set, cut) -> [right, total]
    confusions = collections.Counter()
    detectors = []
    with open(os.path.join(corpus, "guesses.tsv"), encoding="utf-8") as f:
        f.readline()
        for line in f:
            file, det, answer, right = line.rstrip("\n").split("\t")
            s = by_file[file]
            if det not in detectors:
                detectors.append(det)
            t = tally[(det, s["set"], s["cut"])]
            t[0] += int(right)
            t[1] += 1
            if det == "ours" and right == "0":
                confusions[(s["cut"], s["set"], answer)] += 1
    detectors.sort(key=DETECTORS.index)
    order = [name for sets in CHARSETS.values() for name, *_ in sets] + [name for name, *_ in UNICODE_SETS]
    sets = sorted(set(s["set"] for s in samples), key=order.index)
    counts = collections.Counter((s["set"], s["cut"]) for s in samples)

    plain = collections.Counter()
    for s in samples:
        with open(os.path.join(corpus, s["file"]), "rb") as f:
            data = f.read()
        plain[s["cut"]] += max(data, default=0) < 0x80 and b"\x1b" not in data

    print("### Accuracy per length (%, mean over the sets)\n")
    peers = [det for det in detectors if det != "ours"]
    best = " | best peer" if peers and "ours" in detectors else ""
    print("| length | samples | of them ASCII | sets | " + " | ".join(detectors) + best + " |")
    print("|---|---:|---:|---:|" + "---:|" * (len(detectors) + (1 if best else 0)))
    for cut in LENGTHS:
        present = [x for x in sets if counts[(x, cut)]]
        mean = {}
        for det in detectors:
            rates = [tally[(det, x, cut)][0] / tally[(det, x, cut)][1] for x in present if tally[(det, x, cut)][1]]
            mean[det] = 100.0 * sum(rates) / len(rates) if rates else None
        cells = [f"{mean[det]:.1f}" if mean[det] is not None else "–" for det in detectors]
        if best:
            top = max(peers, key=lambda d: mean[d] or 0.0)
            cells.append(f"{top} (ours {'at least' if (mean['ours'] or 0) >= (mean[top] or 0) else 'below'})")
        n = sum(counts[(x, cut)] for x in present)
        print(f"| {LENGTH_NAMES[cut]} | {n} | {plain[cut]} | {len(present)} | " + " | ".join(cells) + " |")

    models = {}
    for s in samples:
        models.setdefault(s["set"], set()).add(s["model"])
    models = {x: m.pop() if len(m) == 1 else "all" for x, m in models.items()}
    for cut in LENGTHS:
        print(f"\n### Accuracy per set at {LENGTH_NAMES[cut]} (%)\n")
        print("| model | set | samples | " + " | ".join(detectors) + " |")
        print("|---|---|---:|" + "---:|" * len(detectors))
        for x in sets:
            if counts[(x, cut)]:
                cells = [pct(*tally[(det, x, cut)]) for det in detectors]
                print(f"| {models[x]} | {x} | {counts[(x, cut)]} | " + " | ".join(cells) + " |")

    if "ours" in detectors:
        names = dict(OTHER_NAMES)
        for name, cid, *_ in [x for sets in CHARSETS.values() for x in sets] + UNICODE_SETS:
            names.setdefault(cid, name)
        print("\n### Ours' main confusions (true set -> answer: count)\n")
        print("| length | confusions |")
        print("|---|---|")
        for cut in LENGTHS:
            top = sorted(((n, k) for k, n in confusions.items() if k[0] == cut), reverse=True)[:12]
            text = ", ".join(f"{k[1]} -> {names.get(int(k[2]), '#' + k[2]) if k[2] else 'none'}: {n}" for n, k in top)
            print(f"| {LENGTH_NAMES[cut]} | {text or 'none'} |")

    timing_path = os.path.join(corpus, "timing.tsv")
    if os.path.exists(timing_path):
        timing = {}
        with open(timing_path, encoding="utf-8") as f:
            f.readline()
            for line in f:
                det, cut, ns, nbytes = line.rstrip("\n").split("\t")
                timing[(det, cut)] = (int(ns), int(nbytes))
        print("\n### Time per call from Python (thread CPU time, MB/s; ours and uchardet through ctypes)\n")
        print("| length | " + " | ".join(detectors) + " |")
        print("|---|" + "---:|" * len(detectors))
        for cut in LENGTHS:
            cells = []
            for det in detectors:
                ns, nbytes = timing.get((det, cut), (0, 0))
                cells.append(f"{nbytes / ns * 1e3:.2f}" if ns else "–")
            print(f"| {LENGTH_NAMES[cut]} | " + " | ".join(cells) + " |")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--detectors", default=",".join(DETECTORS))
    ap.add_argument("--report-only", action="store_true", help="tables from an earlier run's guesses.tsv")
    ap.add_argument("corpus", nargs="?", default=os.path.join(HERE, "corpus"))
    args = ap.parse_args()
    samples = load_manifest(args.corpus)
    if not args.report_only:
        lib = zel.Library()
        detectors = make_detectors(args.detectors.split(","), lib)
        run(samples, args.corpus, detectors, Judge(lib))
    report(samples, args.corpus)


if __name__ == "__main__":
    main()
