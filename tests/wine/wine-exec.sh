#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private prefix (ctest's emulator), as the
# account that runs Wine.
source "$(dirname "$0")/wine-env.sh"
"$(dirname "$0")/boot-prefix.sh" || exit 1
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-exec: no DISPLAY; run the tests through scripts/test.sh, which starts Xvfb" >&2
  exit 1
fi
exec "$QNTX_AS_WINE_USER" wine "$@"
