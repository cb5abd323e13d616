#!/usr/bin/env bash
# Boots the private Wine prefix once ($WINEPREFIX, 32- or 64-bit by $WINEARCH); later calls
# return at once. Windows are unmanaged: without a window manager, managed windows take ~2 s to
# destroy. The marker holds the version of these steps and the uid that booted it: a prefix
# booted by older steps, or by another account than the one that runs Wine (Debian's Wine
# records a server folder of that account's in it), is booted anew.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
boot_version=3
marker="$boot_version $(as_wine_user id -u)"
ready() { [ "$(cat "$WINEPREFIX/.qntx-ready" 2>/dev/null)" = "$marker" ]; }
ready && exit 0
folder=$(dirname "$WINEPREFIX")
mkdir -p "$folder"
wine_user_active && chown "$QNTX_WINE_USER:" "$folder"
exec 9>>"$WINEPREFIX.lock"
flock 9
ready && exit 0
rm -rf "$WINEPREFIX"
echo "wine: booting the private $WINEARCH prefix $WINEPREFIX" >&2
DISPLAY= as_wine_user wineboot -i >/dev/null 2>&1
as_wine_user wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
as_wine_user wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
as_wine_user wineserver -w
# Debian's Wine keeps its own fonts (fonts-wine) outside the prefix and never loads them, so
# captions drew Marlett's close symbol as a letter "r" and dialogs lacked MS Sans Serif and
# Tahoma. Windows has them in its Fonts folder; so does this prefix.
fonts=/usr/share/wine/fonts
[ -f "$fonts/marlett.ttf" ] || { echo "wine: $fonts/marlett.ttf missing; run scripts/setup.sh" >&2; exit 1; }
as_wine_user cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
echo "$marker" | as_wine_user tee "$WINEPREFIX/.qntx-ready" >/dev/null
