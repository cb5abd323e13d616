#!/usr/bin/env bash
# Runs a command with the prefix's screen at DPI dots per inch (Wine's LogPixels: 120, 144,
# 192 for 125, 150, 200 %). Only inside fresh-prefix.sh, so that the setting stays in its
# throw-away copy; the program learns the DPI to expect from $QNTX_DPI.
# Usage: fresh-prefix.sh at-dpi.sh DPI COMMAND [ARGS...]
source "$(dirname "$0")/wine-env.sh"
dpi=$1
shift
case "$WINEPREFIX" in
  */qntx-prefix.*) ;;
  *) echo "at-dpi: $WINEPREFIX is not a throw-away prefix of fresh-prefix.sh" >&2; exit 1 ;;
esac
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || exit 1
export QNTX_DPI=$dpi
"$@"
