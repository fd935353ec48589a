#!/bin/sh
# The shared library exports exactly the listed functions, by plain name.
set -eu
lib=$1
expected=$2
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TtDdBbRrVvWw]$/ {print $3}' | sort)
want=$(grep -v '^#' "$expected" | sort)
if [ "$actual" != "$want" ]; then
  echo "exported symbols differ from $expected:"
  want_file=$(mktemp)
  printf '%s\n' "$want" > "$want_file"
  printf '%s\n' "$actual" | diff "$want_file" - || true
  rm -f "$want_file"
  exit 1
fi
echo "$(printf '%s\n' "$actual" | wc -l) exports as listed"
