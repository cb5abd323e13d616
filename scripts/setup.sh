#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 (bookworm) or 13 (trixie) machine (run
# as root). Idempotent: when everything is present it prints nothing and returns at once.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-dev acl
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb x11-utils imagemagick fonts-wine
  googletest mscompress osslsigncode
)

as_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: $1; run scripts/setup.sh as root" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done

# Some kernels run 64-bit user code only (ia32 emulation off), so the 32-bit half of Wine
# cannot start. There QEMU's user-mode emulator runs it; bookworm's QEMU 7.2 lacks the
# address-space handling Wine needs; the backported 10.x and trixie's own have it.
need_qemu=0

install_missing() {
  as_root "missing packages: $*"
  echo "setup: installing $*" >&2
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq >/dev/null
  apt-get install -y -qq "$@" >/dev/null
}

[ ${#missing[@]} -eq 0 ] || install_missing "${missing[@]}"

# The account that runs the Windows programs in tests and demos: an ordinary one, as the people
# who install Quintara have (root writes read-only files; an administrator on Windows cannot).
account=qntx-test
if ! id -u "$account" >/dev/null 2>&1; then
  as_root "the account $account is missing"
  useradd --system --user-group --create-home --home-dir "/var/lib/$account" \
    --shell /usr/sbin/nologin "$account"
  echo "setup: created the account $account (uid $(id -u "$account")) that runs Wine" >&2
fi

if ! /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
  need_qemu=1
fi

if [ "$need_qemu" = 1 ]; then
  if ! dpkg-query -W -f='${Version}' qemu-user 2>/dev/null | grep -q '^1:1[0-9]'; then
    as_root "32-bit programs need QEMU user emulation"
    echo "setup: this kernel cannot run 32-bit programs; installing QEMU user emulation" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get remove -y -qq qemu-user-static >/dev/null 2>&1 || true
    apt-get update -qq >/dev/null
    if apt-cache policy qemu-user | grep -q 'Candidate: 1:1[0-9]'; then
      apt-get install -y -qq qemu-user >/dev/null    # trixie's own QEMU is new enough
    else
      # Backports through the same mirror or proxy, with the same keyring, as the machine's own
      # Debian source.
      list=/etc/apt/sources.list.d/qntx-bookworm-backports.list
      if [ ! -f "$list" ]; then
        line=$("$(dirname "$0")/backports-source.sh") || exit 1
        echo "$line" > "$list"
        apt-get update -qq >/dev/null
      fi
      apt-get install -y -qq -t bookworm-backports qemu-user >/dev/null
    fi
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  if [ ! -e "$binfmt/register" ]; then
    as_root "binfmt_misc is not mounted"
    mount -t binfmt_misc binfmt_misc "$binfmt"
  fi
  if [ ! -e "$binfmt/qemu-i386" ] || ! grep -q '^enabled' "$binfmt/qemu-i386"; then
    as_root "32-bit programs are not registered with QEMU"
    [ -e "$binfmt/qemu-i386" ] && echo -1 > "$binfmt/qemu-i386"
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
      > "$binfmt/register"
  fi
  if ! /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
    echo "setup: 32-bit programs still cannot run; Wine will not start" >&2
    exit 1
  fi
fi
