#!/usr/bin/env bash
# The picture in the README: the program on its scale page beside the virtual terminal's control
# panel, after the sample receipt was printed in the program and 1.250 kg set in the panel.
# Runs on a virtual screen, in a prefix and with a terminal of its own (build/panel-shot/).
#   panel-screenshot.sh [OUT_PNG]      (default docs/panel-beside-program.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
png=${1:-$root/docs/panel-beside-program.png}
out="$root/build/panel-shot"
. "$root/scripts/screenshot-run.sh"
shot_start
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1

(cd "$bin" && exec wine ZantorPosTest.exe) </dev/null >/dev/null 2>&1 &
drive wait >/dev/null
drive click printer 1015 >/dev/null                         # 打印小票
simctl wait-receipt 15000 0 >/dev/null
drive click scale 1004 >/dev/null                           # 打开端口
/usr/bin/python3 "$browser" "$url" set-weight 1.250 >/dev/null
drive --bound 8000 wait-text scale 1008 1.250 >/dev/null
sleep 0.5
window=$(xdotool search --name 'DllVersion' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/program.png"
/usr/bin/python3 "$browser" "$url" screenshot "$out/panel.png" >/dev/null
convert "$out/program.png" -background '#e8e8e8' -gravity east -splice 16x0 \
  \( "$out/panel.png" -resize x1000 \) -gravity north +append "$png"
echo "panel-screenshot: $png"
