#!/usr/bin/env bash
# Boots the private Wine prefix once ($WINEPREFIX); later calls return at once.
# Windows are unmanaged: without a window manager, managed windows take ~2 s to destroy.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/.qntx-ready" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.qntx-ready" ] && exit 0
rm -rf "$WINEPREFIX"
echo "wine: booting the private prefix $WINEPREFIX" >&2
DISPLAY= wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.qntx-ready"
