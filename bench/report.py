#!/usr/bin/env python3
"""Turns a benchmark JSON (with repetitions) and the instruction counts of
bench/count.sh into the Markdown tables of bench/RESULTS.md.

Usage: bench/report.py results.json [counts.tsv]
"""

import collections
import csv
import json
import sys

PEERS = ("iconv", "icu")


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


def main():
    context, rows = medians(sys.argv[1])
    ir = counts(sys.argv[2]) if len(sys.argv) > 2 else {}
    print("| cell | ours MB/s | iconv MB/s | ICU MB/s | memcpy MB/s | ours / best peer | ours / memcpy |"
          " ours instr/B | best peer instr/B | instr ratio |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for cell, p in rows.items():
        ours = p.get("zel", 0.0)
        peers = {k: v for k, v in p.items() if k in PEERS}
        best = max(peers.values()) if peers else 0.0
        mem = p.get("memcpy", 0.0)
        c = ir.get(cell, {})
        peer_ir = [c[k] for k in PEERS if k in c]
        best_ir = min(peer_ir) if peer_ir else None
        fmt = lambda v: "%.0f" % v if v else "-"
        print("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
            cell, fmt(ours), fmt(p.get("iconv", 0)), fmt(p.get("icu", 0)), fmt(mem),
            "%.2f" % (ours / best) if best else "-",
            "%.3f" % (ours / mem) if mem else "-",
            "%.1f" % c["zel"] if "zel" in c else "-",
            "%.1f" % best_ir if best_ir else "-",
            "%.2f" % (c["zel"] / best_ir) if best_ir and "zel" in c else "-"))
    print()
    print("Machine: %s x %s MHz, load average at start %s; %s" % (
        context.get("num_cpus", "?"), context.get("mhz_per_cpu", "?"),
        context.get("load_avg", "?"), context.get("date", "")))


if __name__ == "__main__":
    main()
