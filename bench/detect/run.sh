#!/bin/sh
# Evaluates the charset detector against uchardet, chardet and
# charset-normalizer: installs what is missing (Debian, as root), builds the
# library, makes the two corpora when they are missing (bench/detect/corpus
# from the held-out split of tools/detectgen; bench/detect/corpus-web from
# HTML books Debian ships, make_web_texts.py), scores every detector on both
# and times ours against uchardet on both. Prints the markdown tables of
# bench/detect/RESULTS.md on stdout.
# Usage: bench/detect/run.sh [DOCUMENTS_PER_MODEL]     (default 40)
# The corpora are kept: remove a corpus folder to make it anew.
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
for p in uchardet libuchardet-dev python3-chardet python3-charset-normalizer cmake ninja-build g++ \
  debian-handbook installation-guide-amd64; do
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
web=$here/corpus-web
if [ ! -f "$web/MANIFEST.tsv" ]; then
  [ -d "$web/texts" ] || $py $here/make_web_texts.py "$web/texts" >&2
  ZEL_BUILD=$build $py $here/make_corpus.py --texts "$web/texts" --per-model "$per_model" "$web" >&2
fi

echo "Peers: $(dpkg-query -W -f='${Package} ${Version}\n' uchardet python3-chardet python3-charset-normalizer | paste -sd, - | sed 's/,/, /g')"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
for c in "$corpus" "$web"; do
  echo
  echo "## $(basename "$c")"
  echo
  ZEL_BUILD=$build $py $here/evaluate.py --detectors "${DETECTORS:-ours,uchardet,chardet,charset-normalizer}" "$c"
  echo
  echo "### Speed against uchardet (thread CPU time, median of 7 rounds)"
  echo
  "$build/detect_speed" "$c" 7
done
