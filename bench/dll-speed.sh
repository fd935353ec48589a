#!/bin/sh
# The same cells through the exports of the Linux library and, under Wine,
# of the 32-bit and 64-bit Windows DLLs (built by scripts/test-windows's
# presets): input MB/s of wall time, one line a cell, on an otherwise idle
# machine. Needs bench/corpus
# (bench/make_corpus.py) and Wine.
set -eu
cd "$(dirname "$0")/.."
[ -f bench/corpus/MANIFEST ] || python3 bench/make_corpus.py bench/corpus >&2
cmake --preset release >/dev/null && cmake --build --preset release --target zel_code >/dev/null
for preset in win32-stdcall win64; do
  cmake --preset $preset >/dev/null && cmake --build --preset $preset --target zel_code >/dev/null
done
out=build-dll-speed
mkdir -p $out
cc -O2 -std=c99 -Iinclude bench/dll_speed.c -o $out/linux \
  -Lbuild -lzel_code -Wl,-rpath,"$PWD/build"
i686-w64-mingw32-gcc-posix -O2 -msse2 -Iinclude \
  bench/dll_speed.c -o $out/win32.exe build-win32-stdcall/bin/zel_code.dll
x86_64-w64-mingw32-gcc-posix -O2 -Iinclude \
  bench/dll_speed.c -o $out/win64.exe build-win64/bin/zel_code.dll

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
c=bench/corpus
printf 'cell\tLinux x86-64\tWindows 32-bit\tWindows 64-bit\n'
for cell in "GB18030>UTF-8 zh_hans.gb18030 2 utf8" "Shift_JIS>UTF-8 ja.sjis 7 utf8" \
  "EUC-KR>UCS-2 ko.euckr 20 ucs2" "CP1252>UCS-2 western.cp1252 42 ucs2" \
  "UTF-8>UCS-2:zh_hans zh_hans.utf8 8 ucs2" "UTF-16LE>UTF-8:zh_hans zh_hans.utf16le 11 utf8"; do
  set -- $cell
  linux=$($out/linux $c/$2 $3 $4)
  # Each DLL beside its program, in its own Wine prefix.
  win32=$(cd build-win32-stdcall/bin && WINEPREFIX="$PWD/../wine" wine ../../$out/win32.exe ../../$c/$2 $3 $4 | tr -d '\r')
  win64=$(cd build-win64/bin && WINEPREFIX="$PWD/../wine" wine ../../$out/win64.exe ../../$c/$2 $3 $4 | tr -d '\r')
  printf '%s\t%s\t%s\t%s\n' "$1" "$linux" "$win32" "$win64"
done
