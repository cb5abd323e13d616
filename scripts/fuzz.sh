#!/usr/bin/env bash
# A longer fuzzing session of the packer's two libFuzzer targets (the test command gives them
# 9 s each). Each target runs SECONDS (default 600) from its committed corpus; new inputs go to
# a scratch folder in the build tree, and those that reach code the corpus does not are then
# merged, minimised, into tests/packer/corpus/<target>/, to be committed. A crash stops the
# script and leaves its input (crash-*, leak-*, timeout-*) in build/fuzz/: fix the fault,
# then add that input to the corpus under a name that says what it covers.
# Usage: scripts/fuzz.sh [SECONDS] [JOBS] [TARGET]   (TARGET: fuzz_szdd or fuzz_data_file)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QNTX_BUILD:-$root/build}
seconds=${1:-600}
jobs=${2:-1}
targets=(${3:-fuzz_szdd fuzz_data_file})
if [ ! -f "$build/native/CMakeCache.txt" ]; then
  "$root/scripts/build.sh"
fi
cmake --build "$build/native" --target fuzz_szdd fuzz_data_file -j "$jobs"

parallel=()
[ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
mkdir -p "$build/fuzz"
for target in "${targets[@]}"; do
  fuzzer=$build/native/tests/packer/$target
  corpus=$root/tests/packer/corpus/$target
  scratch=$build/fuzz/$target
  mkdir -p "$scratch"
  echo "== $target: $seconds s from $(ls "$corpus" | wc -l) committed inputs"
  (cd "$build/fuzz" && "$fuzzer" -max_total_time="$seconds" -max_len=70000 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "${parallel[@]}" "$scratch" "$corpus")
  before=$(ls "$corpus" | wc -l)
  "$fuzzer" -merge=1 -max_len=70000 "$corpus" "$scratch" 2>&1 | grep -E 'MERGE-OUTER: [0-9]+ new files' || true
  echo "== $target: corpus $before -> $(ls "$corpus" | wc -l) inputs"
done
git -C "$root" status --short tests/packer/corpus
