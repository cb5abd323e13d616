#!/usr/bin/env bash
# Runs a Windows test program from a copy in a folder of its own, in a throw-away prefix:
# files it keeps beside itself and its changes to the system meet no other test.
# With QNTX_FULL_DISK=1 (and root) the prefix's Windows directory gets a small overlay
# on tmpfs, so that the test can fill that disk; the test sees QNTX_SMALL_WINDOWS_DISK=1.
# Usage: run-isolated.sh PROGRAM.exe [ARGS...]
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
program=$1
shift
folder=$(mktemp -d "${TMPDIR:-/tmp}/qntx-run.XXXXXX")
cp "$program" "$folder/"
copy="$folder/$(basename "$program")"
if [ "${QNTX_FULL_DISK:-}" = 1 ]; then
  "$here/fresh-prefix.sh" "$here/small-windows-disk.sh" "$copy" "$@"
else
  "$here/fresh-prefix.sh" "$here/wine-exec.sh" "$copy" "$@"
fi
rc=$?
rm -rf "$folder"
exit $rc
