#!/usr/bin/env bash
# packer.exe under Wine: builds the demo payload to the very bytes the native packer wrote,
# verifies it, and refuses wrong arguments with exit code 1.
# Usage: packer-exe.sh PACKER_EXE MANIFEST REFERENCE_DATA_FILE SCRATCH_DIR
set -u
exe=$1 manifest=$2 reference=$3 scratch=$4
run() { "$(dirname "$0")/../wine/wine-exec.sh" "$exe" "$@"; }
"$(dirname "$0")/../wine/as-wine-user.sh" mkdir -p "$scratch" # Wine writes into it
out="$scratch/QNTXSetup.z"
rm -f "$out"
fail=0
run build "Z:$manifest" "Z:$out" >/dev/null || { echo "FAIL: packer.exe build exited $?"; fail=1; }
cmp "$out" "$reference" || { echo "FAIL: packer.exe wrote other bytes than the native packer"; fail=1; }
verify=$(run verify "Z:$out") || { echo "FAIL: packer.exe verify: $verify"; fail=1; }
grep -q "8 records verified" <<<"$verify" || { echo "FAIL: verify said: $verify"; fail=1; }
run list >/dev/null 2>"$scratch/usage.txt"
rc=$?
[ "$rc" -eq 1 ] || { echo "FAIL: wrong arguments exited $rc"; fail=1; }
grep -q "usage: packer build MANIFEST OUTPUT" "$scratch/usage.txt" || { echo "FAIL: no usage on stderr"; fail=1; }
exit $fail
