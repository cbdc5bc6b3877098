#!/bin/sh
# Latency benchmark of the virtual terminal (a script, not a test):
#   sim/bench/terminal-bench.sh [ROUNDS]
# Starts zantor-sim on a scratch state dir and reports medians and 95th
# percentiles of: a board request answered over its pseudo-terminal, an SDK
# scale reading on request, a DLE EOT answered on TCP, and the time from
# sending a receipt (ended by the TCP close, or by its cut on the serial
# line) to the control socket announcing its PNG.
set -eu

rounds="${1:-300}"
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/../.." && pwd)"
build="${ZSIM_BENCH_BUILD:-$top/build-bench}"
work="$build/terminal-bench"

cmake -S "$top/sim" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZSIM_TESTS=OFF >/dev/null
cmake --build "$build" --target zantor-sim zantor-simctl -j2 >/dev/null

rm -rf "$work"
mkdir -p "$work/streams"
python3 "$here/make-streams.py" "$work/streams" >/dev/null
"$build/zantor-sim" --state-dir "$work/state" --tcp-port 0 >"$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
"$build/zantor-simctl" --state-dir "$work/state" wait-ready 15000 >/dev/null
python3 "$here/terminal_bench.py" "$work/state" "$work/streams/chinese-receipt.bin" "$rounds"
