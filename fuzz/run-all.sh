#!/usr/bin/env bash
# Builds the fuzzers natively into build-fuzz/ and runs each for a bounded time.
#   fuzz/run-all.sh [SECONDS]   (default 20 a target)
# The corpus in fuzz/corpus/<target>/ seeds each run; what a run finds goes to
# build-fuzz/corpus/<target>/, so the repository is not changed. A crash fails the script and
# leaves its input in build-fuzz/crashes/.
set -euo pipefail
seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j"$(nproc)" >/dev/null
mkdir -p "$out/crashes"
for target in image board_frame encoders; do
  mkdir -p "$out/corpus/$target"
  case $target in
    image) max_len=65536 ;;
    *) max_len=4096 ;;
  esac
  echo "fuzz: $target for ${seconds}s"
  (cd "$out" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     "./fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=20 \
     -print_final_stats=1 -artifact_prefix="$out/crashes/$target-" \
     "$out/corpus/$target" "$root/fuzz/corpus/$target" 2>"$out/$target.log") ||
    { echo "fuzz: $target failed; see $out/$target.log and $out/crashes/" >&2; tail -40 "$out/$target.log" >&2; exit 1; }
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$out/$target.log" | sed "s/^/fuzz: $target /"
done
