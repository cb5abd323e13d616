#!/usr/bin/env bash
# Makes the distribution folder: QNTXSetup.exe, QNTXSetup.z and SHA256SUMS.
#
#   scripts/dist.sh [--manifest FILE] [--out DIR]
#
# --manifest names the vendor's manifest (default: the demo payload's, payload/QNTXSetup.manifest);
# --out the folder to fill (default: dist/). The build is a clean release build of its own
# (build/dist), so the same commit gives the same bytes in any folder, at any time, by any user.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
manifest=""
out="$root/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --manifest) manifest=$(realpath "$2"); shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    *) echo "usage: $0 [--manifest FILE] [--out DIR]" >&2; exit 1 ;;
  esac
done
"$root/scripts/setup.sh"

# Nothing of the machine's locale, time zone or umask may reach the bytes.
export LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=0
umask 022
build=${QNTX_DIST_BUILD:-$root/build/dist}
rm -rf "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target QNTXSetup demo_payload >/dev/null

mkdir -p "$out"
rm -f "$out/QNTXSetup.exe" "$out/QNTXSetup.z" "$out/SHA256SUMS"
cp "$build/bin/QNTXSetup.exe" "$out/"
if [ -n "$manifest" ]; then
  "$build/host/packer" build "$manifest" "$out/QNTXSetup.z"
else
  cp "$build/bin/QNTXSetup.z" "$out/"
fi
(cd "$out" && sha256sum QNTXSetup.exe QNTXSetup.z > SHA256SUMS && cat SHA256SUMS)
