#!/usr/bin/env bash
# Benchmark (not a test): QNTXSetup.exe against a peer installer made by NSIS's makensis, on
# the same generated files, under Wine.
#
#   scripts/bench-install.sh [ROUNDS [PAYLOADS]]   ROUNDS defaults to 5; PAYLOADS is
#                                                  "small large" (the default), "small" or "large"
#
# Payloads (fixed seeds, the same bytes on any machine; text-like and binary-like files in one
# folder): small = 200 files, 5 MiB; large = 2,000 files, 100 MiB.
# For each payload it
# - packs the files with our packer and with mscompress, timing both (wall clock and CPU);
# - builds an NSIS installer of the same files (zlib, silent) with makensis (not timed);
# - installs ROUNDS times with each, in rotating order (ours first in odd rounds), each into a
#   fresh empty folder, and checks the installed bytes:
#     ours: the test robot walks the wizard; it times from pressing Finish to the
#           "Setup complete." box appearing (QueryPerformanceCounter, inside Wine);
#     NSIS: the wall clock of the whole `wine setup.exe /S /D=...` run, Wine's process start
#           and NSIS's own check of its file included;
# - prints the medians and the ratio ours / NSIS.
# Everything runs in a throw-away copy of the private prefix, under one wineserver, and is
# written below $QNTX_BUILD/bench-install/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
payloads=${2:-small large}
"$root/scripts/build.sh" >/dev/null
source "$root/tests/wine/wine-env.sh"
source "$root/tests/wine/xvfb.sh"
"$root/tests/wine/boot-prefix.sh"
if ! command -v makensis >/dev/null; then
  echo "bench-install: installing Debian's nsis (makensis) for the peer installer" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nsis >/dev/null
fi

packer="$QNTX_BUILD/win/host/packer"          # optimised, no sanitizers
generate="$QNTX_BUILD/native/tests/bench/make_bench_files"
robot="$QNTX_BUILD/win/tests/bench/install_bench.exe"
setup="$QNTX_BUILD/win/bin/QNTXSetup.exe"
bench="$QNTX_BUILD/bench-install"
rm -rf "$bench"
mkdir -p "$bench"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
mib_per_s() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.2f", (s > 0 ? n / 1048576 / s : 0) }'; }
ratio() { awk -v p="$1" -v n="$2" 'BEGIN { printf "%.3f", (n > 0 ? p / n : 0) }'; }
median() { tr ' ' '\n' | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 } END {
  if (NR == 0) print "n/a"; else if (NR % 2) printf "%.3f", v[(NR + 1) / 2];
  else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# timed OUT_PREFIX COMMAND...: sets ${OUT_PREFIX}_wall and ${OUT_PREFIX}_cpu (user + system).
timed() {
  local name=$1 times; shift
  times=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1 )
  printf -v "${name}_wall" '%s' "$(awk '{ print $1 }' <<<"$times")"
  printf -v "${name}_cpu" '%s' "$(awk '{ printf "%.2f", $2 + $3 }' <<<"$times")"
}

# The private prefix's throw-away copy, one wineserver for every round.
base=$WINEPREFIX
export WINEPREFIX="$bench/prefix"
cp -a "$base/." "$WINEPREFIX/"
stop() { wineserver -k >/dev/null 2>&1 || true; stop_private_xvfb; rm -rf "$WINEPREFIX"; }
trap stop EXIT
start_private_xvfb
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null
drive_c="$WINEPREFIX/drive_c"

echo "machine: $(nproc) cores, $(uname -m), $(date -u +%Y-%m-%d); load average at start:$(cut -d' ' -f1-3 /proc/loadavg | sed 's/^/ /')"
summary=()
for payload in $payloads; do
  case $payload in
    small) count=200; total=$((5 * 1048576)); seed=1 ;;
    large) count=2000; total=$((100 * 1048576)); seed=2 ;;
    *) echo "bench-install: unknown payload $payload (small or large)" >&2; exit 1 ;;
  esac
  dir="$bench/$payload"
  mkdir -p "$dir/files" "$dir/mscompress" "$dir/medium"
  "$generate" "$dir/files" "$count" "$total" "$seed"
  digest=$(cat "$dir/files"/* | sha256sum | cut -c1-16)
  echo
  echo "== $payload: $count files, $total bytes (sha256 of the files in name order: $digest...)"

  # Packing: the packer's data file (records of 136 bytes + SZDD data) and mscompress's NAME_ files.
  {
    echo "# install benchmark, $payload"
    for f in "$dir/files"/*; do b=$(basename "$f"); echo "files/$b $b \"$b\""; done
  } > "$dir/manifest"
  timed pk "$packer" build "$dir/manifest" "$dir/medium/QNTXSetup.z"
  pk_bytes=$(( $(stat -c %s "$dir/medium/QNTXSetup.z") - 136 * count ))
  cp "$dir/files"/* "$dir/mscompress/"
  timed ms sh -c 'cd "$1" && mscompress ./*' sh "$dir/mscompress"
  ms_bytes=$(cat "$dir/mscompress"/*_ | wc -c)
  rm -rf "$dir/mscompress"
  printf '  %-10s wall %7s s  %7s MiB/s   cpu %6s s  %7s MiB/s   %10s bytes  ratio %s\n' \
    packer "$pk_wall" "$(mib_per_s "$total" "$pk_wall")" "$pk_cpu" "$(mib_per_s "$total" "$pk_cpu")" \
    "$pk_bytes" "$(ratio "$pk_bytes" "$total")" \
    mscompress "$ms_wall" "$(mib_per_s "$total" "$ms_wall")" "$ms_cpu" "$(mib_per_s "$total" "$ms_cpu")" \
    "$ms_bytes" "$(ratio "$ms_bytes" "$total")"
  echo "  packer throughput / mscompress: wall $(ratio "$ms_wall" "$pk_wall") x, cpu $(ratio "$ms_cpu" "$pk_cpu") x;" \
    "packed size packer / mscompress $(ratio "$pk_bytes" "$ms_bytes")"

  # The peer: every file into the install folder, zlib (not solid), silent.
  {
    echo "Name \"Quintara bench\""
    echo "OutFile \"$dir/nsis-setup.exe\""
    echo "SetCompressor zlib"
    echo "SilentInstall silent"
    echo "RequestExecutionLevel admin"
    echo "InstallDir \"C:\\qntx-bench\\nsis\""
    echo "Section"
    echo "  SetOutPath \"\$INSTDIR\""
    for f in "$dir/files"/*; do echo "  File \"$f\""; done
    echo "SectionEnd"
  } > "$dir/setup.nsi"
  makensis -V1 "$dir/setup.nsi" >/dev/null
  cp "$setup" "$dir/medium/"
  echo "  installers: QNTXSetup.z $(stat -c %s "$dir/medium/QNTXSetup.z") bytes;" \
    "NSIS setup.exe $(stat -c %s "$dir/nsis-setup.exe") bytes"

  ours=() nsis=()
  check() {   # FOLDER: the installed files are exactly the payload's
    if [ "$(ls "$1" | wc -l)" = "$count" ] && cmp -s <(cat "$dir/files"/*) <(cd "$1" && cat $(ls "$dir/files")); then
      echo byte-exact
    else
      echo DIFFERENT
    fi
  }
  run_ours() {
    local host="qntx-bench\\ours-$payload-$1" out ms
    rm -rf "$drive_c/qntx-bench/ours-$payload-$1"
    mkdir -p "$drive_c/qntx-bench"
    out=$(QNTX_BENCH_HOST="C:\\$host" QNTX_BENCH_SETUP="Z:$(tr / '\\' <<<"$dir/medium/QNTXSetup.exe")" \
      QNTX_ROBOT_PICTURES="$bench/pictures" wine "$robot" --gtest_color=no 2>&1 | tr -d '\r' || true)
    ms=$(awk '/^elapsed_ms:/ { print $2 }' <<<"$out")
    local target="$drive_c/qntx-bench/ours-$payload-$1/Photopnt/Scripts/Scripts"
    if [ -z "$ms" ]; then
      echo "  round $1: ours FAILED:"; grep -E 'Failure|error|expected|says' <<<"$out" | head -5 | sed 's/^/    /'
    else
      local s; s=$(awk -v m="$ms" 'BEGIN { printf "%.3f", m / 1000 }')
      ours+=("$s")
      echo "  round $1: ours $s s ($(check "$target"))"
    fi
    rm -rf "$drive_c/qntx-bench/ours-$payload-$1"
  }
  run_nsis() {
    local folder="$drive_c/qntx-bench/nsis-$payload-$1" start end s
    rm -rf "$folder"
    start=$(now)
    wine "$dir/nsis-setup.exe" /S "/D=C:\\qntx-bench\\nsis-$payload-$1" >/dev/null 2>&1 </dev/null || true
    end=$(now)
    s=$(elapsed "$start" "$end")
    nsis+=("$s")
    echo "  round $1: NSIS $s s ($(check "$folder"))"
    rm -rf "$folder"
  }
  for round in $(seq 1 "$rounds"); do
    if [ $((round % 2)) = 1 ]; then run_ours "$round"; run_nsis "$round"
    else run_nsis "$round"; run_ours "$round"; fi
  done
  ours_median=$(echo "${ours[*]:-}" | median)
  nsis_median=$(echo "${nsis[*]:-}" | median)
  line=$(printf '%-6s %5d files %10d bytes  ours %8s s  NSIS %8s s  ours/NSIS %s' "$payload" "$count" "$total" \
    "$ours_median" "$nsis_median" "$(ratio "$ours_median" "$nsis_median")")
  echo "  median of ${#ours[@]} / ${#nsis[@]} rounds: $line"
  summary+=("$line" "       packer $(mib_per_s "$total" "$pk_wall") MiB/s (cpu $(mib_per_s "$total" "$pk_cpu")), ratio $(ratio "$pk_bytes" "$total");  mscompress $(mib_per_s "$total" "$ms_wall") MiB/s (cpu $(mib_per_s "$total" "$ms_cpu")), ratio $(ratio "$ms_bytes" "$total")")
done

echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "medians (ours: Finish to \"Setup complete.\"; NSIS: the whole silent run):"
printf '  %s\n' "${summary[@]}"
