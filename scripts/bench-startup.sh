#!/usr/bin/env bash
# Start-up benchmark: cold start of ZantorPosTest.exe under Wine to its main window being shown,
# and process exit after closing it, against a minimal Win32 dialog program built the same way.
# Runs on a virtual screen (Xvfb), in a prefix of its own, with one persistent Wine server.
#   bench-startup.sh [RUNS]   (default 15)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-15}
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64 --target ZantorPosTest pos_ad_dll startup_probe minimal_dialog >/dev/null
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
tool=$(wine startup_probe.exe ZantorPosTest.exe "$runs" | tr -d '\r' | tail -n 1)
minimal=$(wine startup_probe.exe minimal_dialog.exe "$runs" | tr -d '\r' | tail -n 1)
echo "ZantorPosTest.exe ($runs runs): $tool"
echo "minimal dialog    ($runs runs): $minimal"
t=$(echo "$tool" | sed -E 's/.*shown ([0-9.]+) ms.*/\1/'); m=$(echo "$minimal" | sed -E 's/.*shown ([0-9.]+) ms.*/\1/')
te=$(echo "$tool" | sed -E 's/.*exit ([0-9.]+) ms.*/\1/'); me=$(echo "$minimal" | sed -E 's/.*exit ([0-9.]+) ms.*/\1/')
awk -v t="$t" -v m="$m" -v te="$te" -v me="$me" 'BEGIN { printf "ratio: start %.2fx, exit %.2fx (target: start within 1.3x)\n", t / m, te / me }'
echo "sizes: ZantorPosTest.exe $(stat -c %s ZantorPosTest.exe) bytes, minimal_dialog.exe $(stat -c %s minimal_dialog.exe) bytes, pos_ad_dll.dll $(stat -c %s pos_ad_dll.dll) bytes"
