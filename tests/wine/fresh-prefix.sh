#!/usr/bin/env bash
# Runs a command in a fresh copy of the booted private prefix, with a wineserver of its own,
# then removes the copy: for scenarios that must start from a clean system.
# Usage: fresh-prefix.sh COMMAND [ARGS...]   (e.g. wine-exec.sh test.exe --gtest_filter=...)
source "$(dirname "$0")/session.sh"
"$(dirname "$0")/boot-prefix.sh" || exit 1
fresh=$(mktemp -d "${TMPDIR:-/tmp}/qntx-prefix.XXXXXX")
cp -a "$WINEPREFIX/." "$fresh/"
export WINEPREFIX=$fresh
start_wineserver
"$@"
rc=$?
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
rm -rf "$fresh"
exit $rc
