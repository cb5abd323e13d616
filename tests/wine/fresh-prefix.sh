#!/usr/bin/env bash
# Runs a command in a fresh copy of the booted private prefix, with a wineserver of its own,
# then removes the copy: for scenarios that must start from a clean system.
# Usage: fresh-prefix.sh COMMAND [ARGS...]   (e.g. wine-exec.sh test.exe --gtest_filter=...)
source "$(dirname "$0")/wine-env.sh"
"$(dirname "$0")/boot-prefix.sh" || exit 1
fresh=$(mktemp -d "${TMPDIR:-/tmp}/qntx-prefix.XXXXXX")
cp -a "$WINEPREFIX/." "$fresh/"
export WINEPREFIX=$fresh
wineserver -p
# Wine's services start here, detached from the caller's output pipes.
wine cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
rc=$?
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
rm -rf "$fresh"
exit $rc
