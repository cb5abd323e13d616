#!/usr/bin/env bash
# Builds QNTXSetup.exe and runs it under Wine in the private prefix. Arguments are passed
# on to the program (/r uninstalls); --uninstall instead uninstalls the way a person does,
# through Wine's Add/Remove Programs, which runs the registered uninstaller copy. With no
# $DISPLAY it runs on a private Xvfb and saves a screenshot of what the program shows in
# build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" >/dev/null
source "$root/tests/wine/wine-env.sh"
source "$root/tests/wine/xvfb.sh"
"$root/tests/wine/boot-prefix.sh"

exe="$QNTX_BUILD/win/bin/QNTXSetup.exe"
command=(wine "$exe" "$@")
if [ "${1:-}" = --uninstall ]; then
  command=(wine uninstaller --remove Quintara)
fi
if [ -n "${DISPLAY:-}" ]; then
  "${command[@]}"
  exit 0
fi

trap 'wineserver -k >/dev/null 2>&1; stop_private_xvfb' EXIT
start_private_xvfb
shots="$QNTX_BUILD/screenshots"
mkdir -p "$shots"
"${command[@]}" &
pid=$!
sleep 6
import -window root "$shots/run.png"
echo "screenshot: $shots/run.png"
wineserver -k >/dev/null 2>&1 || true
wait "$pid" 2>/dev/null || true
