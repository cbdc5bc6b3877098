#!/usr/bin/env bash
# Start-up benchmark: cold start of ZantorPosTest.exe under Wine to its main window being shown,
# and process exit after closing it, against a minimal Win32 dialog program built the same way,
# and against a program that shows the tool's four dialog templates and does nothing else (what
# the window system costs for this user interface, apart from the tool's own work). Both builds:
# the 32-bit one (the terminal's) and the 64-bit one, each program timed by a probe of its own
# bitness.
# Runs on a virtual screen (Xvfb), in a prefix of its own, with one persistent Wine server.
#   bench-startup.sh [RUNS]   (default 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
"$root/scripts/setup.sh"
archs=(i686 x86_64)
if ! "$root/scripts/runs-32bit.sh"; then
  echo "bench-startup: this kernel runs no 32-bit programs: the 64-bit build only"
  archs=(x86_64)
fi
for arch in "${archs[@]}"; do
  "$root/scripts/build.sh" "$arch" --target ZantorPosTest pos_ad_dll scale_sdk startup_probe minimal_dialog templates_only >/dev/null
done
declare -A bin=([i686]="$root/build-i686/bin" [x86_64]="$root/build/bin")
programs=(ZantorPosTest minimal_dialog templates_only)

mkdir -p "$root/build"
export WINEPREFIX="$root/build/wineprefix-bench" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init </dev/null >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi
number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
wineserver -p </dev/null >/dev/null 2>&1 || true

# probe ARCH PROGRAM: one timed start and exit, its "run ..." line.
probe() { (cd "${bin[$1]}" && wine startup_probe.exe "$2.exe" 1 | tr -d '\r' | grep '^run'); }
# One unmeasured start of each, so all are measured with Wine's files in the page cache.
for arch in "${archs[@]}"; do
  for program in "${programs[@]}"; do probe "$arch" "$program" >/dev/null 2>&1 || true; done
done
# All are measured in turn, round after round, so a change in the machine's load touches all alike.
results="$root/build/startup-bench"
mkdir -p "$results"
for arch in "${archs[@]}"; do
  for program in "${programs[@]}"; do : >"$results/$arch-$program.txt"; done
done
for _ in $(seq 1 "$runs"); do
  for arch in "${archs[@]}"; do
    for program in "${programs[@]}"; do probe "$arch" "$program" >>"$results/$arch-$program.txt"; done
  done
done
# median ARCH PROGRAM FIELD: the median of "shown" or "exit" over the runs.
median() {
  sed -E "s/.*$3 ([0-9.]+) ms.*/\1/" "$results/$1-$2.txt" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo "medians of $runs runs, shown / exit:"
for arch in "${archs[@]}"; do
  [ $arch = i686 ] && echo "32-bit build (i686):" || echo "64-bit build (x86_64):"
  t=$(median $arch ZantorPosTest shown); te=$(median $arch ZantorPosTest exit)
  m=$(median $arch minimal_dialog shown); me=$(median $arch minimal_dialog exit)
  p=$(median $arch templates_only shown); pe=$(median $arch templates_only exit)
  echo "  ZantorPosTest.exe        $t ms / $te ms"
  echo "  minimal dialog           $m ms / $me ms"
  echo "  the four templates only  $p ms / $pe ms"
  awk -v t="$t" -v m="$m" -v p="$p" -v te="$te" -v me="$me" 'BEGIN {
    printf "  ratio to the minimal dialog: start %.2fx, exit %.2fx (target: start within 1.3x)\n", t / m, te / me
    printf "  ratio to the templates alone: start %.2fx\n", t / p }'
  b=${bin[$arch]}
  echo "  sizes: ZantorPosTest.exe $(stat -c %s "$b/ZantorPosTest.exe") bytes, pos_ad_dll.dll $(stat -c %s "$b/pos_ad_dll.dll") bytes, MvScalesSDK.dll $(stat -c %s "$b/MvScalesSDK.dll") bytes, minimal_dialog.exe $(stat -c %s "$b/minimal_dialog.exe") bytes"
done
