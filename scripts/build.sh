#!/usr/bin/env bash
# Builds the Windows program with its tests for x86_64 into build/ or for i686 (the terminal's
# build) into build-i686/; both run and are tested under Wine.
#   build.sh [x86_64|i686] [cmake --build arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-x86_64}; shift || true
case "$arch" in
  x86_64) dir="$root/build" ;;
  i686)   dir="$root/build-i686" ;;
  *) echo "build.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DZPT_BUILD_TESTS=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
