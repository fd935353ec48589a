#!/bin/sh
# Regenerates every golden file into a scratch folder and fails on any byte
# of difference from tests/data, or on a committed golden file that no script
# writes any more. A file whose source is not installed here is left out
# with a note.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
data="$(cd "$here/../.." && pwd)/tests/data"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/out"
"$here/regenerate.sh" --skip-missing "$scratch/out" >"$scratch/log"
status=0
for made in "$scratch"/out/*; do
  name=$(basename "$made")
  if ! diff -u "$data/$name" "$made" >"$scratch/diff" 2>&1; then
    echo "golden check: tests/data/$name differs from what its script writes:" >&2
    head -n 40 "$scratch/diff" >&2
    status=1
  fi
done
for committed in "$data"/*_golden.txt; do
  name=$(basename "$committed")
  [ -e "$scratch/out/$name" ] && continue
  if grep -q "^skipped $name: " "$scratch/log"; then
    echo "golden check: note: $(grep "^skipped $name: " "$scratch/log" | cut -c9-), not checked"
  else
    echo "golden check: tests/data/$name is committed, but no script writes it" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "golden check: every golden file matches its source"
exit "$status"
