#!/usr/bin/env bash
# Start-up benchmark: cold start of ZantorPosTest.exe under Wine to its main window being shown,
# and process exit after closing it, against a minimal Win32 dialog program built the same way,
# and against a program that shows the tool's four dialog templates and does nothing else (what
# the window system costs for this user interface, apart from the tool's own work).
# Runs on a virtual screen (Xvfb), in a prefix of its own, with one persistent Wine server.
#   bench-startup.sh [RUNS]   (default 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64 --target ZantorPosTest pos_ad_dll scale_sdk startup_probe minimal_dialog templates_only >/dev/null
bin="$root/build/bin"

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

cd "$bin"
# One unmeasured start of each, so both are measured with Wine's files in the page cache.
wine startup_probe.exe ZantorPosTest.exe 1 >/dev/null 2>&1 || true
wine startup_probe.exe minimal_dialog.exe 1 >/dev/null 2>&1 || true
wine startup_probe.exe templates_only.exe 1 >/dev/null 2>&1 || true
# The three are measured in turn, round after round, so a change in the machine's load touches
# all of them alike.
: >"$bin/startup-tool.txt"; : >"$bin/startup-minimal.txt"; : >"$bin/startup-templates.txt"
for _ in $(seq 1 "$runs"); do
  wine startup_probe.exe ZantorPosTest.exe 1 | tr -d '\r' | grep '^run' >>"$bin/startup-tool.txt"
  wine startup_probe.exe minimal_dialog.exe 1 | tr -d '\r' | grep '^run' >>"$bin/startup-minimal.txt"
  wine startup_probe.exe templates_only.exe 1 | tr -d '\r' | grep '^run' >>"$bin/startup-templates.txt"
done
# median FILE FIELD: the median of "shown" or "exit" over the runs in FILE.
median() { sed -E "s/.*$2 ([0-9.]+) ms.*/\1/" "$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
t=$(median "$bin/startup-tool.txt" shown); te=$(median "$bin/startup-tool.txt" exit)
m=$(median "$bin/startup-minimal.txt" shown); me=$(median "$bin/startup-minimal.txt" exit)
p=$(median "$bin/startup-templates.txt" shown); pe=$(median "$bin/startup-templates.txt" exit)
echo "medians of $runs runs, shown / exit:"
echo "  ZantorPosTest.exe        $t ms / $te ms"
echo "  minimal dialog           $m ms / $me ms"
echo "  the four templates only  $p ms / $pe ms"
awk -v t="$t" -v m="$m" -v p="$p" -v te="$te" -v me="$me" 'BEGIN {
  printf "ratio to the minimal dialog: start %.2fx, exit %.2fx (target: start within 1.3x)\n", t / m, te / me
  printf "ratio to the templates alone: start %.2fx\n", t / p }'
echo "sizes: ZantorPosTest.exe $(stat -c %s ZantorPosTest.exe) bytes, pos_ad_dll.dll $(stat -c %s pos_ad_dll.dll) bytes, MvScalesSDK.dll $(stat -c %s MvScalesSDK.dll) bytes, minimal_dialog.exe $(stat -c %s minimal_dialog.exe) bytes"
