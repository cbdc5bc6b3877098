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
# A small quarantine and no allocation stacks keep the allocator from
# dominating the run; a finding is re-run with the defaults to see more.
export ASAN_OPTIONS="detect_leaks=0:quarantine_size_mb=16:malloc_context_size=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

cd "$findings"
# run NAME SECONDS ARGS...: the fuzzer's running commentary goes to its log; a finding fails the
# script and shows the log's end.
run() {
    name=$1; secs=$2; shift 2
    echo "fuzz: $name for ${secs}s"
    if ! "$build/$name" -max_total_time="$secs" -print_final_stats=1 "$@" 2>"$build/$name.log"; then
        echo "fuzz: $name found a fault; see $build/$name.log and $findings/" >&2
        tail -40 "$build/$name.log" >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/$name.log" | sed "s/^/fuzz: $name /"
}

# Inputs stay short, like the target's short page: depth in the command
# set, not length, is what finds faults here.
run fuzz-escpos "$seconds" -max_len=1024 -timeout=20 -rss_limit_mb=2048 -purge_allocator_interval=-1 "$work" "$here/corpus/escpos"

lines_seconds=$((seconds / 4))
[ "$lines_seconds" -lt 5 ] && lines_seconds=5
run fuzz-lines "$lines_seconds" -max_len=4096 -timeout=10 -rss_limit_mb=1024 "$work-lines" "$here/corpus/lines"
