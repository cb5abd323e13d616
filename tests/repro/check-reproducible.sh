#!/usr/bin/env bash
# Builds the distribution twice from the committed sources, in two folders, a moment apart,
# with different umasks, time zones and locales (and, as root, as two different users), and
# checks that QNTXSetup.exe and QNTXSetup.z come out byte-identical. Both builds sign
# QNTXSetup.exe with the same throw-away code-signing certificate: signed and unsigned files
# must both be the same, and check-signed.sh checks the signed one.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qntx-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

git clone -q "$root" "$work/first" || exit 1
git clone -q "$root" "$work/second/at/another/depth" || exit 1
second="$work/second/at/another/depth"

# A self-signed certificate for code signing, made for this run only.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quintara Test Signing" \
  -addext keyUsage=digitalSignature -addext extendedKeyUsage=codeSigning \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null || exit 1
chmod 644 "$work/key.pem"  # the second build's user reads it too
sign=(--sign "$work/key.pem" "$work/cert.pem")

(umask 022; cd "$work/first" && TZ=UTC LANG=C scripts/dist.sh --out "$work/first-dist" "${sign[@]}") \
  >/dev/null || exit 1
sleep 2
as_other=()
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1 && command -v runuser >/dev/null; then
  chown -R nobody "$work/second"
  as_other=(runuser -u nobody --)
fi
(umask 077; cd "$second" && "${as_other[@]}" env HOME="$work" TZ=Pacific/Auckland LANG=C.UTF-8 \
  scripts/dist.sh --out "$second/dist" "${sign[@]}") >/dev/null || exit 1

status=0
for file in QNTXSetup.exe QNTXSetup.z; do
  if cmp -s "$work/first-dist/$file" "$second/dist/$file"; then
    echo "same bytes: $file ($(sha256sum < "$second/dist/$file" | cut -c1-16)...)"
  else
    echo "FAIL: $file differs between the two builds" >&2
    cmp "$work/first-dist/$file" "$second/dist/$file" | head -n 3 >&2
    status=1
  fi
done
unsigned=build/dist/bin/QNTXSetup.exe
if ! cmp -s "$work/first/$unsigned" "$second/$unsigned"; then
  echo "FAIL: the unsigned QNTXSetup.exe differs between the two builds" >&2
  status=1
fi
if ! grep -qF "$(cd "$work/first-dist" && sha256sum QNTXSetup.exe)" "$second/dist/SHA256SUMS"; then
  echo "FAIL: SHA256SUMS does not hold the checksum of the signed QNTXSetup.exe" >&2
  status=1
fi
"$root/tests/repro/check-signed.sh" "$work/first-dist/QNTXSetup.exe" "$work/first/$unsigned" \
  "$work/cert.pem" "$work/first-dist/QNTXSetup.z" || status=1
exit $status
