#!/usr/bin/env bash
# The wire view's picture in the README: the control panel's 线路记录 in headless Chromium after the
# program printed the sample receipt, opened and read the main-board drawer and opened the SDK
# scale. The run has the device library's run log on ([POS] LOG=1), so its log and the receipt's
# wire file tell the same story side by side (docs/virtual-terminal.md quotes them).
# Runs on a virtual screen, in a prefix and with a terminal of its own (build/wire-shot/).
#   wire-screenshot.sh [OUT_PNG]      (default docs/wire-view.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
png=${1:-$root/docs/wire-view.png}
out="$root/build/wire-shot"
bin="$root/build/bin"
wiring="$root/scripts/terminal.sh"
browser="$root/tests/e2e/panel_browser.py"
export ZPT_SIM_BIN=${ZPT_SIM_BIN:-$root/build-sim}
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
. "$root/scripts/virtual-screen.sh"
mkdir -p "$out"
state=$("$wiring" state-dir "$out/terminal")

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init </dev/null >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi
cleanup() {
  local status=$?
  wineserver -k 2>/dev/null || true
  stop_virtual_screen
  "$wiring" stop "$state"
  exit $status
}
trap cleanup EXIT
start_virtual_screen
rm -rf "$out/receipts"
"$wiring" start "$state" "$out/receipts" "$out/zantor-sim.log" --tcp-port 0 --panel-port 0 --drawer-close-ms 0
"$wiring" map "$WINEPREFIX" "$state"
rm -f "$WINEPREFIX/drive_c/Morvane/scales.ini"
find "$WINEPREFIX/drive_c" -maxdepth 3 -ipath '*/morvane/log/pos_ad_*.log' -delete
"$wiring" settings "$WINEPREFIX" >/dev/null
sed -i 's/^LOG=0\r$/LOG=1\r/' "$WINEPREFIX/drive_c/Morvane/scales.ini"
url=$("$ZPT_SIM_BIN/zantor-simctl" --state-dir "$state" state | grep -o '"panel":{"url":"[^"]*"' | cut -d'"' -f6)

(cd "$bin" && exec wine ZantorPosTest.exe) </dev/null >/dev/null 2>&1 &
drive() { (cd "$bin" && wine zpt_drive.exe "$@" </dev/null); }
drive wait >/dev/null
drive click printer 1015 >/dev/null                         # 打印小票
"$ZPT_SIM_BIN/zantor-simctl" --state-dir "$state" wait-receipt 15000 0 >/dev/null
drive click printer 1009 >/dev/null                         # 开钱箱: the hint, the board's O and D
drive click scale 1004 >/dev/null                           # 打开端口: the SDK scale's readings
"$ZPT_SIM_BIN/zantor-simctl" --state-dir "$state" weight 1.25 >/dev/null
drive --bound 8000 wait-text scale 1008 1.250 >/dev/null
/usr/bin/python3 "$browser" "$url" wire-screenshot "$png" >/dev/null
find "$WINEPREFIX/drive_c" -maxdepth 3 -ipath '*/morvane/log/pos_ad_*.log' -exec cp {} "$out/" \;
"$ZPT_SIM_BIN/zantor-simctl" --state-dir "$state" wire >"$out/wire.txt"
echo "wire-screenshot: $png (run log, wire record and receipts in $out)"
