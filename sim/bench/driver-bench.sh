#!/usr/bin/env bash
# Benchmark of the virtual terminal's Windows printer (a script, not a test):
#   sim/bench/driver-bench.sh [RUNS]
# Submits a one-page receipt job (80 mm PostScript page, 20 text lines) RUNS times to the
# terminal's queue on a private CUPS server and times each from the submission until the
# terminal has filed the receipt PNG: spooler, backend, ghostscript at 203 dpi, filing. Prints
# the median and the slowest run, and ghostscript's own share (the same page rendered alone).
set -euo pipefail
runs=${1:-15}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${ZSIM_BENCH_BUILD:-$top/build-bench}
cmake -S "$top/sim" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZSIM_TESTS=OFF >/dev/null
cmake --build "$build" --target zantor-sim zantor-simctl -j2 >/dev/null

work=$(mktemp -d /tmp/zsim-driver-bench.XXXXXX)
state=$work/state
simctl() { "$build/zantor-simctl" --state-dir "$state" "$@"; }
cleanup() {
  "$top/scripts/cups/cupsd.sh" down "$work/cups" "$work/cups.sock" || true
  simctl shutdown >/dev/null 2>&1 || true
  sleep 0.5
  rm -rf "$work"
}
trap cleanup EXIT
setsid "$build/zantor-sim" --state-dir "$state" --receipts "$work/receipts" --no-tcp </dev/null >"$work/sim.log" 2>&1 &
simctl wait-ready 10000 >/dev/null
"$top/scripts/cups/cupsd.sh" terminal "$work/cups" "$work/cups.sock" "$state" "$build/zantor-simctl"
export CUPS_SERVER=$work/cups.sock

python3 - "$work/job.ps" <<'PY'
import sys
lines = ["<</PageSize[226.77 841.89]>>setpagedevice", "/Courier findfont 10 scalefont setfont"]
for i in range(20):
    lines.append("12 %d moveto (Line %02d  item %-12s qty 1   12.50) show" % (820 - 11 * i, i, "x" * (i % 9)))
open(sys.argv[1], "w").write("%!PS-Adobe-3.0\n" + "\n".join(lines) + "\nshowpage\n")
PY

ms() { date +%s%N | cut -c1-13; }
times=()
for _ in $(seq "$runs"); do
  before=$(simctl state | python3 -c 'import json,sys; print(json.load(sys.stdin)["printer"]["last_receipt"])')
  t0=$(ms)
  lp -d Zantor-80mm-Receipt "$work/job.ps" >/dev/null
  simctl wait-receipt 60000 "$before" >/dev/null
  times+=($(( $(ms) - t0 )))
done
gs_times=()
for _ in $(seq "$runs"); do
  t0=$(ms)
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r203 -dTextAlphaBits=4 -sOutputFile="$work/page.pgm" "$work/job.ps"
  gs_times+=($(( $(ms) - t0 )))
done
summary() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { printf "median %d ms, slowest %d ms", v[int((NR + 1) / 2)], v[NR] }'; }
echo "driver job to PNG ($runs jobs): $(summary "${times[@]}")"
echo "  of which ghostscript alone:  $(summary "${gs_times[@]}")"
