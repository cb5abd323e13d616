#!/usr/bin/env bash
# Checks the built QNTXSetup.exe: a PE32 (i386) Windows GUI program that imports only
# Windows' own DLLs (no compiler runtime DLLs) and carries the version resource.
set -u
exe=$1
fail=0
check() { # description, command...
  local what=$1; shift
  if "$@"; then :; else echo "FAIL: $what" >&2; fail=1; fi
}
dump=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 i386 format (saw: $(echo "$dump" | grep -m1 'file format'))" \
  grep -q 'file format pei-i386' <<<"$dump"
check "Windows GUI subsystem (saw: $(echo "$dump" | grep -m1 Subsystem))" \
  grep -qE 'Subsystem\s+00000002\s+\(Windows GUI\)' <<<"$dump"

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|COMCTL32|SHELL32|OLE32|LZ32|msvcrt)\.dll$'
imports=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p')
for dll in $imports; do
  check "import of $dll is not one of Windows' own DLLs" grep -qiE "$allowed" <<<"$dll"
done
check "imports were found (saw: $imports)" test -n "$imports"

strings=$(i686-w64-mingw32-strings -el "$exe")
for text in "Skelda Setup for Quintara 2" "2, 0, 0, 1" "QNTXSetup.exe" "Quintara 2 for Corel PHOTO-PAINT 9"; do
  check "version resource holds \"$text\"" grep -qF "$text" <<<"$strings"
done
exit $fail
