#!/usr/bin/env bash
# Builds harness.cpp with the scale page's weight arithmetic twice, natively for x86_64 and with
# the i686 build's compiler flags as a 32-bit Linux program run under qemu-i386 (so it runs also
# where the kernel runs no 32-bit programs), and checks that both give the same results.
#   run.sh SOURCE_DIR WORK_DIR FLAG...    (FLAG: the i686 build's optimisation and code flags)
set -euo pipefail
source=$1 work=$2
shift 2
mkdir -p "$work"
sources=("$source/tests/i686_arithmetic/harness.cpp" "$source/pages/scale/ScaleReading.cpp")
common=(-std=c++17 -I"$source" -finput-charset=UTF-8 -fexec-charset=GBK)
g++ "${common[@]}" "$@" "${sources[@]}" -o "$work/harness64"
g++ -m32 "${common[@]}" "$@" -static "${sources[@]}" -o "$work/harness32"
"$work/harness64" >"$work/x86_64.txt" || { grep WRONG "$work/x86_64.txt"; exit 1; }
if ! qemu-i386 "$work/harness32" >"$work/i686.txt"; then
  echo "i686 build with flags '$*': wrong weights"
  grep WRONG "$work/i686.txt"
  exit 1
fi
if ! cmp -s "$work/x86_64.txt" "$work/i686.txt"; then
  echo "i686 build with flags '$*' differs from x86_64 (< x86_64, > i686):"
  diff "$work/x86_64.txt" "$work/i686.txt" | head -20
  exit 1
fi
echo "weight arithmetic: i686 ($*) and x86_64 agree on $(wc -l <"$work/i686.txt") net texts"
