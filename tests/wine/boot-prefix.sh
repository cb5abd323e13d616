#!/usr/bin/env bash
# Boots the private Wine prefix once ($WINEPREFIX); later calls return at once.
# Windows are unmanaged: without a window manager, managed windows take ~2 s to destroy.
# The marker holds the version of these steps: a prefix booted by older steps is booted anew.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
boot_version=2
ready() { [ "$(cat "$WINEPREFIX/.qntx-ready" 2>/dev/null)" = "$boot_version" ]; }
ready && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
ready && exit 0
rm -rf "$WINEPREFIX"
echo "wine: booting the private prefix $WINEPREFIX" >&2
DISPLAY= wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
# Debian's Wine keeps its own fonts (fonts-wine) outside the prefix and never loads them, so
# captions drew Marlett's close symbol as a letter "r" and dialogs lacked MS Sans Serif and
# Tahoma. Windows has them in its Fonts folder; so does this prefix.
fonts=/usr/share/wine/fonts
[ -f "$fonts/marlett.ttf" ] || { echo "wine: $fonts/marlett.ttf missing; run scripts/setup.sh" >&2; exit 1; }
cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
echo "$boot_version" > "$WINEPREFIX/.qntx-ready"
