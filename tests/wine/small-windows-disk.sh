#!/usr/bin/env bash
# Inside a throw-away prefix: puts a 256 KiB tmpfs under the Windows directory (an overlay, so
# the system's own files stay readable and only new data lands on the small disk), runs the
# Windows program, then removes the overlay. Without root the program runs unchanged and its
# full-disk tests skip themselves.
windows="$WINEPREFIX/drive_c/windows"
disk=$(mktemp -d "${TMPDIR:-/tmp}/qntx-disk.XXXXXX")
mounted=0
if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=256k qntx-disk "$disk" 2>/dev/null; then
  mkdir "$disk/upper" "$disk/work"
  if mount -t overlay qntx-windows -o "lowerdir=$windows,upperdir=$disk/upper,workdir=$disk/work" "$windows"; then
    mounted=2
    export QNTX_SMALL_WINDOWS_DISK=1
  else
    mounted=1
  fi
fi
"$(dirname "$0")/wine-exec.sh" "$@"
rc=$?
if [ $mounted -eq 2 ]; then
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  umount "$windows" 2>/dev/null || umount -l "$windows"
fi
[ $mounted -ge 1 ] && { umount "$disk" 2>/dev/null || umount -l "$disk"; }
rmdir "$disk" 2>/dev/null
exit $rc
