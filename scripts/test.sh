#!/usr/bin/env bash
# Runs every test: builds, then the Windows tests under Wine on a private Xvfb, with one
# wineserver kept alive throughout, and beside them the native tests (the packer's units and
# fuzzing under sanitizers, the source checks, the reproducible distribution).
# Started as root (as CI and a fresh machine start it), it keeps root for what needs it
# (packages, the small disks of the full-disk tests) and runs every Wine program as the
# ordinary account qntx-test. The end-to-end scenarios run in a 32-bit and a 64-bit prefix,
# two at a time (each in a prefix and on an X server of its own); QNTX_TEST_JOBS sets how many.
# Arguments go to ctest (e.g. scripts/test.sh -R unit.ReadLine).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" || exit 1

source "$root/tests/wine/session.sh"
give_build_to_wine_user || exit 1
wine_user_line
# Both prefixes are booted once, side by side; later runs find them ready.
"$root/tests/wine/boot-prefix.sh" & boot32=$!
env -u WINEPREFIX QNTX_WINE_ARCH=win64 "$root/tests/wine/boot-prefix.sh" & boot64=$!
wait $boot32 || exit 1
wait $boot64 || exit 1

trap end_wine_session EXIT
start_wine_session || exit 1

ctest_args=(--parallel "${QNTX_TEST_JOBS:-2}" "$@")
status=0
summary=()
ctest_into() { # build folder, log: runs one ctest project, its output into the log
  ctest --test-dir "$1" --output-on-failure --timeout 600 "${ctest_args[@]}" >"$2" 2>&1
}
note_result() { # name, exit code, log
  [ "$2" -eq 0 ] || status=1
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$3" | tail -n 1)
  [ -n "$line" ] && summary+=("$1: $line")
}

# The native tests share nothing with the Windows ones but the machine, so they run beside
# them, on an X server of their own (the reproducibility check installs through a window,
# which must not show on the screen the Windows tests look at).
native_log=$(mktemp)
windows_log=$(mktemp)
(
  start_private_xvfb >/dev/null || exit 1
  trap stop_private_xvfb EXIT
  ctest_into "$QNTX_BUILD/native" "$native_log"
) &
native_pid=$!
ctest --test-dir "$QNTX_BUILD/win" --output-on-failure --timeout 600 "${ctest_args[@]}" 2>&1 | tee "$windows_log"
windows_rc=${PIPESTATUS[0]}
wait "$native_pid"
native_rc=$?
echo
echo "---- native tests"
cat "$native_log"
note_result native "$native_rc" "$native_log"
note_result windows "$windows_rc" "$windows_log"
rm -f "$native_log" "$windows_log"

echo
printf '%s\n' "${summary[@]}"
total=0 failed=0
for s in "${summary[@]}"; do
  n=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$s"); f=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$s")
  total=$((total + n)); failed=$((failed + f))
done
echo "$((total - failed)) passed, $failed failed"
exit $status
