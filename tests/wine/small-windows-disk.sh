# Sourced by fresh-prefix.sh: puts a 256 KiB tmpfs under the Windows directory of the
# throw-away prefix $WINEPREFIX (an overlay, so the system's own files stay readable and only
# new data lands on the small disk), and takes it away again. Mounting needs root, the one part
# of the tests that does; without it the programs run unchanged and their full-disk tests skip
# themselves. The disk belongs to the account that runs Wine.
small_disk=""
small_disk_mounted=0

mount_small_windows_disk() {
  local windows="$WINEPREFIX/drive_c/windows" owner
  [ "$(id -u)" -eq 0 ] || return 0
  owner=$(as_wine_user id -u):$(as_wine_user id -g)
  small_disk=$(mktemp -d "${TMPDIR:-/tmp}/qntx-disk.XXXXXX")
  mount -t tmpfs -o "size=256k,uid=${owner%:*},gid=${owner#*:},mode=0755" qntx-disk "$small_disk" 2>/dev/null || return 0
  small_disk_mounted=1
  as_wine_user mkdir "$small_disk/upper" "$small_disk/work"
  if mount -t overlay qntx-windows -o "lowerdir=$windows,upperdir=$small_disk/upper,workdir=$small_disk/work" "$windows"; then
    small_disk_mounted=2
    export QNTX_SMALL_WINDOWS_DISK=1
  fi
}

unmount_small_windows_disk() { # after the prefix's wineserver has ended
  local windows="$WINEPREFIX/drive_c/windows"
  [ $small_disk_mounted -eq 2 ] && { umount "$windows" 2>/dev/null || umount -l "$windows"; }
  [ $small_disk_mounted -ge 1 ] && { umount "$small_disk" 2>/dev/null || umount -l "$small_disk"; }
  [ -n "$small_disk" ] && rmdir "$small_disk" 2>/dev/null
  small_disk_mounted=0
}
