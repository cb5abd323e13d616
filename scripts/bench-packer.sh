#!/usr/bin/env bash
# Benchmark (not a test), quicker than bench-payload.sh: packs the same fixed selection of
# files with Debian's mscompress and with one or more packer binaries in the same run, and
# prints throughput and ratio. No Wine.
# Usage: scripts/bench-packer.sh PACKER...   (default: an optimised native build in build/rel)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${QNTX_BUILD:-$root/build}/bench-packer
if [ $# -eq 0 ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/rel" -DCMAKE_BUILD_TYPE=Release -DQNTX_SANITIZE=OFF >/dev/null
  cmake --build "$root/build/rel" -j 2 --target packer >/dev/null
  set -- "$root/build/rel/tools/packer"
fi
rm -rf "$bench"
mkdir -p "$bench/files" "$bench/mscompress"
n=0
for f in "$root"/payload/files/*; do n=$((n + 1)); cp "$f" "$bench/files/$(printf 'f%04d' "$n").${f##*.}"; done
find /usr/include -maxdepth 1 -name '*.h' -type f -size +1k | LC_ALL=C sort | head -n 300 |
  while read -r f; do n=$((n + 1)); cp "$f" "$bench/files/$(printf 't%04d' "$n").h"; done
find /usr/bin -maxdepth 1 -type f -size +16k -size -1500k | LC_ALL=C sort | head -n 40 |
  while read -r f; do n=$((n + 1)); cp "$f" "$bench/files/$(printf 'p%04d' "$n").bin"; done
files=$(ls "$bench/files" | wc -l)
bytes=$(cat "$bench/files"/* | wc -c)
{
  for f in "$bench/files"/*; do b=$(basename "$f"); echo "files/$b $b \"$b\""; done
} > "$bench/manifest"

now() { date +%s.%N; }
report() {  # NAME SECONDS PACKED
  awk -v name="$1" -v s="$2" -v p="$3" -v n="$bytes" \
    'BEGIN { printf "  %-28s %7.3f s  %7.2f MiB/s  %10d bytes  ratio %.4f\n", name, s, n / 1048576 / s, p, p / n }'
}
echo "$files files, $bytes bytes"
cp "$bench/files"/* "$bench/mscompress/"
start=$(now)
(cd "$bench/mscompress" && mscompress ./* >/dev/null)
end=$(now)
report mscompress "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$(cat "$bench/mscompress"/*_ | wc -c)"
for packer in "$@"; do
  best=
  for run in 1 2 3; do
    start=$(now)
    "$packer" build "$bench/manifest" "$bench/out.z" >/dev/null
    end=$(now)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
    best=$(awk -v a="${best:-$t}" -v b="$t" 'BEGIN { print (b < a ? b : a) }')
  done
  report "$(basename "$(dirname "$packer")")/$(basename "$packer") (best of 3)" "$best" \
    $(( $(stat -c %s "$bench/out.z") - 136 * files ))
done
