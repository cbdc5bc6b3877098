#!/usr/bin/env bash
# Measures the scale page under Wine and prints medians over RUNS runs:
#  - latency from the scale SDK's callback to the page's field text being set, with a scale
#    sending 100 readings a second through our MvScalesSDK.dll over a pseudo-terminal
#    (targets: p99 under 16 ms);
#  - the time of our SDK's OPO_Zero (the page's zero button) against a scale that answers at once;
#  - CPU use of the idle program with the once-a-second read of device-library mode running,
#    the program's own and its Wine server's (target: under 1 % of one core).
#   bench-scale.sh [SECONDS] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
runs=${2:-3}

"$root/scripts/build.sh" x86_64 --target scale_bench >/dev/null
work="$root/build/bench-scale"
mkdir -p "$work"
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
"$root/tests/wine/prefix.sh" up "$WINEPREFIX"
"$root/tests/serial/bridges.sh" up "$work" "$WINEPREFIX"
cleanup() {
  "$root/tests/serial/bridges.sh" down "$work" "$WINEPREFIX" || true
  "$root/tests/wine/prefix.sh" down "$WINEPREFIX" || true
}
trap cleanup EXIT
export ZPT_TEST_PORTS="Z:$work/test-ports"
bench="$root/build/bin/scale_bench.exe"

# The Wine server of this prefix works for the program (messages, timers): its CPU counts too.
server_pid() {
  local want p
  want=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for p in $(pgrep -x wineserver64; pgrep -x wineserver); do
    case "$(readlink "/proc/$p/cwd" 2>/dev/null)" in */"$want") echo "$p"; return ;; esac
  done
}

median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

echo "== Latency, ${runs} runs of ${seconds} s at 100 readings/s"
: >"$work/latency.txt"
for run in $(seq 1 "$runs"); do
  out=$(wine "$bench" latency "$seconds" 10 | tr -d '\r')
  echo "$out" | sed "s/^/  run $run: /" | grep -E 'callback ->|sent on|shown'
  echo "$out" | awk '/callback -> field text/ {print $6, $9}' >>"$work/latency.txt"
done
p50=$(awk '{print $1}' "$work/latency.txt" | median)
p99=$(awk '{print $2}' "$work/latency.txt" | median)
echo "callback -> field text: median p50 ${p50} ms, median p99 ${p99} ms (target p99 < 16 ms)"

echo "== OPO_Zero answered at once, ${runs} runs of 40"
: >"$work/command.txt"
for run in $(seq 1 "$runs"); do
  out=$(wine "$bench" command 40 10 | tr -d '\r')
  echo "  run $run: $out"
  echo "$out" | awk '/OPO_Zero/ {print $6, $12}' >>"$work/command.txt"
done
echo "OPO_Zero: median p50 $(awk '{print $1}' "$work/command.txt" | median) ms," \
     "median max $(awk '{print $2}' "$work/command.txt" | median) ms (the SDK waits up to 1000 ms for the answer)"

echo "== Idle CPU, ${runs} runs of ${seconds} s each without and with the read timer"
hz=$(getconf CLK_TCK)
server=$(server_pid)
for timer in stopped running; do
  : >"$work/idle-$timer.txt"
  for run in $(seq 1 "$runs"); do
    out=$(wine "$bench" idle "$seconds" "$server" "$hz" "$timer" | tr -d '\r')
    echo "  run $run: $(echo "$out" | grep 'idle,')"
    echo "$out" | awk '/idle,/ {print $(NF-8) + $(NF-1)}' >>"$work/idle-$timer.txt"
  done
done
echo "idle program + Wine server: median $(median <"$work/idle-stopped.txt") % of one core with the timer stopped," \
     "$(median <"$work/idle-running.txt") % with it running (target < 1 %)"
