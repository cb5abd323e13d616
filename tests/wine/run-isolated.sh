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
folder=$(as_wine_user mktemp -d "${TMPDIR:-/tmp}/qntx-run.XXXXXX") || exit 1
as_wine_user cp "$program" "$folder/"
copy="$folder/$(basename "$program")"
disk=()
[ "${QNTX_FULL_DISK:-}" = 1 ] && disk=(--small-windows-disk)
"$here/fresh-prefix.sh" "${disk[@]}" "$here/wine-exec.sh" "$copy" "$@"
rc=$?
rm -rf "$folder"
exit $rc
