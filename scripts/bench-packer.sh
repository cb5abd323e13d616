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

# Wall and CPU seconds of a command, into $wall and $cpu.
timed() {
  /usr/bin/time -f '%e %U %S' -o "$bench/time" "$@" >/dev/null
  read -r wall user system <"$bench/time"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
}
report() {  # NAME WALL CPU PACKED
  awk -v name="$1" -v s="$2" -v c="$3" -v p="$4" -v n="$bytes" 'BEGIN { printf \
    "  %-30s %7.3f s (CPU %6.3f s)  %7.2f MiB/s  %9d bytes  ratio %.4f\n", name, s, c, n / 1048576 / s, p, p / n }'
}
echo "$files files, $bytes bytes"
cp "$bench/files"/* "$bench/mscompress/"
cd "$bench/mscompress"
timed sh -c 'mscompress ./*'
cd "$root"
report mscompress "$wall" "$cpu" "$(cat "$bench/mscompress"/*_ | wc -c)"
for packer in "$@"; do
  best= best_cpu=
  for run in 1 2 3; do
    timed "$packer" build "$bench/manifest" "$bench/out.z"
    best=$(awk -v a="${best:-$wall}" -v b="$wall" 'BEGIN { print (b < a ? b : a) }')
    best_cpu=$(awk -v a="${best_cpu:-$cpu}" -v b="$cpu" 'BEGIN { print (b < a ? b : a) }')
  done
  report "$(basename "$packer") (best of 3)" "$best" "$best_cpu" $(( $(stat -c %s "$bench/out.z") - 136 * files ))
done
