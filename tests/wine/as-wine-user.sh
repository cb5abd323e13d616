#!/usr/bin/env bash
# Runs a command as the ordinary account that runs the Windows programs ($QNTX_WINE_USER, made
# by scripts/setup.sh) when called as root, keeping the environment (display, prefix, the
# test's settings) but that account's home; otherwise runs it as it is.
# Usage: as-wine-user.sh COMMAND [ARGS...]
user=${QNTX_WINE_USER-qntx-test}
if [ "$(id -u)" -eq 0 ] && [ -n "$user" ] && entry=$(getent passwd "$user"); then
  IFS=: read -r _ _ uid gid _ home _ <<<"$entry"
  HOME=$home exec setpriv --reuid="$uid" --regid="$gid" --init-groups -- "$@"
fi
exec "$@"
