#!/bin/sh
# Evaluates the charset detector against uchardet, chardet and
# charset-normalizer: installs what is missing (Debian, as root), builds the
# library, makes the corpus when bench/detect/corpus has none (from the held
# out split of tools/detectgen), scores every detector and times ours against
# uchardet. Prints the markdown tables of bench/detect/RESULTS.md on stdout.
# Usage: bench/detect/run.sh [DOCUMENTS_PER_MODEL]     (default 40)
# The corpus is kept: remove bench/detect/corpus to make it anew.
# ZEL_BUILD names the build directory (default build-deteval); DETECTORS
# (default ours,uchardet,chardet,charset-normalizer) the detectors scored
# again, the others' answers coming from the corpus's last run.
set -eu
cd "$(dirname "$0")/../.."
here=bench/detect
corpus=$here/corpus
build=${ZEL_BUILD:-build-deteval}
per_model=${1:-40}
py=/usr/bin/python3

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
updated=no
need=""
for p in uchardet libuchardet-dev python3-chardet python3-charset-normalizer cmake ninja-build g++; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need="$need $p"
done
if [ -n "$need" ]; then
  $sudo_cmd apt-get update -qq
  updated=yes
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends $need >&2
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_PYTHON=OFF >/dev/null
cmake --build "$build" -j2 --target zel_code >&2
cc -O2 -std=c11 -Wall -Wextra -Iinclude "$here/detect_speed.c" -o "$build/detect_speed" \
  -L"$build" -lzel_code -luchardet -Wl,-rpath,"$PWD/$build"

if [ ! -f "$corpus/MANIFEST.tsv" ]; then
  if [ ! -d "$corpus/texts" ]; then
    [ "$updated" = yes ] || $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd sh tools/detectgen/install-sources.sh >&2
  fi
  ZEL_BUILD=$build $py $here/make_corpus.py --per-model "$per_model" "$corpus" >&2
fi

echo "Peers: $(dpkg-query -W -f='${Package} ${Version}\n' uchardet python3-chardet python3-charset-normalizer | paste -sd, - | sed 's/,/, /g')"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo
ZEL_BUILD=$build $py $here/evaluate.py --detectors "${DETECTORS:-ours,uchardet,chardet,charset-normalizer}" "$corpus"
echo
echo "### Speed against uchardet (thread CPU time, median of 7 rounds)"
echo
"$build/detect_speed" "$corpus" 7
