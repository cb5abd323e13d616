#!/usr/bin/env bash
# Runs a command in a fresh copy of the booted private prefix, with a wineserver and an X
# server of its own, then removes the copy: for scenarios that must start from a clean system,
# and that can run side by side. The copy and the command belong to the account that runs Wine.
# --small-windows-disk first puts the copy's Windows directory on a 256 KiB disk (as root; see
# small-windows-disk.sh).
# Usage: fresh-prefix.sh [--small-windows-disk] COMMAND [ARGS...]
#        (e.g. wine-exec.sh test.exe --gtest_filter=...)
here=$(dirname "$0")
source "$here/session.sh"
source "$here/small-windows-disk.sh"
"$here/boot-prefix.sh" || exit 1
small=0
[ "${1:-}" = --small-windows-disk ] && { small=1; shift; }
fresh=$(as_wine_user mktemp -d "${TMPDIR:-/tmp}/qntx-prefix.XXXXXX") || exit 1
cleanup() {
  WINEPREFIX=$fresh as_wine_user wineserver -k >/dev/null 2>&1
  WINEPREFIX=$fresh as_wine_user wineserver -w >/dev/null 2>&1
  [ $small = 1 ] && unmount_small_windows_disk
  stop_private_xvfb
  rm -rf "$fresh"
}
trap cleanup EXIT
as_wine_user cp -a "$WINEPREFIX/." "$fresh/"
export WINEPREFIX=$fresh
[ $small = 1 ] && mount_small_windows_disk
start_private_xvfb || exit 1
start_wineserver
as_wine_user "$@"
