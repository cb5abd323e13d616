#!/usr/bin/env bash
# Makes the distribution folder: QNTXSetup.exe, QNTXSetup.z and SHA256SUMS.
#
#   scripts/dist.sh [--manifest FILE] [--out DIR] [--sign KEY CERT [--pass-file FILE]]
#                   [--timestamp URL]
#
# --manifest names the vendor's manifest (default: the demo payload's, payload/QNTXSetup.manifest);
# --out the folder to fill (default: dist/). The build is a clean release build of its own
# (build/dist), so the same commit gives the same bytes in any folder, at any time, by any user.
# --sign signs QNTXSetup.exe with Authenticode (SHA-256) before the checksums are written: KEY
# is the private key (PEM or DER; --pass-file holds its passphrase), CERT the code-signing
# certificate with its chain (PEM, or DER/SPC). The signing time is the commit's, so a signed
# build is as repeatable as an unsigned one; --timestamp URL adds a time-stamping authority's
# RFC 3161 time stamp (which differs from run to run), keeping the signature valid after the
# certificate expires.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
manifest=""
out="$root/dist"
sign_key="" sign_cert="" pass_file="" timestamp=""
usage() {
  echo "usage: $0 [--manifest FILE] [--out DIR] [--sign KEY CERT [--pass-file FILE]] [--timestamp URL]" >&2
  exit 1
}
while [ $# -gt 0 ]; do
  case "$1" in
    --manifest) manifest=$(realpath "$2"); shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --sign) [ $# -ge 3 ] || usage; sign_key=$(realpath "$2"); sign_cert=$(realpath "$3"); shift 3 ;;
    --pass-file) pass_file=$(realpath "$2"); shift 2 ;;
    --timestamp) timestamp=$2; shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$sign_key" ] || [ -z "$pass_file$timestamp" ] || usage
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
if [ -n "$sign_key" ]; then
  # The commit's time, or none known: the same for every build of these sources.
  signing_time=$(git -c safe.directory='*' -C "$root" log -1 --format=%ct 2>/dev/null ||
                 echo "$SOURCE_DATE_EPOCH")
  sign=(osslsigncode sign -h sha256 -key "$sign_key" -certs "$sign_cert"
        -n "Skelda Setup for Quintara 2" -time "$signing_time")
  [ -z "$pass_file" ] || sign+=(-readpass "$pass_file")
  [ -z "$timestamp" ] || sign+=(-ts "$timestamp")
  if ! said=$("${sign[@]}" -in "$build/bin/QNTXSetup.exe" -out "$out/QNTXSetup.exe" 2>&1); then
    echo "$said" >&2
    echo "dist: signing QNTXSetup.exe failed" >&2
    exit 1
  fi
else
  cp "$build/bin/QNTXSetup.exe" "$out/"
fi
if [ -n "$manifest" ]; then
  "$build/host/packer" build "$manifest" "$out/QNTXSetup.z"
else
  cp "$build/bin/QNTXSetup.z" "$out/"
fi
(cd "$out" && sha256sum QNTXSetup.exe QNTXSetup.z > SHA256SUMS && cat SHA256SUMS)
