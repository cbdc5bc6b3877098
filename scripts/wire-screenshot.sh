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
. "$root/scripts/screenshot-run.sh"
logs() { find "$WINEPREFIX/drive_c" -maxdepth 3 -ipath '*/morvane/log/pos_ad_*.log' "$@"; }
shot_start --drawer-close-ms 0
logs -delete
sed -i 's/^LOG=0\r$/LOG=1\r/' "$WINEPREFIX/drive_c/Morvane/scales.ini"
grep -q $'^LOG=1\r$' "$WINEPREFIX/drive_c/Morvane/scales.ini" || { echo "wire-screenshot: the run log could not be turned on" >&2; exit 1; }

(cd "$bin" && exec wine ZantorPosTest.exe) </dev/null >/dev/null 2>&1 &
drive wait >/dev/null
drive click printer 1015 >/dev/null                         # 打印小票
simctl wait-receipt 15000 0 >/dev/null
drive click printer 1009 >/dev/null                         # 开钱箱: the hint, the board's O and D
drive click scale 1004 >/dev/null                           # 打开端口: the SDK scale's readings
simctl weight 1.25 >/dev/null
drive --bound 8000 wait-text scale 1008 1.250 >/dev/null
/usr/bin/python3 "$browser" "$url" wire-screenshot "$png" >/dev/null
logs -exec cp {} "$out/" \;
simctl wire >"$out/wire.txt"
echo "wire-screenshot: $png (run log, wire record and receipts in $out)"
