#!/usr/bin/env bash
# Builds QNTXSetup.exe and the demo QNTXSetup.z, lays them on a "distribution medium" in a
# demo Wine prefix of its own (build/wine/demo, kept between runs) and runs the installer.
#
#   scripts/run.sh             install Quintara
#   scripts/run.sh /r          uninstall it (what Add/Remove Programs does)
#   scripts/run.sh --restart   restart Wine's session: Windows' start-up processing deletes
#                              the uninstaller that Wininit.ini names
#   scripts/run.sh --reset     throw the demo prefix away
#
# With a $DISPLAY you click through it yourself. Without one it runs on a private Xvfb and the
# test robot walks through it, saving a screenshot of every step in build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
source "$root/tests/wine/session.sh"
# The demo runs as the account the tests use, as an ordinary user installs.
if wine_user_active; then
  give_build_to_wine_user
  exec "$QNTX_AS_WINE_USER" "$0" "$@"
fi
"$root/tests/wine/boot-prefix.sh"

base=$WINEPREFIX
export WINEPREFIX=$QNTX_BUILD/wine/demo
drive=$WINEPREFIX/drive_c
medium='C:\Quintara'
target_unix="$drive/Program Files/Corel/Graphics9/Photopnt/Scripts/Scripts"
shots=$QNTX_BUILD/screenshots
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quintara'
product_key='HKLM\Software\Halvorn\Quintara\2.0'

case "${1:-}" in
  --reset)
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    echo "The demo prefix is gone; the next run starts from a clean system."
    exit 0 ;;
  --restart)
    wineboot -r >/dev/null 2>&1
    wineserver -w
    echo "Wine's session restarted; Wininit.ini was carried out."
    ls "$drive/windows/QNTXSetup.exe" >/dev/null 2>&1 && echo "C:\\windows\\QNTXSetup.exe is still there." \
      || echo "C:\\windows\\QNTXSetup.exe is gone."
    exit 0 ;;
esac

if [ ! -d "$WINEPREFIX" ]; then
  cp -a "$base" "$WINEPREFIX"
  # The host application's script folder, as its own setup would have left it.
  mkdir -p "$drive/Program Files/Corel/Graphics9/Photopnt/Scripts"
fi
cp -an "$base/drive_c/windows/Fonts/." "$drive/windows/Fonts/"  # demo prefixes older than the fonts
mkdir -p "$drive/Quintara"
cp "$QNTX_BUILD/win/bin/QNTXSetup.exe" "$QNTX_BUILD/win/bin/QNTXSetup.z" "$drive/Quintara/"

if [ "${1:-}" = "" ]; then program="$medium\\QNTXSetup.exe"; walk=Install
else program='C:\windows\QNTXSetup.exe'; walk=Uninstall; fi

trap end_wine_session EXIT
if [ -n "${DISPLAY:-}" ]; then
  start_wine_session --on-display
  if [ "$walk" = Install ]; then wine "$program"
  else wine uninstaller --remove Quintara; fi
else
  start_wine_session
  rm -rf "$shots"; mkdir -p "$shots"
  QNTX_ROBOT_PICTURES=$shots QNTX_WALK_SETUP=$program \
    wine "$QNTX_BUILD/win/tests/e2e/walkthrough.exe" --gtest_filter="Walkthrough.$walk" --gtest_color=no \
    | tr -d '\r' | grep -E '^(screenshot|message):|^         |Failure|FAILED' || true
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" -strip "${bmp%.bmp}.png" && rm -f "$bmp"
  done
  echo "Screenshots: $shots/"
fi

echo
if [ "$walk" = Install ]; then
  echo "Installed files in C:\\Program Files\\Corel\\Graphics9\\Photopnt\\Scripts\\Scripts:"
  ls -la "$target_unix" 2>/dev/null | tail -n +4 || echo "  (none)"
  echo "In the system folder: $(ls "$drive/windows/system32/qntxhelp.dll" 2>/dev/null || echo none)"
  echo
  echo "Setup log C:\\windows\\QNTXSetup.log:"
  sed 's/\r$//; s/^/  /' "$drive/windows/QNTXSetup.log" 2>/dev/null || echo "  (none)"
  echo
  echo "Add/Remove Programs entry and product key:"
  wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r' | sed '/^$/d; s/^/  /' || echo "  (none)"
  wine reg query "$product_key" 2>/dev/null | tr -d '\r' | sed '/^$/d; s/^/  /' || true
  echo
  echo "Wine's Add/Remove Programs lists: $(wine uninstaller --list 2>/dev/null | tr -d '\r' | grep -i quintara || echo nothing)"
  echo
  echo "To uninstall: scripts/run.sh /r   (runs the registered command, C:\\windows\\QNTXSetup.exe /r)"
else
  echo "Left in the target folder:"
  ls -la "$target_unix" 2>/dev/null | tail -n +4 || echo "  (nothing)"
  echo "Setup log: $(ls "$drive/windows/QNTXSetup.log" 2>/dev/null || echo gone)"
  echo "Uninstall key: $(wine reg query "$uninstall_key" >/dev/null 2>&1 && echo present || echo gone)"
  echo "Wininit.ini:"
  wininit=$(find "$drive/windows" -maxdepth 1 -iname wininit.ini | head -n 1)
  if [ -n "$wininit" ]; then sed 's/\r$//; s/^/  /' "$wininit"; else echo "  (none)"; fi
  echo
  echo "The uninstaller C:\\windows\\QNTXSetup.exe is deleted at the next start of Windows:"
  echo "scripts/run.sh --restart restarts Wine's session to carry that out."
fi
