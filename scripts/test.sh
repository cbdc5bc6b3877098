#!/usr/bin/env bash
# Sets up this machine (packages, locale), builds everything and runs every test:
# the Windows program's tests under Wine (with the end-to-end tests against the virtual
# terminal), the i686 build, the Windows package, the virtual terminal's own tests and the
# fuzzers (bounded). Ends with one line counting every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

passed=0
failed=0
# ctest in folder $1, its result added to the counts; a failure ends the script (set -e).
run_ctest() {
  local log="$root/$1/ctest-output.log"
  (cd "$root/$1" && ctest --output-on-failure --timeout 600 | tee "$log")
  local summary total bad
  summary=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
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

echo "== Building (x86_64)"
"$root/scripts/build.sh" x86_64
echo "== Building (i686, compile only)"
"$root/scripts/build.sh" i686

echo "== Testing the Windows program under Wine"
run_ctest build

echo "== Packaging"
(cd build && cpack -G ZIP >/dev/null && ls -1 ZantorPosTest-*.zip)

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

echo "$passed passed, $failed failed"
