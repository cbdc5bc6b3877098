#!/usr/bin/env bash
# Sets up this machine (packages, locale), builds everything and runs every test: the Windows
# program's tests under Wine (with the end-to-end tests against the virtual terminal and the
# demo) for the i686 build (the terminal's) and for the x86_64 build, the two Windows packages,
# the virtual terminal's own tests and the fuzzers (bounded). Ends with one line counting every
# test of both builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

passed=0
failed=0
# ctest in folder $1, its result added to the counts. A failing test does not stop the script, so
# the other build is tested too and the closing line counts both; the script fails at its end.
skipped=0
run_ctest() {
  local dir=$1 log="$root/$1/ctest-output.log"
  shift
  (cd "$root/$dir" && ctest --output-on-failure --timeout 600 "$@" | tee "$log") || true
  local summary total bad
  summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$summary" ]; then
    echo "test: ctest in $dir ended without its summary" >&2
    failed=$((failed + 1))
    return
  fi
  total=$(echo "$summary" | sed -E 's/.*out of ([0-9]+).*/\1/')
  bad=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

"$root/scripts/setup.sh"

# First: the end-to-end tests among the Windows tests run the program against it.
echo "== Building the virtual terminal"
cmake -S "$root/sim" -B "$root/build-sim" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-sim" -j"$(nproc)"

for arch in i686 x86_64; do
  echo "== Building ($arch)"
  "$root/scripts/build.sh" "$arch"
done

if "$root/scripts/runs-32bit.sh"; then
  echo "== Testing the 32-bit program under Wine (build-i686)"
  run_ctest build-i686
else
  # Only the tests that run nothing of the program; the rest are counted as skipped.
  echo "== Testing the 32-bit program: this kernel runs no 32-bit programs, so only what needs no Wine"
  run_ctest build-i686 -L no_wine
  all=$(cd build-i686 && ctest -N | sed -n 's/^Total Tests: //p')
  ran=$(cd build-i686 && ctest -N -L no_wine | sed -n 's/^Total Tests: //p')
  skipped=$((skipped + all - ran))
fi
echo "== Testing the 64-bit program under Wine (build)"
run_ctest build

echo "== Packaging"
for pair in "build-i686 win32" "build win64"; do
  set -- $pair
  rm -f "$root/$1"/ZantorPosTest-*-"$2".zip # a build folder may keep an earlier version's
  (cd "$1" && cpack -G ZIP >/dev/null)
  "$root/scripts/check-package.sh" "$(ls -1 "$root/$1"/ZantorPosTest-*-"$2".zip)" "$2"
done

echo "== Testing the virtual terminal"
run_ctest build-sim

seconds=${ZPT_FUZZ_SECONDS:-20}
if [ -x "$root/sim/fuzz/run-fuzz.sh" ]; then
  echo "== Fuzzing the virtual printer, ${seconds} s"
  ZSIM_FUZZ_BUILD="$root/build-fuzz-sim" "$root/sim/fuzz/run-fuzz.sh" "$seconds"
fi
if [ -x "$root/fuzz/run-all.sh" ]; then
  echo "== Fuzzing the device library, ${seconds} s a target"
  "$root/fuzz/run-all.sh" "$seconds"
fi

if [ "$skipped" -gt 0 ]; then
  echo "(the $skipped skipped are the 32-bit program's tests under Wine: this kernel runs no 32-bit programs)"
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" = 0 ]
