#!/bin/sh
# Bounded fuzz run of the ESC/POS interpreter and renderer (SECONDS), then of
# the virtual terminal's board and SDK scale lines (a quarter of that, at
# least 5 s):
#   sim/fuzz/run-fuzz.sh SECONDS
# Builds the libFuzzer targets with clang (ASan + UBSan) in build-fuzz/ at
# the top of the work tree, fuzzes a scratch copy of the seed corpora, and
# fails if the fuzzer finds a crash, a leak, a timeout or undefined
# behaviour. Findings are left in build-fuzz/findings/.
set -eu

seconds="${1:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/../.." && pwd)"
build="${ZSIM_FUZZ_BUILD:-$top/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$top/sim" -B "$build" -DZSIM_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz-escpos fuzz-lines -j2 >/dev/null

work="$build/corpus"
findings="$build/findings"
mkdir -p "$work" "$work-lines" "$findings"
cp "$here"/corpus/escpos/* "$work"/
cp "$here"/corpus/lines/* "$work-lines"/

# Fontconfig and glib keep caches for the whole process; they are not leaks
# of ours, but LeakSanitizer would stop at the first one it sees.
export ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

cd "$findings"
"$build/fuzz-escpos" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" "$here/corpus/escpos"

lines_seconds=$((seconds / 4))
[ "$lines_seconds" -lt 5 ] && lines_seconds=5
"$build/fuzz-lines" -max_total_time="$lines_seconds" -max_len=4096 -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 "$work-lines" "$here/corpus/lines"
