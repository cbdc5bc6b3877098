#!/usr/bin/env bash
# Sets up this machine, builds the program and the virtual terminal, and runs the program under
# Wine against the terminal: its printer, cash drawer, scale board and SDK scale stand on the
# Wine ports the settings name (docs/virtual-terminal.md).
#
#   run.sh                    with a display it opens the main window; without one it runs the
#                             program on a virtual screen (Xvfb), saves a screenshot of the main
#                             window, prints the screenshot's path and closes the program
#   run.sh --reset-settings   points C:\Morvane\scales.ini at the terminal first (a settings file
#                             of yours is kept as a copy beside it)
#   run.sh --demo             walks through the three pages by itself on a virtual screen and leaves
#                             screenshots and receipts in build/demo/ (scripts/demo.sh)
#   run.sh --64               (with any of the above) the 64-bit program instead of the 32-bit one,
#                             which is the terminal's build and the default where the kernel runs
#                             32-bit programs (scripts/runs-32bit.sh); elsewhere the 64-bit one runs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

demo=0 reset="" arch=i686
for arg in "$@"; do
  case "$arg" in
    --demo) demo=1 ;;
    --reset-settings) reset=--reset ;;
    --64) arch=x86_64 ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    *) echo "run: unknown option $arg (see --help)" >&2; exit 2 ;;
  esac
done
if [ $arch = i686 ] && ! "$root/scripts/runs-32bit.sh"; then
  echo "run: this kernel runs no 32-bit programs, so the 64-bit program runs instead"
  arch=x86_64
fi
case "$arch" in
  i686) bin="$root/build-i686/bin" ;;
  x86_64) bin="$root/build/bin" ;;
esac

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$arch" --target ZantorPosTest pos_ad_dll scale_sdk zpt_drive
echo "run: the $([ $arch = i686 ] && echo 32 || echo 64)-bit program, $bin"
echo "run: building the virtual terminal"
cmake -S "$root/sim" -B "$root/build-sim" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-sim" -j"$(nproc)" --target zantor-sim zantor-simctl >/dev/null
export ZPT_SIM_BIN="$root/build-sim"

if [ $demo = 1 ]; then
  export ZPT_BIN="$bin"
  exec "$root/scripts/demo.sh" "$root/build/demo"
fi

export WINEPREFIX="$root/build/wineprefix-run" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
mkdir -p "$root/build"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: creating the Wine prefix $WINEPREFIX"
  wineboot --init </dev/null >/dev/null 2>&1
  # The desktop wineboot started is bound to the display of that moment; let the program start
  # its own on the display it will use.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi
wiring="$root/scripts/terminal.sh"
. "$root/scripts/virtual-screen.sh"

place="$root/build/terminal"
state=$("$wiring" state-dir "$place/state")
receipts="$place/receipts"

cleanup() {
  local status=$?
  [ -z "${DISPLAY_WAS_VIRTUAL:-}" ] || { wineserver -k 2>/dev/null || true; stop_virtual_screen; }
  "$wiring" printer-down "$state" "$place/cups"
  "$wiring" stop "$state"
  echo "run: virtual terminal stopped; receipts stay in $receipts"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Without a display the program runs on a virtual screen, which must be there before any Wine
# program starts: the desktop a Wine program starts is bound to the display of that moment.
[ -n "${DISPLAY:-}" ] || { DISPLAY_WAS_VIRTUAL=1; start_virtual_screen; }

tcp=()
# The printer's network port is 9100 unless something else holds it.
if (exec 3<>/dev/tcp/127.0.0.1/9100) 2>/dev/null; then tcp=(--tcp-port 0); fi
"$wiring" start "$state" "$receipts" "$place/zantor-sim.log" "${tcp[@]}"

"$wiring" map "$WINEPREFIX" "$state"
# The terminal's Windows printer, made the default, behind the printer page's driver row.
export CUPS_SERVER
CUPS_SERVER=$("$wiring" printer-up "$state" "$place/cups")
"$wiring" printer-default "$WINEPREFIX"
"$wiring" settings "$WINEPREFIX" $reset | sed 's/^terminal:/run:/'
simctl="$ZPT_SIM_BIN/zantor-simctl --state-dir $state"
tcp_port=$($simctl state | grep -o '"tcp_port":[0-9]*' | cut -d: -f2)
cat <<EOF
run: virtual terminal ready:
run:   printer on COM1, LPT1 and USB (and TCP 127.0.0.1:$tcp_port), scale board on COM3, SDK scale on COM4
run:   Windows printer Zantor-80mm-Receipt (the default) prints there too, as driver-*.png
run:   receipts appear as images in $receipts
run:   open $receipts/index.html to see them all
run:   put a load on the scale, close the drawer, and more, while the program runs:
run:     $simctl weight 1.25
run:     $simctl drawer close
run:     $simctl help
EOF

# The control panel: the same commands, the receipts as they are cut, in the browser.
panel=$($simctl state | grep -o '"panel":{"url":"[^"]*"' | cut -d'"' -f6)
if [ -n "$panel" ]; then
  echo "run: control panel: $panel"
  # Only on a desktop of the user's own; in the background, so a browser never holds up the run.
  if [ -z "${DISPLAY_WAS_VIRTUAL:-}" ] && command -v xdg-open >/dev/null; then
    setsid xdg-open "$panel" </dev/null >/dev/null 2>&1 &
  fi
fi

if [ -z "${DISPLAY_WAS_VIRTUAL:-}" ]; then
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1 || true
  (cd "$bin" && wine ZantorPosTest.exe) || true
  exit 0
fi

# Xvfb has no window manager, so Wine draws the caption itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

(cd "$bin" && exec wine ZantorPosTest.exe) </dev/null &
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
