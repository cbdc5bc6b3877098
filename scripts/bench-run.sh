#!/usr/bin/env bash
# Benchmark of the run command's path against the virtual terminal: what it adds to a start
# (terminal up, ports mapped and Wine's server restarted) and how long a user waits for an
# outcome (a button to its receipt on disk, a load to its reading on the scale page). Runs on a
# virtual screen, in a prefix and with a terminal of its own, and prints medians.
#   bench-run.sh [RUNS]   (default 9)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
"$root/scripts/setup.sh" >/dev/null
"$root/scripts/build.sh" x86_64 --target ZantorPosTest pos_ad_dll scale_sdk zpt_drive >/dev/null
cmake -S "$root/sim" -B "$root/build-sim" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-sim" -j"$(nproc)" --target zantor-sim zantor-simctl >/dev/null
export ZPT_SIM_BIN="$root/build-sim"
bin="$root/build/bin"
wiring="$root/scripts/terminal.sh"
place="$root/build/bench-run"
mkdir -p "$place"
state=$("$wiring" state-dir "$place/terminal")
export WINEPREFIX="$place/wineprefix" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
. "$root/scripts/virtual-screen.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init </dev/null >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi
quiet_server_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
# Starts the program and waits for its window on the X side, so the program (not a zpt_drive
# call) starts Wine's server and desktop, with their output going nowhere.
start_program() {
  (cd "$bin" && exec wine ZantorPosTest.exe) </dev/null >/dev/null 2>&1 &
  for _ in $(seq 1 1200); do
    xdotool search --name 'DllVersion' >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "bench-run: no main window after 60 s" >&2
  exit 1
}
cleanup() {
  quiet_server_stop
  stop_virtual_screen
  "$wiring" stop "$state"
}
trap cleanup EXIT
start_virtual_screen
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1

now() { date +%s%N; }
ms() { echo "$(( ($2 - $1) / 1000 ))" | awk '{ printf "%.1f", $1 / 1000 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
drive() { (cd "$bin" && wine zpt_drive.exe "$@" </dev/null); }
simctl() { "$ZPT_SIM_BIN/zantor-simctl" --state-dir "$state" "$@"; }

declare -A samples
add() { samples[$1]+="$2 "; }

wire() {
  "$wiring" map "$WINEPREFIX" "$state"
  rm -f "$WINEPREFIX/drive_c/Morvane/scales.ini"
  "$wiring" settings "$WINEPREFIX" >/dev/null
}

for run in $(seq 1 "$runs"); do
  t0=$(now)
  "$wiring" start "$state" "$place/receipts" "$place/zantor-sim.log" --tcp-port 0 --drawer-close-ms 0
  t1=$(now)
  add "terminal start" "$(ms "$t0" "$t1")"

  # Program start to its main window with no Wine server running, as the run command finds it:
  # alone, after a first wiring (the mapping changes, Wine's server is restarted), and after a
  # later one (the mapping is only read).
  quiet_server_stop
  t0=$(now); start_program; t1=$(now)
  add "start alone" "$(ms "$t0" "$t1")"
  drive close >/dev/null
  wine reg delete 'HKLM\Software\Wine\Ports' /v COM1 /f </dev/null >/dev/null 2>&1 || true
  quiet_server_stop
  t0=$(now); wire; start_program; t1=$(now)
  add "first run: wiring and start" "$(ms "$t0" "$t1")"
  drive close >/dev/null
  quiet_server_stop
  t0=$(now); wire; start_program; t1=$(now)
  add "later run: wiring and start" "$(ms "$t0" "$t1")"

  # One zpt_drive call that sends a single message: what every measured click below pays besides.
  t0=$(now); drive text printer 1021 >/dev/null; t1=$(now)
  add "zpt_drive call overhead" "$(ms "$t0" "$t1")"

  before=$(simctl state | grep -o '"last_receipt":[0-9]*' | cut -d: -f2)
  t0=$(now)
  drive click printer 1015 >/dev/null
  t1=$(now)
  simctl wait-receipt 15000 "$before" >/dev/null
  t2=$(now)
  add "打印小票 click, handler done (with zpt_drive)" "$(ms "$t0" "$t1")"
  add "打印小票 click to receipt on disk (with zpt_drive)" "$(ms "$t0" "$t2")"

  drive click scale 1004 >/dev/null
  simctl weight 0 >/dev/null
  drive --bound 5000 wait-text scale 1008 0.000 >/dev/null
  t0=$(now)
  simctl weight 1.25 >/dev/null
  drive --bound 5000 wait-text scale 1008 1.250 >/dev/null
  t1=$(now)
  add "load set to SDK reading on the page (with zpt_drive)" "$(ms "$t0" "$t1")"
  drive close >/dev/null
  "$wiring" stop "$state"
done

echo "bench-run: $runs runs, medians in ms"
for key in "terminal start" "start alone" "first run: wiring and start" "later run: wiring and start" \
           "zpt_drive call overhead" "打印小票 click, handler done (with zpt_drive)" \
           "打印小票 click to receipt on disk (with zpt_drive)" "load set to SDK reading on the page (with zpt_drive)"; do
  printf '  %-55s %8s\n' "$key" "$(echo "${samples[$key]}" | tr ' ' '\n' | sed '/^$/d' | median)"
done
