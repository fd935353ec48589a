#!/bin/sh
# Regenerates src/detect/stats.cpp from the snapshot in tools/detectgen/inputs/
# into a scratch folder and fails on any byte of difference from the
# committed one (gen_stats.py also refuses data over its size limit); then
# builds lookup_check.cpp over the committed stats.cpp and checks each
# lookup's answers against the counts.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
detect="$repo/src/detect"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
/usr/bin/python3 -B "$here/gen_stats.py" "$scratch"
if ! diff -u "$detect/stats.cpp" "$scratch/stats.cpp" >"$scratch/.diff" 2>&1; then
  echo "detectgen check: src/detect/stats.cpp differs from what gen_stats.py writes:" >&2
  head -n 40 "$scratch/.diff" >&2
  exit 1
fi
echo "detectgen check: src/detect/stats.cpp matches its generator"
${CXX:-c++} -std=c++20 -O1 -Wall -Wextra -Werror -I"$repo" -o "$scratch/lookup_check" \
  "$here/lookup_check.cpp" "$detect/stats.cpp"
"$scratch/lookup_check" "$here/inputs"
