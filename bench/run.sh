#!/bin/sh
# Builds the benchmark, makes the corpus when missing, and measures every
# cell side by side: medians of 5 repetitions (bench/results.json), then
# instructions per byte under callgrind (bench/counts.tsv), then the tables
# for bench/RESULTS.md on stdout. With --sweep instead: CPU time per byte
# against input size (64 KiB to 256 MiB), warm and cold, with glibc's default
# heap (bench/sweep.tsv, then its table). Installs what it needs on Debian.
# Usage: bench/run.sh [FILTER_REGEX]
#        bench/run.sh --sweep [SIZES]      (SIZES like 64K,1M,16M,64M,256M)
set -eu
cd "$(dirname "$0")/.."
mode=table
if [ "${1:-}" = "--sweep" ]; then
  mode=sweep
  shift
fi
filter=${1:-.}
# cargo, rustc and the encoding_rs sources build the encoding_rs peer offline.
need=""
for p in libbenchmark-dev libicu-dev valgrind cargo rustc librust-encoding-rs-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need="$need $p"
done
if [ -n "$need" ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends $need
fi
scripts/install-deps
[ -f bench/corpus/MANIFEST ] || python3 bench/make_corpus.py bench/corpus >&2
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON \
  -DZEL_BUILD_TESTS=OFF -DZEL_BUILD_CLI=OFF >/dev/null
cmake --build build-bench --target convert_bench
bin=build-bench/bench/convert_bench
export ZEL_BENCH_CORPUS="$PWD/bench/corpus"
if [ "$mode" = sweep ]; then
  sizes=${1:-64K,1M,16M,64M,256M}
  "$bin" --sweep --sizes="$sizes" > bench/sweep.tsv
  python3 bench/report.py --sweep bench/sweep.tsv
  exit 0
fi
"$bin" --benchmark_filter="$filter" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_min_time=0.5 \
  --benchmark_out=bench/results.json --benchmark_out_format=json >&2
bench/count.sh "$bin" "$filter" > bench/counts.tsv
python3 bench/report.py bench/results.json bench/counts.tsv
