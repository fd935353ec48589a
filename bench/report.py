#!/usr/bin/env python3
"""Turns a benchmark JSON (with repetitions) and the instruction counts of
bench/count.sh into the Markdown tables of bench/RESULTS.md, or the TSV of
`convert_bench --sweep` into its size table.

"Ours" is the ten exports ("zel") where a cell has them, else the general
conversion ("zel_convert"). Cells that have both also get a table of the
general conversion against the ten exports.

Usage: bench/report.py results.json [counts.tsv]
       bench/report.py --sweep sweep.tsv
"""

import collections
import csv
import json
import sys

PEERS = ("iconv", "icu", "encoding_rs")


def medians(path):
    data = json.load(open(path))
    rows = collections.OrderedDict()
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        cell, peer = b.get("run_name", b["name"]).rsplit("/", 1)
        rows.setdefault(cell, {})[peer] = b["bytes_per_second"] / 1e6
    return data.get("context", {}), rows


def counts(path):
    out = collections.defaultdict(dict)
    with open(path) as fh:
        for r in csv.DictReader(fh, delimiter="\t"):
            out[r["cell"]][r["peer"]] = float(r["per_byte"])
    return out


def fmt(v):
    return "%.0f" % v if v else "-"


def fmt_ir(v):
    return "%.1f" % v if v else "-"


def results(argv):
    context, rows = medians(argv[0])
    ir = counts(argv[1]) if len(argv) > 1 else {}
    print("| cell | ours MB/s | iconv MB/s | ICU MB/s | encoding_rs MB/s | memcpy MB/s |"
          " ours / best peer | ours / memcpy | ours instr/B | iconv instr/B | ICU instr/B |"
          " encoding_rs instr/B | instr ratio |")
    print("|---|" + "---:|" * 12)
    both = []
    for cell, p in rows.items():
        ours = p.get("zel", p.get("zel_convert", 0.0))
        peers = [p[k] for k in PEERS if k in p]
        best = max(peers) if peers else 0.0
        if "zel" in p and "zel_convert" in p:
            both.append(cell)
        if not peers:
            continue
        mem = p.get("memcpy", 0.0)
        c = dict(ir.get(cell, {}))
        if "zel" not in c and "zel_convert" in c:
            c["zel"] = c["zel_convert"]
        peer_ir = [c[k] for k in PEERS if k in c]
        best_ir = min(peer_ir) if peer_ir else None
        print("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            cell, fmt(ours), fmt(p.get("iconv", 0)), fmt(p.get("icu", 0)),
            fmt(p.get("encoding_rs", 0)), fmt(mem),
            "%.2f" % (ours / best) if best else "-",
            "%.3f" % (ours / mem) if mem else "-",
            fmt_ir(c.get("zel")), fmt_ir(c.get("iconv")), fmt_ir(c.get("icu")),
            fmt_ir(c.get("encoding_rs")),
            "%.2f" % (c["zel"] / best_ir) if best_ir and "zel" in c else "-"))
    print()
    print("\"ours / best peer\" divides by the fastest of iconv, ICU and encoding_rs;"
          " \"instr ratio\" is ours over the fewest instructions per byte among them.")
    if both:
        general(rows, ir, both)
    print()
    print("Machine: %s x %s MHz, load average at start %s; %s; encoding_rs %s" % (
        context.get("num_cpus", "?"), context.get("mhz_per_cpu", "?"),
        context.get("load_avg", "?"), context.get("date", ""),
        context.get("encoding_rs", "?")))


def general(rows, ir, cells):
    """The general conversion against the ten exports on the cells both serve."""
    print()
    print("| cell | ten exports MB/s | zel_convert MB/s | general / exports | general / best peer |"
          " ten exports instr/B | zel_convert instr/B | instr, general / exports |")
    print("|---|" + "---:|" * 7)
    for cell in cells:
        p = rows[cell]
        peers = [p[k] for k in PEERS if k in p]
        c = ir.get(cell, {})
        ten, gen = c.get("zel"), c.get("zel_convert")
        print("| %s | %s | %s | %.2f | %s | %s | %s | %s |" % (
            cell, fmt(p["zel"]), fmt(p["zel_convert"]), p["zel_convert"] / p["zel"],
            "%.2f" % (p["zel_convert"] / max(peers)) if peers else "-",
            fmt_ir(ten), fmt_ir(gen), "%.2f" % (gen / ten) if ten and gen else "-"))
    print()
    print("\"general / exports\" is zel_convert's speed over the ten exports' on the same"
          " text and output (UCS-2 cells: zel_convert writes UTF-16LE, the same bytes for text"
          " within U+FFFF).")


def size_label(n):
    for unit, shift in (("GiB", 30), ("MiB", 20), ("KiB", 10)):
        if n >= 1 << shift and n % (1 << shift) == 0:
            return "%d %s" % (n >> shift, unit)
    return str(n)


def sweep(path):
    rows = collections.OrderedDict()
    peers = []
    with open(path) as fh:
        for r in csv.DictReader(fh, delimiter="\t"):
            rows.setdefault((r["mode"], r["cell"], int(r["size"])), {})[r["peer"]] = r
            if r["peer"] not in peers:
                peers.append(r["peer"])
    names = {"zel": "ours"}
    head = ["mode", "cell", "size"]
    for p in peers:
        head += ["%s ns/B" % names.get(p, p), "%s MB/s" % names.get(p, p),
                 "%s faults" % names.get(p, p)]
    head.append("ours / best peer")
    print("| " + " | ".join(head) + " |")
    print("|---|---|---:|" + "---:|" * (len(head) - 3))
    for (mode, cell, size), p in rows.items():
        line = [mode, cell, size_label(size)]
        for name in peers:
            r = p.get(name)
            line += ([r["ns_per_byte"], r["MB_s"], "%.0f" % float(r["minflt"])] if r
                     else ["-", "-", "-"])
        others = [float(r["MB_s"]) for n, r in p.items() if n != "zel"]
        line.append("%.2f" % (float(p["zel"]["MB_s"]) / max(others))
                    if others and "zel" in p else "-")
        print("| " + " | ".join(line) + " |")
    print()
    print("CPU time (user and system) per input byte, medians; faults are minor page"
          " faults per conversion (major faults were %s)." % (
              "none" if all(float(r["majflt"]) == 0 for p in rows.values() for r in p.values())
              else "not all zero: see the TSV"))


def main():
    if len(sys.argv) > 2 and sys.argv[1] == "--sweep":
        sweep(sys.argv[2])
    else:
        results(sys.argv[1:])


if __name__ == "__main__":
    main()
