#!/usr/bin/env bash
# Runs one fuzz target for a bounded time: new inputs go to a scratch corpus in the build
# tree, the committed seeds are read only.
# Usage: run-fuzz.sh FUZZER SECONDS SEED_DIR SCRATCH_DIR [libFuzzer options...]
set -eu
fuzzer=$1 seconds=$2 seeds=$3 scratch=$4
shift 4
mkdir -p "$scratch"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$@" \
  "$scratch" "$seeds"
