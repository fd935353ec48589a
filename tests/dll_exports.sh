#!/bin/sh
# The Windows DLL is a PE image of the given format (pei-i386: PE32,
# pei-x86-64: PE32+) that exports exactly the listed names, plain (no @N, no
# C++ mangling), and it and any further PE files given import nothing but
# Windows' own DLLs.
#   dll_exports.sh OBJDUMP FORMAT DLL EXPORT_LIST [PE_FILE...]
set -eu
objdump=$1 format=$2 dll=$3 expected=$4
shift 4
status=0
fail() {
  echo "FAILED: $*"
  status=1
}

case $format in
  pei-i386) magic='010b[[:space:]]+\(PE32\)' ;;
  pei-x86-64) magic='020b[[:space:]]+\(PE32\+\)' ;;
  *)
    echo "unknown format $format"
    exit 2
    ;;
esac
dump=$("$objdump" -p "$dll")
printf '%s\n' "$dump" | grep -q "file format $format\$" || fail "$dll is not a $format image"
printf '%s\n' "$dump" | grep -Eq "^Magic[[:space:]]+$magic\$" || fail "$dll has the wrong optional header for $format"

# Names follow the "[Ordinal/Name Pointer] Table" heading, one "[ n] name" a line.
actual=$(printf '%s\n' "$dump" |
  awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' | sort)
want=$(grep -v '^#' "$expected" | sort)
if [ "$actual" != "$want" ]; then
  fail "exports of $dll differ from $expected (< listed, > exported):"
  want_file=$(mktemp)
  printf '%s\n' "$want" >"$want_file"
  printf '%s\n' "$actual" | diff "$want_file" - || true
  rm -f "$want_file"
fi

# Libraries every Windows installation has; anything else (the compiler's
# runtime DLLs above all) would have to ship with the DLL.
system_dlls="advapi32.dll kernel32.dll msvcrt.dll ntdll.dll user32.dll"
for pe in "$dll" "$@"; do
  imports=$("$objdump" -p "$pe" | awk '/^[[:space:]]*DLL Name:/ {print $3}')
  [ -n "$imports" ] || fail "$pe imports nothing (not a PE image?)"
  for name in $imports; do
    lower=$(printf '%s' "$name" | tr 'A-Z' 'a-z')
    case " $system_dlls " in
      *" $lower "*) ;;
      *) fail "$pe imports $name, which is not part of Windows" ;;
    esac
  done
  echo "$pe imports: $(echo $imports)"
done
[ "$status" -eq 0 ] && echo "$(printf '%s\n' "$actual" | wc -l) exports as listed"
exit "$status"
