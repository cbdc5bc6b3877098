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
skipped=0
reasons=()
# ctest in folder $1, its result added to the counts. A failing test does not stop the script, so
# the other build is tested too and the closing line counts both; the script fails at its end.
# Counted from ctest's JUnit file, where a GoogleTest case skipped inside a passing entry is seen.
run_ctest() {
  local dir=$1 junit="$root/$1/ctest-junit.xml" line
  local counts=(counts 0 1 0) # what stands if the count itself fails
  shift
  rm -f "$junit"
  (cd "$root/$dir" && ctest --output-on-failure --timeout 600 --output-junit "$junit" \
    --test-output-size-passed 4000000 --test-output-size-failed 4000000 "$@" |
    tee "$root/$dir/ctest-output.log") || true
  if [ ! -s "$junit" ]; then
    echo "test: ctest in $dir wrote no results" >&2
    failed=$((failed + 1))
    return
  fi
  while IFS= read -r line; do
    case "$line" in
      counts\ *) counts=($line) ;;
      *) reasons+=("$dir: $line") ;;
    esac
  done < <(python3 "$root/scripts/ctest-count.py" "$junit")
  passed=$((passed + counts[1]))
  failed=$((failed + counts[2]))
  skipped=$((skipped + counts[3]))
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
  reasons+=("build-i686: skipped: $((all - ran)) tests under Wine: this kernel runs no 32-bit programs")
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

for reason in "${reasons[@]}"; do echo "$reason"; done
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
[ "$failed" = 0 ]
