#!/usr/bin/env bash
# A maintainer's check, not a test: makes a minimal Debian 12 (bookworm) or 13 (trixie) system
# with debootstrap, clones this repository's committed HEAD into it and runs the README's two
# commands there as a newcomer would (root, nothing installed, the machine's own mirror).
#
#   scripts/check-fresh-debian.sh 12|13
#
# The bootstrapped base system and the packages it downloads are kept in $QNTX_DEBIAN_CACHE
# (default /var/cache/qntx-debian) between runs; every run starts from a fresh copy of the base.
# Prints each step's minutes and "fresh Debian N: PASS" or "FAIL"; exits 0 or 1.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  12) suite=bookworm ;;
  13) suite=trixie ;;
  *) echo "usage: $0 12|13" >&2; exit 1 ;;
esac
release=$1
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-debian: run as root (debootstrap, chroot)" >&2; exit 1; }

# The machine's own Debian archive: the first main archive its apt knows (a mirror or a proxy).
mirror=$(apt-get indextargets --format '$(REPO_URI) $(LABEL) $(TARGET_OF)' 2>/dev/null |
  awk '$2 == "Debian" && $3 == "deb" { print $1; exit }')
[ -n "$mirror" ] || { echo "check-fresh-debian: this machine's apt names no Debian archive" >&2; exit 1; }
command -v debootstrap >/dev/null || {
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}

cache=${QNTX_DEBIAN_CACHE:-/var/cache/qntx-debian}
base=$cache/$suite-base
archives=$cache/$suite-archives
work=$(mktemp -d "${TMPDIR:-/var/tmp}/qntx-debian-$release.XXXXXX")
mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
  done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT

start=$SECONDS
minutes() { awk -v s="$1" 'BEGIN { printf "%.1f", s / 60 }'; }

mkdir -p "$cache" "$archives"
if [ ! -f "$base/.qntx-complete" ]; then
  echo "check-fresh-debian $release: bootstrapping $suite from $mirror" >&2
  rm -rf "$base"
  debootstrap --variant=minbase --include=git,ca-certificates "$suite" "$base" "$mirror" >"$cache/$suite-debootstrap.log" 2>&1 ||
    { echo "check-fresh-debian: debootstrap failed; see $cache/$suite-debootstrap.log" >&2; exit 1; }
  touch "$base/.qntx-complete"
fi
t0=$SECONDS
cp -a "$base" "$work/system"
sys=$work/system
rm -f "$sys/.qntx-complete"
cp /etc/resolv.conf "$sys/etc/resolv.conf" 2>/dev/null || true
# The system's own sources: its release and updates from the same mirror.
printf 'deb %s %s main\ndeb %s %s-updates main\n' "$mirror" "$suite" "$mirror" "$suite" >"$sys/etc/apt/sources.list"

bind() { # what, where, [mount options...]
  local what=$1 where=$2; shift 2
  mkdir -p "$where"
  mount "$@" "$what" "$where"
  mounted+=("$where")
}
bind proc "$sys/proc" -t proc
bind sysfs "$sys/sys" -t sysfs
bind /dev "$sys/dev" --bind
bind devpts "$sys/dev/pts" -t devpts -o newinstance,ptmxmode=0666
bind tmpfs "$sys/dev/shm" -t tmpfs
bind tmpfs "$sys/tmp" -t tmpfs -o mode=1777
bind "$archives" "$sys/var/cache/apt/archives" --bind

# The repository as committed, cloned the way a newcomer clones it.
git clone -q --no-hardlinks "$root" "$sys/root/quintara"
setup_minutes=$(minutes $((SECONDS - t0)))

in_system() { # command line, log
  chroot "$sys" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    TERM=dumb bash -c "cd /root/quintara && $1" >"$2" 2>&1
}
logs=$root/build/check-fresh-debian-$release
mkdir -p "$logs"
result=PASS
t1=$SECONDS
in_system scripts/run.sh "$logs/run.log" || result=FAIL
run_minutes=$(minutes $((SECONDS - t1)))
t2=$SECONDS
if [ $result = PASS ]; then
  in_system scripts/test.sh "$logs/test.log" || result=FAIL
fi
test_minutes=$(minutes $((SECONDS - t2)))
wine_version=$(chroot "$sys" wine --version 2>/dev/null || echo "no wine")
echo "check-fresh-debian $release: copy of the base and clone $setup_minutes min; scripts/run.sh $run_minutes min; scripts/test.sh $test_minutes min ($wine_version)"
tail -n 3 "$logs/test.log" 2>/dev/null | sed 's/^/  /' || true
echo "fresh Debian $release ($suite): $result in $(minutes $((SECONDS - start))) min; logs in $logs"
[ $result = PASS ]
