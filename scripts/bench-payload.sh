#!/usr/bin/env bash
# Benchmark (not a test): the packer against Debian's mscompress on the same files
# (throughput and ratio), and ExtractFiles under Wine against a plain copy of the expanded
# files. The files are the demo payload plus a fixed selection of this machine's headers
# and programs, so runs on one machine compare.
# Usage: scripts/bench-payload.sh [TEXT_FILES [PROGRAMS]]   (defaults 300 and 40)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
text_count=${1:-300}
program_count=${2:-40}
"$root/scripts/build.sh" >/dev/null
source "$root/tests/wine/session.sh"
"$root/tests/wine/boot-prefix.sh"

packer="$QNTX_BUILD/win/host/packer"   # optimised, no sanitizers
bench="$QNTX_BUILD/bench"
rm -rf "$bench"
mkdir -p "$bench/files" "$bench/mscompress"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
mib_per_s() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.2f", (s > 0 ? n / 1048576 / s : 0) }'; }
ratio() { awk -v p="$1" -v n="$2" 'BEGIN { printf "%.4f", (n > 0 ? p / n : 0) }'; }

# The files: names flattened and short enough for a record.
n=0
add() { n=$((n + 1)); cp "$1" "$bench/files/$(printf 'f%04d' "$n")${2}"; }
for f in "$root"/payload/files/*; do add "$f" ".${f##*.}"; done
find /usr/include -maxdepth 1 -name '*.h' -type f -size +1k | LC_ALL=C sort | head -n "$text_count" |
  while read -r f; do n=$((n + 1)); cp "$f" "$bench/files/$(printf 't%04d' "$n").h"; done
find /usr/bin -maxdepth 1 -type f -size +16k -size -1500k | LC_ALL=C sort | head -n "$program_count" |
  while read -r f; do n=$((n + 1)); cp "$f" "$bench/files/$(printf 'p%04d' "$n").bin"; done
files=$(ls "$bench/files" | wc -l)
bytes=$(cat "$bench/files"/* | wc -c)
echo "files: $files, $bytes bytes"

# mscompress writes NAME_ beside each file.
cp "$bench/files"/* "$bench/mscompress/"
start=$(now)
(cd "$bench/mscompress" && mscompress ./* >/dev/null)
end=$(now)
ms_time=$(elapsed "$start" "$end")
ms_bytes=$(cat "$bench/mscompress"/*_ | wc -c)

{
  echo "# benchmark manifest"
  for f in "$bench/files"/*; do b=$(basename "$f"); echo "files/$b $b \"$b\""; done
} > "$bench/manifest"
start=$(now)
"$packer" build "$bench/manifest" "$bench/QNTXSetup.z" >/dev/null
end=$(now)
pk_time=$(elapsed "$start" "$end")
pk_bytes=$(( $(stat -c %s "$bench/QNTXSetup.z") - 136 * files ))   # SZDD data alone

echo
echo "packing $files files, $bytes bytes:"
printf '  %-11s %9s s  %7s MiB/s  %10s bytes  ratio %s\n' \
  mscompress "$ms_time" "$(mib_per_s "$bytes" "$ms_time")" "$ms_bytes" "$(ratio "$ms_bytes" "$bytes")" \
  packer "$pk_time" "$(mib_per_s "$bytes" "$pk_time")" "$pk_bytes" "$(ratio "$pk_bytes" "$bytes")"
echo "  packer/mscompress: size $(ratio "$pk_bytes" "$ms_bytes"), time $(ratio "$pk_time" "$ms_time")"

trap end_wine_session EXIT
start_wine_session
drive_c="$WINEPREFIX/drive_c"
echo
echo "installing under Wine (ExtractFiles, no progress window) against CopyFileA of the expanded files:"
for run in 1 2 3; do
  rm -rf "$drive_c/qntx-bench"
  mkdir -p "$drive_c/qntx-bench"
  out=$(wine "$QNTX_BUILD/win/tests/extract/extract_bench.exe" "Z:$bench/QNTXSetup.z" 'C:\qntx-bench\target' \
    "Z:$bench/files" 'C:\qntx-bench\copy' | tr -d '\r')
  ex_time=$(awk '/^extract/ { print $6 }' <<<"$out")
  ex_files=$(awk '/^extract/ { print $2 }' <<<"$out")
  cp_time=$(awk '/^copy/ { print $6 }' <<<"$out")
  cmp -s <(cat "$bench/files"/*) <(cat "$drive_c/qntx-bench/target"/*) && same=byte-exact || same=DIFFERENT
  printf '  run %d: ExtractFiles %s files %s s (%s MiB/s, %s)   CopyFileA %s s (%s MiB/s)   extract/copy %s\n' \
    "$run" "$ex_files" "$ex_time" "$(mib_per_s "$bytes" "$ex_time")" "$same" "$cp_time" \
    "$(mib_per_s "$bytes" "$cp_time")" "$(ratio "$ex_time" "$cp_time")"
done
rm -rf "$drive_c/qntx-bench" "$bench/mscompress"
