#!/usr/bin/env bash
# Checks the built QNTXSetup.exe: a PE32 (i386) Windows GUI program that statically imports
# only Windows' known DLLs, which Windows always loads from the system folder (no compiler
# runtime DLLs; COMCTL32 and LZ32 are loaded at run time by full path), and that carries the
# version resource and the manifest, and that ships without symbols under 200,000 bytes.
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
check "terminal-server aware (saw: $(echo "$dump" | grep -m1 DllCharacteristics))" \
  grep -qE '^\s+TERMINAL_SERVICE_AWARE' <<<"$dump"

allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|SHLWAPI|COMDLG32|msvcrt)\.dll$'
imports=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p')
for dll in $imports; do
  check "import of $dll is not one of Windows' own DLLs" grep -qiE "$allowed" <<<"$dll"
done
check "imports were found (saw: $imports)" test -n "$imports"

strings=$(i686-w64-mingw32-strings -el "$exe")
for text in "Skelda Setup for Quintara 2" "2, 0, 0, 1" "QNTXSetup.exe" "Quintara 2 for Corel PHOTO-PAINT 9"; do
  check "version resource holds \"$text\"" grep -qF "$text" <<<"$strings"
done

flags=$(i686-w64-mingw32-objdump -f "$exe" | grep -m1 flags)
check "no symbol table nor debug information (saw: $flags)" grep -qvE 'HAS_SYMS|HAS_DEBUG' <<<"$flags"
size=$(stat -c %s "$exe")
check "under 200,000 bytes (saw: $size)" test "$size" -lt 200000

# The embedded manifest: resource 1 of type 24, elevation, the known Windows versions, the
# common controls' visual styles and system DPI awareness.
resources=$(i686-w64-mingw32-windres -i "$exe" -O rc 2>&1)
check "manifest resource 1 of type 24" grep -qE '^1 24 /\* RT_MANIFEST \*/' <<<"$resources"
ascii=$(i686-w64-mingw32-strings -a "$exe")
check "manifest asks for administrator rights" grep -qF 'level="requireAdministrator"' <<<"$ascii"
for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
          4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
          8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
  check "manifest names supportedOS {$os}" grep -qF "{$os}" <<<"$ascii"
done
check "manifest depends on Common Controls 6" \
  grep -qE 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$ascii"
check "manifest declares system DPI awareness" grep -qF '>true</dpiAware>' <<<"$ascii"
exit $fail
