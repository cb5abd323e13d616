#!/usr/bin/env bash
# Runs every test: builds, then the native packer tests and fuzzing (sanitizers) and the
# Windows tests under Wine on a private Xvfb, with one wineserver kept alive throughout.
# Arguments go to ctest (e.g. scripts/test.sh -R unit.ReadLine).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" || exit 1

source "$root/tests/wine/session.sh"
"$root/tests/wine/boot-prefix.sh" || exit 1

trap end_wine_session EXIT
start_wine_session || exit 1

ctest_args=("$@")
status=0
summary=()
run_ctest() { # name, build folder
  local log
  log=$(mktemp)
  ctest --test-dir "$2" --output-on-failure --timeout 600 "${ctest_args[@]}" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  [ "$rc" -eq 0 ] || status=1
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  [ -n "$line" ] && summary+=("$1: $line")
  rm -f "$log"
}
run_ctest native "$QNTX_BUILD/native"
run_ctest windows "$QNTX_BUILD/win"

echo
printf '%s\n' "${summary[@]}"
total=0 failed=0
for s in "${summary[@]}"; do
  n=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$s"); f=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$s")
  total=$((total + n)); failed=$((failed + f))
done
echo "$((total - failed)) passed, $failed failed"
exit $status
