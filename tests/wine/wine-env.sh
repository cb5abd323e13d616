# Sourced by every script that runs Wine: the project's private prefix in the build tree (never
# ~/.wine), 32-bit (prefix) or, with QNTX_WINE_ARCH=win64, 64-bit (prefix64: the 32-bit program
# under WoW64, as on every Windows 11), quiet logging, no desktop integration.
QNTX_ROOT=${QNTX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
QNTX_BUILD=${QNTX_BUILD:-$QNTX_ROOT/build}
export QNTX_WINE_ARCH=${QNTX_WINE_ARCH:-win32}
export WINEARCH=$QNTX_WINE_ARCH
case "$WINEARCH" in
  win32) export WINEPREFIX=${WINEPREFIX:-$QNTX_BUILD/wine/prefix} ;;
  win64) export WINEPREFIX=${WINEPREFIX:-$QNTX_BUILD/wine/prefix64} ;;
  *) echo "wine: QNTX_WINE_ARCH is win32 or win64, not $WINEARCH" >&2; return 1 ;;
esac
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko installers, no menu entries on the host.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export QNTX_ROOT QNTX_BUILD
source "$(dirname "${BASH_SOURCE[0]}")/wine-user.sh"
