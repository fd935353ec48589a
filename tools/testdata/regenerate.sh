#!/bin/sh
# Writes every golden file of tests/data from its source: Python's codecs,
# glibc's iconv, Perl's Encode and Debian's unicode-data.
# Usage: tools/testdata/regenerate.sh [--skip-missing] [output folder, default tests/data]
# With --skip-missing a file whose source is not installed is reported as
# "skipped NAME: why" instead of stopping the run.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for script in "$here"/make_golden*.py; do
  python3 -B "$script" "$@"
done
