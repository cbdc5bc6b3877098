#!/usr/bin/env bash
# Sets up this machine, builds the program and runs it under Wine.
# With a display it opens the main window. Without one it runs the program on a virtual screen
# (Xvfb), saves a screenshot of the main window, prints the screenshot's path and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64 --target ZantorPosTest pos_ad_dll scale_sdk

export WINEPREFIX="$root/build/wineprefix-run" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: creating the Wine prefix $WINEPREFIX"
  wineboot --init </dev/null >/dev/null 2>&1
  # The desktop wineboot started is bound to the display of that moment; let the program start
  # its own on the display it will use.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi
bin="$root/build/bin"

if [ -n "${DISPLAY:-}" ]; then
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1 || true
  cd "$bin" && exec wine ZantorPosTest.exe
fi

number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
cleanup() { wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
# Xvfb has no window manager, so Wine draws the caption itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

(cd "$bin" && exec wine ZantorPosTest.exe) &
program=$!
window=""
for _ in $(seq 1 120); do
  window=$(xdotool search --name 'DllVersion' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$program" 2>/dev/null || { echo "run: the program ended before showing its window" >&2; exit 1; }
  sleep 0.5
done
[ -n "$window" ] || { echo "run: no main window after 60 s" >&2; exit 1; }
sleep 1  # let the pages paint

mkdir -p "$root/build/screenshots"
shot="$root/build/screenshots/main-window.png"
import -window "$window" "$shot"
echo "run: main window \"$(xdotool getwindowname "$window")\""
echo "run: screenshot saved to $shot"

xdotool key --window "$window" Escape 2>/dev/null || true
for _ in $(seq 1 20); do kill -0 "$program" 2>/dev/null || break; sleep 0.25; done
