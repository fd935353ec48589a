#!/bin/sh
# Installs the Debian packages whose text tools/detectgen/dump_texts.py and
# extract.py read (as root). Regenerating src/detect/stats.cpp from the
# committed snapshot needs none of them, only python3.
set -eu
packages=$(/usr/bin/python3 -B "$(dirname "$0")/sources.py" --packages)
apt-get install -y --no-install-recommends $packages
