#!/usr/bin/env bash
# The run command's --demo: ZantorPosTest under Wine against the virtual terminal, walked through
# its three pages by zpt_drive.exe on a virtual screen. Each step is checked (a receipt appears, a
# message box says what it should, a reading arrives) and leaves a screenshot.
#   demo.sh OUT_DIR     (expects the program, zpt_drive.exe and the terminal built, as run.sh does)
# OUT_DIR receives screenshots/, receipts/ (with index.html), the terminal's log and demo.bmp.
# The demo has a Wine prefix of its own (OUT_DIR/wineprefix), so it never touches the settings of
# scripts/run.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: demo.sh OUT_DIR}
mkdir -p "$out"
out=$(cd "$out" && pwd)
bin=${ZPT_BIN:-$root/build/bin}
wiring="$root/scripts/terminal.sh"
export ZPT_SIM_BIN=${ZPT_SIM_BIN:-$root/build-sim}
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
. "$root/scripts/virtual-screen.sh"
for file in "$bin/ZantorPosTest.exe" "$bin/zpt_drive.exe" "$ZPT_SIM_BIN/zantor-sim"; do
  [ -x "$file" ] || [ -f "$file" ] || { echo "demo: $file is not built (scripts/run.sh --demo builds it)" >&2; exit 1; }
done

shots="$out/screenshots" receipts="$out/receipts"
state=$("$wiring" state-dir "$out/terminal")
rm -rf "$shots" "$receipts"
mkdir -p "$shots"

fail() { echo "demo: FAILED: $*" >&2; exit 1; }
say() { echo "demo: $*"; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  say "creating the demo's Wine prefix $WINEPREFIX"
  wineboot --init </dev/null >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
fi

program=""
cleanup() {
  local status=$?
  [ -z "$program" ] || kill "$program" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  stop_virtual_screen
  "$wiring" printer-down "$state" "$out/cups"
  "$wiring" stop "$state"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Before any Wine program: the desktop a Wine program starts is bound to the display of that
# moment. One persistent Wine server with its output going nowhere: a server or desktop that a
# zpt_drive call started would hold the output the script reads from that call open until it ends.
start_virtual_screen
wineserver -p </dev/null >/dev/null 2>&1 || true

# The drawer stays open until the demo closes it, so each screenshot shows what the step did.
"$wiring" start "$state" "$receipts" "$out/zantor-sim.log" --tcp-port 0 --drawer-close-ms 0
"$wiring" map "$WINEPREFIX" "$state"
# The terminal's Windows printer, the default, for the driver row of the printer page.
export CUPS_SERVER
CUPS_SERVER=$("$wiring" printer-up "$state" "$out/cups")
"$wiring" printer-default "$WINEPREFIX"
rm -f "$WINEPREFIX/drive_c/Morvane/scales.ini"
"$wiring" settings "$WINEPREFIX" >/dev/null

wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1

simctl() { "$ZPT_SIM_BIN/zantor-simctl" --state-dir "$state" "$@"; }
drive() { (cd "$bin" && wine zpt_drive.exe "$@" </dev/null); }
field() { python3 -c 'import json, sys
value = json.load(sys.stdin)
for key in sys.argv[1:]:
    value = value[int(key)] if isinstance(value, list) else value[key]
print(value)' "$@"; }
last_job() { simctl state | field printer last_receipt; }

step=0
window=""
# A screenshot of the main window, and of any message box over it.
shot() {
  step=$((step + 1))
  local name file geometry
  name=$(printf '%02d-%s.png' "$step" "$1")
  file="$shots/$name"
  sleep 0.4  # let the window paint what changed
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file"
  say "  screenshot $name"
}

# Presses a button and checks the message boxes it brings up (none when no text is given).
press() {
  local page=$1 id=$2 want=${3:-} outcome
  outcome=$(drive click "$page" "$id") || fail "pressing $page $id: $outcome"
  if [ -n "$want" ]; then
    grep -qF "$want" <<<"$outcome" || fail "pressing $page $id showed \"$outcome\", not \"$want\""
  elif grep -q '^box:' <<<"$outcome"; then
    fail "pressing $page $id showed \"$outcome\""
  fi
  [ -z "$outcome" ] || say "  $outcome"
}

# Presses a button that shows a message box, takes a screenshot with the box open, answers it.
press_with_box() {
  local page=$1 id=$2 want=$3 name=$4 outcome
  outcome=$(drive click "$page" "$id" --leave-box) || fail "pressing $page $id: $outcome"
  grep -qF "$want" <<<"$outcome" || fail "pressing $page $id showed \"$outcome\", not \"$want\""
  say "  $outcome"
  shot "$name"
  outcome=$(drive answer) || fail "answering the box of $page $id: $outcome"
  [ -z "$outcome" ] || say "  $outcome"
}

# Presses a print button and waits for its receipt.
print_with() {
  local page=$1 id=$2 what=$3 before receipt
  before=$(last_job)
  press "$page" "$id"
  receipt=$(simctl wait-receipt 15000 "$before") || fail "no receipt for $what"
  say "  receipt $(field receipt pages 0 <<<"$receipt") (via $(field receipt line <<<"$receipt"))"
}

wait_text() {
  drive --bound 8000 wait-text "$@" >/dev/null || fail "$(drive text "$1" "$2") is not \"$3\" on the $1 page"
}

drawer() { simctl state | field drawer "$1"; }

# A picture of our own for the bitmap button: text and a grey ramp that the printer dithers.
picture="$out/demo.bmp"
convert -size 576x220 xc:white \
  -fill black -draw "roundrectangle 2,2 573,217 24,24" -fill white -draw "roundrectangle 10,10 565,209 18,18" \
  \( -size 44x536 gradient:black-white -rotate -90 \) -geometry +20+156 -composite \
  -fill black -font /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc -pointsize 44 -annotate +36+70 'ZantorPosTest' \
  -pointsize 36 -annotate +36+128 '虚拟终端 演示图片' BMP3:"$picture"
picture_dos="Z:$(echo "$picture" | tr / '\\')"

say "starting ZantorPosTest on the virtual screen $DISPLAY"
(cd "$bin" && exec wine ZantorPosTest.exe) </dev/null >/dev/null 2>&1 &
program=$!
# Found on the X side first, so the program (not a zpt_drive call) has started Wine's desktop.
for _ in $(seq 1 120); do
  window=$(xdotool search --name 'DllVersion' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$program" 2>/dev/null || fail "the program ended before showing its window"
  sleep 0.5
done
[ -n "$window" ] || fail "no main window after 60 s"
caption=$(drive --bound 60000 wait) || fail "the main window cannot be driven"
say "main window: $caption"
shot printer-page

say "printer page: the sample receipt, a barcode, a QR code, a text, a bitmap"
print_with printer 1015 "the sample receipt"
shot receipt-printed
print_with printer 1016 "the barcode"
print_with printer 1026 "the QR code"
print_with printer 1017 "the text"
before=$(last_job)
outcome=$(drive click printer 1013 --file "$picture_dos") || fail "printing the bitmap: $outcome"
receipt=$(simctl wait-receipt 15000 "$before") || fail "no receipt for the bitmap"
say "  bitmap $picture -> receipt $(field receipt pages 0 <<<"$receipt")"
print_with printer 1014 "the paper feed"
press printer 1012
shot all-printed

say "printer page: the cash drawer on the main board"
press_with_box printer 1009 "当前为主板控制钱箱，请确保钱箱接在主板上！" drawer-hint
[ "$(drawer open)" = True ] || fail "the drawer did not open"
[ "$(drive checked printer 1011)" = 1 ] || fail "the indicator does not show the open drawer"
say "  drawer open (opened by $(drawer opened_by)); indicator 钱箱已打开 checked"
shot drawer-open
simctl drawer close >/dev/null
press printer 1010
[ "$(drive checked printer 1011)" = 0 ] || fail "the indicator does not show the closed drawer"
say "  drawer closed by hand; 钱箱状态 clears the indicator"
shot drawer-closed

say "printer page: through the Windows printer (driver)"
queue=$(drive text printer 1018)
[ "$queue" = Zantor-80mm-Receipt ] || fail "the driver combo shows \"$queue\", not the terminal's printer"
say "  driver combo: $queue, preselected"
before=$(last_job)
press printer 1020 "打印完毕!"
receipt=$(simctl wait-receipt 60000 "$before") || fail "no receipt from the Windows printer"
say "  receipt $(field receipt pages 0 <<<"$receipt") (via $(field receipt line <<<"$receipt"))"
simctl drawer close >/dev/null
before=$(last_job)
press printer 1019
simctl wait-receipt 60000 "$before" >/dev/null || fail "no record of the driver's empty job"
[ "$(drawer opened_by)" = driver ] || fail "the driver's empty job did not open the drawer"
say "  开钱箱 (driver): an empty job, and the queue opened the drawer"
shot driver-drawer
simctl drawer close >/dev/null

say "scale page, SDK mode (RX720, SDK scale on COM4)"
drive page scale
shot scale-page
press_with_box scale 1004 "打开端口成功" scale-port-opened
simctl weight 1.25 >/dev/null
wait_text scale 1008 1.250
wait_text scale 1011 稳定
say "  1.25 kg on the platter: net $(drive text scale 1008), tare $(drive text scale 1009), gross $(drive text scale 1010), $(drive text scale 1011)"
shot scale-sdk-reading
simctl weight 0.2 >/dev/null
wait_text scale 1008 0.200
press scale 1005 "清零成功!"
wait_text scale 1008 0.000
simctl weight 0.7 >/dev/null
wait_text scale 1008 0.500
press scale 1006 "去皮/清皮成功!"
wait_text scale 1009 0.500
say "  zeroed at 0.2 kg, 0.5 kg more taken as tare: net $(drive text scale 1008), tare $(drive text scale 1009)"
shot scale-sdk-tare
simctl weight 16 >/dev/null
wait_text scale 1008 "┗━┛"
say "  16 kg: $(drive text scale 1008) $(drive text scale 1011)"
shot scale-sdk-overload
press scale 1007 "关闭端口成功"

say "setup page: machine model RX520, saved"
simctl weight 0 >/dev/null
simctl tare 0 >/dev/null
simctl zero >/dev/null
drive page setup
outcome=$(drive select setup 1024 RX520) || fail "choosing RX520: $outcome"
shot setup-rx520
press setup 1026 "保存配置信息成功!"

say "scale page, device-library mode (the board on COM3), once a second"
press scale 1004
simctl weight 2.345 >/dev/null
wait_text scale 1008 "  2.345"
say "  2.345 kg: net $(drive text scale 1008), diagnostic $(drive text scale 1009), tare $(drive text scale 1010), $(drive text scale 1011)"
shot scale-board-reading
simctl weight 0.3 >/dev/null
wait_text scale 1008 "  0.300"
press scale 1005 "清零成功!"
wait_text scale 1008 "  0.000"
simctl weight 1.3 >/dev/null
wait_text scale 1008 "  1.000"
press scale 1006 "去皮/清皮成功!"
wait_text scale 1010 "  1.000"
say "  zeroed at 0.3 kg, 1 kg more taken as tare: net $(drive text scale 1008), tare $(drive text scale 1010)"
shot scale-board-tare
press scale 1007

say "printer page on the RX520: printer on LPT1, drawer on the printer"
print_with printer 1015 "the sample receipt on LPT1"
press printer 1009
[ "$(drawer opened_by)" = printer ] || fail "the printer did not open the drawer"
say "  drawer opened by the printer"
shot rx520-printer

say "setup page: back to RX720, saved"
outcome=$(drive select setup 1024 RX720) || fail "choosing RX720: $outcome"
press setup 1026 "保存配置信息成功!"
shot setup-rx720

drive close >/dev/null || fail "the program did not close"
program=""
listed=$(simctl receipts)
count=$(python3 -c 'import json, sys; print(len(json.loads(sys.argv[1])["receipts"]))' "$listed")
unwired=$(python3 -c '
import json, os, sys
for r in json.loads(sys.argv[1])["receipts"]:
    if not r["wire"] or not os.path.isfile(r["wire"]): print(os.path.basename(r["report"]), end=" ")' "$listed")
[ -z "$unwired" ] || fail "receipts without their wire file: $unwired"
say "done: $step screenshots in $shots"
say "      $count receipts in $receipts, each with its wire file (open $receipts/index.html)"
