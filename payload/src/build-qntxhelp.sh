#!/usr/bin/env bash
# Rebuilds payload/files/qntxhelp.dll from qntxhelp.c (the committed copy is what ships).
# No time stamp and no build path in it: the same source gives the same bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
i686-w64-mingw32-gcc-posix -O2 -shared -nostdlib -s -e _DllMain@12 \
  -Wl,--no-insert-timestamp -Wl,--kill-at -o "$here/../files/qntxhelp.dll" "$here/qntxhelp.c" -lkernel32
