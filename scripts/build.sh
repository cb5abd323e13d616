#!/usr/bin/env bash
# Builds everything: the Windows executable and its tests (mingw-w64, build/win) and the
# native packer with its tests and fuzz targets (clang, sanitizers, build/native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${QNTX_BUILD:-$root/build}
jobs=$(nproc)

if [ ! -f "$build/win/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build/win" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$build/win" -j "$jobs"

if [ ! -f "$build/native/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$build/native" -j "$jobs"
