#!/usr/bin/python3
"""Measures the Python package against the C library and zelconv.

1. Batch throughput: zel_code.batch on a local cluster of 2 workers against
   one zelconv process converting the same files, GBK to UTF-8. The corpus
   is bench/corpus/zh_hans.gbk (bench/make_corpus.py) copied COPIES times.
   The batch is timed twice: as a user runs it (starting its cluster), and
   against a cluster already running (--scheduler), which is the work alone.
2. Per-call overhead: zel_code.convert() on a 100-byte GBK string against a
   C loop doing what the call does (copy the bytes into a zel_string, run
   zel_code_utf8, free nothing: the string is reused), compiled with cc
   against the static library. Both report the median of rounds.

Usage: PYTHONPATH=BUILD/python bench/python_bench.py [BUILD] [COPIES]
       (BUILD: a build with the Python package and zelconv, default build)
"""

import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import timeit

ROOT = pathlib.Path(__file__).resolve().parents[1]
BUILD = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build").resolve()
COPIES = int(sys.argv[2]) if len(sys.argv) > 2 else 16
sys.path.insert(0, str(BUILD / "python"))

import zel_code  # noqa: E402

C_LOOP = r"""
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include "zel_code.h"

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

int main(int argc, char** argv) {
  FILE* f = fopen(argv[1], "rb");
  char text[100];
  if (!f || fread(text, 1, sizeof text, f) != sizeof text) return 1;
  fclose(f);
  const long calls = atol(argv[2]);
  zel_string s;
  zel_string_init(&s);
  long sink = 0;
  for (int round = 0; round < 7; ++round) {
    double start = now();
    for (long i = 0; i < calls; ++i) {
      zel_string_assign(&s, text, (int)sizeof text);
      zel_code_utf8(ZEL_CHARSET_GB18030, &s);
      sink += s.length;
    }
    printf("%.1f\n", (now() - start) / (double)calls * 1e9);
  }
  zel_string_free(&s);
  return sink == 0;
}
"""


def seconds(command, **kwargs):
    start = time.perf_counter()
    subprocess.run(command, check=True, **kwargs)
    return time.perf_counter() - start


def batch_throughput(work):
    source = ROOT / "bench" / "corpus" / "zh_hans.gbk"
    if not source.exists():
        sys.exit("no corpus: run bench/make_corpus.py first")
    src = work / "src"
    src.mkdir()
    for i in range(COPIES):
        shutil.copy(source, src / f"part{i:03}.gbk")
    files = sorted(str(p) for p in src.iterdir())
    total = sum(os.path.getsize(p) for p in files) / 1e6
    env = dict(os.environ, PYTHONPATH=str(BUILD / "python"))
    batch = [
        sys.executable,
        "-m",
        "zel_code.batch",
        str(src),
        "-f",
        "gbk",
        "-t",
        "utf-8",
        "--progress",
        "never",
    ]

    zelconv = min(
        seconds(
            [
                str(BUILD / "zelconv"),
                "-s",
                "-f",
                "gbk",
                "-t",
                "utf-8",
                "-o",
                str(work / "all.utf8"),
                *files,
            ]
        )
        for _ in range(3)
    )
    started = seconds(
        [*batch[:4], str(work / "dst-own"), *batch[4:], "--workers", "2"],
        env=env,
        stderr=subprocess.DEVNULL,
    )
    from distributed import LocalCluster

    with LocalCluster(
        n_workers=2, threads_per_worker=1, dashboard_address=None, silence_logs=40
    ) as cluster:
        running = min(
            seconds(
                [
                    *batch[:4],
                    str(work / f"dst{i}"),
                    *batch[4:],
                    "--scheduler",
                    cluster.scheduler_address,
                ],
                env=env,
                stderr=subprocess.DEVNULL,
            )
            for i in range(3)
        )
    print(f"corpus: {COPIES} x zh_hans.gbk, {total:.0f} MB, GBK to UTF-8, {os.cpu_count()} CPUs")
    print(f"  zelconv, one process          {zelconv:6.2f} s  {total / zelconv:7.0f} MB/s")
    print(f"  batch, 2 workers, own cluster {started:6.2f} s  {total / started:7.0f} MB/s")
    print(f"  batch, 2 workers, running     {running:6.2f} s  {total / running:7.0f} MB/s")


def call_overhead(work):
    text = (ROOT / "bench" / "corpus" / "zh_hans.gbk").read_bytes()[4096 : 4096 + 100]
    (work / "text").write_bytes(text)
    program = work / "c_loop"
    (work / "c_loop.c").write_text(C_LOOP)
    subprocess.run(
        [
            "cc",
            "-O2",
            "-o",
            str(program),
            str(work / "c_loop.c"),
            f"-I{ROOT / 'include'}",
            str(BUILD / "libzel_code.a"),
            "-lstdc++",
            "-lm",
        ],
        check=True,
    )
    calls = 2_000_000
    out = subprocess.run(
        [str(program), str(work / "text"), str(calls)], check=True, capture_output=True, text=True
    )
    c_ns = statistics.median(float(line) for line in out.stdout.split())

    def python_ns(statement):
        timer = timeit.Timer(statement, globals={"zel_code": zel_code, "text": text})
        return statistics.median(timer.timeit(calls // 4) / (calls // 4) * 1e9 for _ in range(7))

    print("per call, 100 bytes of GBK to UTF-8 (median of 7 rounds):")
    print(f"  C: zel_string_assign + zel_code_utf8     {c_ns:6.0f} ns")
    for statement in (
        "zel_code.convert(text, 2)",
        "zel_code.convert(text, 'gbk')",
        "zel_code.convert(text, 'gbk', to='utf-8')",
        "zel_code.decode(text, 'gbk')",
    ):
        ns = python_ns(statement)
        print(f"  {statement:40} {ns:6.0f} ns  {ns / c_ns:4.2f}x")


def main():
    with tempfile.TemporaryDirectory() as work:
        call_overhead(pathlib.Path(work))
        batch_throughput(pathlib.Path(work))


if __name__ == "__main__":
    main()
