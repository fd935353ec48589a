#!/bin/sh
# Instructions per input byte for every cell and peer, counted by callgrind
# over one conversion of the first 1 MiB of each corpus file (after a
# warm-up run that is not counted). Stable on a noisy machine, unlike time.
# Usage: bench/count.sh BENCH_BINARY [FILTER_REGEX] > counts.tsv
set -eu
bench=$1
filter=${2:-.}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf 'cell\tpeer\tinput_bytes\tinstructions\tper_byte\n'
"$bench" --list-cells | grep -E -- "$filter" | grep -v '/memcpy$' | while read -r which; do
  out="$tmp/callgrind.out"
  line=$(valgrind --tool=callgrind --toggle-collect='*counted_call*' --callgrind-out-file="$out" \
    "$bench" --count="$which" 2>/dev/null)
  bytes=$(printf '%s\n' "$line" | sed -n 's/.*input_bytes=\([0-9]*\).*/\1/p')
  ir=$(sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$out")
  [ -n "$ir" ] || ir=$(sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$out")
  printf '%s\t%s\t%s\t%s\t%s\n' "${which%/*}" "${which##*/}" "$bytes" "$ir" \
    "$(awk -v i="$ir" -v b="$bytes" 'BEGIN { printf "%.2f", i / b }')"
  rm -f "$out"
done
