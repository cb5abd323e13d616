#!/usr/bin/env bash
# Checks a signed QNTXSetup.exe against the unsigned one it was made from:
#   check-signed.sh SIGNED.exe UNSIGNED.exe CERT.pem QNTXSetup.z
# The Authenticode signature verifies against the certificate and breaks when a byte of the
# code changes; the file is still the same program (check-pe.sh; resources, version and
# manifest as before); and it installs the demo payload under Wine (run it through
# scripts/test.sh, which provides the display).
set -u
signed=$1 unsigned=$2 cert=$3 data=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qntx-signed.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail=0
failed() { echo "FAIL: $*" >&2; fail=1; }

said=$(osslsigncode verify -CAfile "$cert" -in "$signed" 2>&1)
grep -q 'Signature verification: ok' <<<"$said" || failed "signature does not verify: $said"
grep -qE 'Message digest algorithm *: *SHA256' <<<"$said" || failed "not a SHA-256 signature"

cp "$signed" "$work/tampered.exe"
# One byte of the code section (it starts at 0x400), inverted.
at=$((0x400 + 4096))
byte=$(od -An -tu1 -j $at -N1 "$signed")
printf "\\$(printf %o $((255 - byte)))" | dd of="$work/tampered.exe" bs=1 seek=$at conv=notrunc status=none
if osslsigncode verify -CAfile "$cert" -in "$work/tampered.exe" >/dev/null 2>&1; then
  failed "a changed byte of code still verifies"
fi

"$root/tests/exe/check-pe.sh" "$signed" || failed "the signed file is not the program check-pe.sh expects"
i686-w64-mingw32-windres -i "$unsigned" -O rc -o "$work/unsigned.rc" 2>/dev/null
i686-w64-mingw32-windres -i "$signed" -O rc -o "$work/signed.rc" 2>/dev/null
if [ ! -s "$work/unsigned.rc" ] || ! cmp -s "$work/unsigned.rc" "$work/signed.rc"; then
  failed "resources (version, manifest, dialogs) differ from the unsigned file's"
fi

# The signed program installs the demo payload: the robot walks through it in a fresh prefix.
if [ -z "${DISPLAY:-}" ]; then
  failed "no DISPLAY for the installation under Wine; run through scripts/test.sh"
  exit 1
fi
source "$root/tests/wine/wine-env.sh"
mkdir -p "$work/pictures"
wine_user_owns "$work"
"$root/tests/wine/fresh-prefix.sh" bash -c '
  drive=$WINEPREFIX/drive_c
  target="$drive/Program Files/Corel/Graphics9/Photopnt/Scripts/Scripts"
  mkdir -p "$drive/Quintara" "$(dirname "$target")"
  cp "$1" "$drive/Quintara/QNTXSetup.exe"; cp "$2" "$drive/Quintara/QNTXSetup.z"
  QNTX_WALK_SETUP="C:\\Quintara\\QNTXSetup.exe" QNTX_ROBOT_PICTURES="$4" \
    wine "$3" --gtest_filter=Walkthrough.Install --gtest_color=no >"$4/walk.log" 2>&1 ||
    { tr -d "\r" <"$4/walk.log" | grep -aE "Failure|FAILED|^  " >&2; exit 1; }
  for file in "Quintara.txt" "Quintara Common.csi" "Quintara Frame.csc" "Quintara Edge Glow.csc" "Quintara Tile.csc"; do
    cmp -s "$QNTX_ROOT/payload/files/$file" "$target/$file" || { echo "not installed: $file" >&2; exit 1; }
  done
  [ -f "$drive/windows/system32/qntxhelp.dll" ] || { echo "not installed: qntxhelp.dll" >&2; exit 1; }
' _ "$signed" "$data" "$QNTX_BUILD/win/tests/e2e/walkthrough.exe" "$work/pictures" ||
  failed "the signed QNTXSetup.exe did not install the demo payload under Wine"

[ $fail -eq 0 ] && echo "signed QNTXSetup.exe: verifies, same program and resources, installs under Wine"
exit $fail
