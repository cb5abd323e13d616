# Sourced by every script that runs Wine: the project's private 32-bit prefix in the build
# tree (never ~/.wine), quiet logging, no desktop integration.
QNTX_ROOT=${QNTX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
QNTX_BUILD=${QNTX_BUILD:-$QNTX_ROOT/build}
export WINEARCH=win32
export WINEPREFIX=${WINEPREFIX:-$QNTX_BUILD/wine/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko installers, no menu entries on the host.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export QNTX_ROOT QNTX_BUILD
