#!/bin/sh
# Regenerates every mapping table from the snapshots in tools/tablegen/inputs/.
# Usage: tools/tablegen/generate_all.sh [output folder, default src/tables]
# Needs only python3 and its standard library; an ordinary build never runs it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$(cd "$here/../.." && pwd)/src/tables"}
mkdir -p "$out"
for generator in "$here"/gen_*.py; do
  python3 -B "$generator" "$out"
done
