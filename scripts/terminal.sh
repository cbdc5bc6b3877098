#!/usr/bin/env bash
# Wires ZantorPosTest under Wine to the virtual terminal (zantor-sim): starts and stops the
# terminal, maps a Wine prefix's ports to its lines, and writes the settings file that points our
# two libraries at those ports. The run command, its --demo and the end-to-end tests all use it,
# so the wiring they test is the wiring a user gets.
#
#   terminal.sh state-dir WANTED              the state dir to use for WANTED (a short /tmp
#                                             folder when WANTED is too long for a unix socket)
#   terminal.sh start STATE RECEIPTS LOG [zantor-sim options...]
#   terminal.sh stop STATE
#   terminal.sh map PREFIX STATE              map the prefix's ports; restarts its Wine server
#   terminal.sh settings PREFIX [--reset]     C:\Morvane\scales.ini for the terminal (see below)
#   terminal.sh ports                         the port table
#   terminal.sh printer-up STATE CUPS_DIR [SOCKET]
#                                             the terminal's Windows printer: a private CUPS server
#                                             in CUPS_DIR with one queue that prints on the terminal;
#                                             prints the socket (default STATE/cups.sock) that
#                                             CUPS_SERVER must name for Wine
#   terminal.sh printer-down STATE CUPS_DIR [SOCKET]   stop that server
#   terminal.sh printer-default PREFIX        make the queue the prefix's default printer
#
# The terminal's programs are taken from ZPT_SIM_BIN (default: build-sim of this tree).
set -Eeuo pipefail
# A step that fails says which, not only the script's status.
trap 'echo "${0##*/}: line $LINENO: \"$BASH_COMMAND\" failed" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
sim_bin=${ZPT_SIM_BIN:-$root/build-sim}
sim="$sim_bin/zantor-sim"
simctl="$sim_bin/zantor-simctl"

# Which Wine port leads to which line of the terminal. The presets of the setup page decide it:
# RX720 prints on COM1 and reads its SDK scale on COM4; RX520 prints on LPT1 and Veyla on USB,
# and both read the scale board on COM3. Wine has no USB printers, so our library is pointed at
# COM9 for "USB" ([PosAdDll] UsbDevice). The board is also named for the RX720, whose [SCALE]
# PORT is the SDK scale's ([PosAdDll] BoardPort), so the main-board drawer works on every model.
ports=(
  "COM1 printer"
  "LPT1 printer-2"
  "COM9 printer-3"
  "COM3 board"
  "COM4 scale"
)
printer_lines=3
# The other ports of the setup page's lists lead nowhere: a path that never exists, so nothing
# written there goes anywhere, as with a port with nothing plugged in. Left unmapped, Wine would give them this
# machine's own serial ports (/dev/ttyS0 ...), and a print there would go out of a real port.
unplugged_ports="COM2 COM5 COM6 COM7 COM8 COM10 COM11 COM12"

die() { echo "terminal: $*" >&2; exit 1; }

need_sim() {
  [ -x "$sim" ] && [ -x "$simctl" ] || die "the virtual terminal is not built in $sim_bin
  (build it with: cmake -S $root/sim -B $root/build-sim -DCMAKE_BUILD_TYPE=Release && cmake --build $root/build-sim -j2 --target zantor-sim zantor-simctl)"
}

state_dir() {
  local wanted=$1 sock_name=/control.sock
  # A unix socket's path holds at most 107 bytes.
  if [ $(( ${#wanted} + ${#sock_name} )) -le 100 ]; then
    echo "$wanted"
  else
    echo "/tmp/zantor-terminal-$(printf '%s' "$wanted" | md5sum | cut -c1-12)"
  fi
}

running_pid() {
  local pidfile="$1/zantor-sim.pid"
  [ -f "$pidfile" ] || return 1
  local pid
  pid=$(cat "$pidfile" 2>/dev/null || true)
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && echo "$pid"
}

start() {
  local state=$1 receipts=$2 log=$3
  shift 3
  need_sim
  stop "$state"
  mkdir -p "$state" "$receipts" "$(dirname "$log")"
  # Its own session, no terminal: the daemon must not hold the caller's output open (ctest
  # waits for that) nor take the caller's Ctrl-C before the caller can end it in order. The
  # printer is the terminal's own (a caller's --printer-model comes later and wins).
  setsid "$sim" --state-dir "$state" --receipts "$receipts" --printer-lines "$printer_lines" \
    --printer-model zsim-80 "$@" \
    </dev/null >>"$log" 2>&1 &
  if ! "$simctl" --state-dir "$state" wait-ready 10000 >/dev/null 2>&1; then
    kill "$!" 2>/dev/null || true
    echo "terminal: zantor-sim did not start; its log $log says:" >&2
    tail -n 5 "$log" >&2
    return 1
  fi
}

stop() {
  local state=$1 pid
  pid=$(running_pid "$state") || return 0
  "$simctl" --state-dir "$state" shutdown >/dev/null 2>&1 || kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  echo "terminal: zantor-sim $pid did not stop within 10 s and was killed" >&2
}

map() {
  local prefix=$1 state=$2 entry name have mapped wanted=()
  export WINEPREFIX=$prefix WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
  # Into a file, not a pipe: a Wine server this starts would hold a pipe open until it ends.
  local listing
  listing=$(mktemp)
  wine reg query 'HKLM\Software\Wine\Ports' </dev/null >"$listing" 2>/dev/null || true
  mapped=$(tr -d '\r' <"$listing")
  mapped_to() {
    echo "$mapped" | awk -v k="$1" 'toupper($1) == k { sub(/^[ \t]*[^ \t]+[ \t]+REG_SZ[ \t]+/, ""); print }'
  }
  want() { [ "$(mapped_to "$1")" = "$2" ] || wanted+=("\"$1\"=\"${2//\\/\\\\}\""); }
  for entry in "${ports[@]}"; do
    want "${entry% *}" "$state/${entry#* }"
  done
  # The control panel shows which Wine port plays which line.
  printf '%s\n' "${ports[@]}" >"$state/wine-ports"
  for name in $unplugged_ports; do
    have=$(mapped_to "$name")
    # A mapping of the user's own (to a device of theirs) is kept.
    case "$have" in ""|"$state"/*) want "$name" "$state/unplugged" ;; esac
  done
  if [ ${#wanted[@]} -gt 0 ]; then
    # One Wine process for all the ports: each costs about half a second to start.
    printf '%s\r\n' 'REGEDIT4' '' '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]' "${wanted[@]}" >"$listing.reg"
    wine reg import "Z:${listing//\//\\}.reg" </dev/null >/dev/null 2>&1 ||
      { rm -f "$listing" "$listing.reg"; die "cannot write the port mapping into $prefix"; }
    # Wine reads the port mapping when its server starts.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  rm -f "$listing" "$listing.reg"
}

# The value of KEY in SECTION, matched without regard to case as the profile functions do.
ini_get() {
  LC_ALL=C tr -d '\r' <"$1" | LC_ALL=C awk -v s="$2" -v k="$3" '
    BEGIN { s = tolower(s); k = tolower(k) }
    /^[ \t]*\[/ { h = $0; sub(/^[ \t]*\[/, "", h); sub(/\][ \t]*$/, "", h); cur = tolower(h); next }
    cur == s && index($0, "=") {
      key = substr($0, 1, index($0, "=") - 1); gsub(/^[ \t]+|[ \t]+$/, "", key)
      if (tolower(key) == k) { v = substr($0, index($0, "=") + 1); gsub(/^[ \t]+|[ \t]+$/, "", v); print v; exit }
    }'
}

# Adds KEY=VALUE at the end of SECTION (the section at the end of the file when it is missing), as
# the profile writer would, keeping the file's line ends.
ini_add() {
  local file=$1 section=$2 key=$3 value=$4 eol=""
  LC_ALL=C grep -q $'\r' "$file" && eol=$'\r'
  # The line comes through the environment: awk -v would take its backslashes as escapes.
  INI_LINE="$key=$value" LC_ALL=C awk -v s="$section" -v section="$section" -v eol="$eol" '
    BEGIN { s = tolower(s); line = ENVIRON["INI_LINE"] }
    { raw = $0; sub(/\r$/, "", raw) }
    raw ~ /^[ \t]*\[/ {
      if (inside && !done) { print line eol; done = 1 }
      h = raw; sub(/^[ \t]*\[/, "", h); sub(/\][ \t]*$/, "", h); inside = (tolower(h) == s)
    }
    { print }
    END {
      if (inside && !done) { print line eol; done = 1 }
      if (!done) { print "[" section "]" eol; print line eol }
    }' "$file" >"$file.tmp"
  mv "$file.tmp" "$file"
}

write_settings() {
  # The RX720's preset as the setup page saves it, wired to the terminal; CR LF as on Windows.
  printf '%s\r\n' \
    '[SOFT]' 'type=0' \
    '[POS]' 'TYPE=0' 'LOG=0' 'BOARD=J1900' 'ALARM=0' \
    '[PRINTER]' 'PORT=COM1' 'RATE=115200' 'LINESPACE=10' \
    '[Print]' 'Density=3' \
    '[CashDrawer]' 'ControlType=0' \
    '[SCALE]' 'PORT=COM4' 'RATE=115200' \
    '[PosAdDll]' 'BoardPort=COM3' 'UsbDevice=\\.\COM9' >"$1"
}

# C:\Morvane\scales.ini of the prefix. A missing file is written for the terminal. A file the user
# has is kept: only our library's own keys that it lacks are added (the setup page never writes
# them), and where its ports lead nowhere on the terminal is said. --reset keeps a copy of it and
# writes the terminal's file.
settings() {
  local prefix=$1 reset=${2:-} folder ini
  folder=$(find "$prefix/drive_c" -maxdepth 1 -iname morvane -type d 2>/dev/null | head -n 1)
  [ -n "$folder" ] || { folder="$prefix/drive_c/Morvane"; mkdir -p "$folder"; }
  ini=$(find "$folder" -maxdepth 1 -iname scales.ini -type f 2>/dev/null | head -n 1)
  if [ -n "$ini" ] && [ "$reset" = --reset ]; then
    local copy
    copy="$ini.bak-$(date +%Y%m%d-%H%M%S)"
    mv "$ini" "$copy"
    echo "terminal: your settings were kept as $copy"
    ini=""
  fi
  if [ -z "$ini" ]; then
    write_settings "$folder/scales.ini"
    echo "terminal: wrote C:\\Morvane\\scales.ini (RX720: printer COM1, SDK scale COM4, board COM3)"
    return 0
  fi
  local board usb
  board=$(ini_get "$ini" PosAdDll BoardPort)
  usb=$(ini_get "$ini" PosAdDll UsbDevice)
  if [ -z "$board" ]; then ini_add "$ini" PosAdDll BoardPort COM3; echo "terminal: added [PosAdDll] BoardPort=COM3 to C:\\Morvane\\scales.ini"; fi
  if [ -z "$usb" ]; then ini_add "$ini" PosAdDll UsbDevice '\\.\COM9'; echo "terminal: added [PosAdDll] UsbDevice=\\\\.\\COM9 to C:\\Morvane\\scales.ini"; fi
  local model printer scale address notes=()
  model=$(ini_get "$ini" POS TYPE); printer=$(ini_get "$ini" PRINTER PORT); scale=$(ini_get "$ini" SCALE PORT)
  address=$(ini_get "$ini" PosAdDll PrinterAddress)
  case "$(echo "${printer:-USB}" | tr a-z A-Z)" in
    COM1|LPT1|USB) ;;
    *) [ -n "$address" ] || notes+=("printer port ${printer:-(none)} leads nowhere; the terminal prints on COM1, LPT1 and USB") ;;
  esac
  [ -z "$address" ] || notes+=("[PosAdDll] PrinterAddress=$address sends the prints there, not to the printer port")
  if [ "${model:-0}" = 0 ] && [ "$(echo "${scale:-COM4}" | tr a-z A-Z)" != COM4 ]; then
    notes+=("the SDK scale (model RX720) is on COM4, not ${scale}")
  fi
  [ "$(echo "${board:-COM3}" | tr a-z A-Z)" = COM3 ] || notes+=("the scale board is on COM3, not ${board}")
  echo "terminal: using your settings in C:\\Morvane\\scales.ini (model ${model:-0}, printer ${printer:-USB}, scale ${scale:-COM4})"
  if [ ${#notes[@]} -gt 0 ]; then
    local note
    for note in "${notes[@]}"; do echo "terminal: note: $note"; done
    echo "terminal: scripts/run.sh --reset-settings writes the terminal's settings (yours are kept as a copy)"
  fi
}

# The Windows printer: Wine lists the printers of the CUPS server that CUPS_SERVER names, so a
# private one (scripts/cups/cupsd.sh) leaves this machine's own CUPS alone. Its socket sits in the
# state dir, whose path is short enough for a socket.
printer_queue=Zantor-80mm-Receipt
printer_up() {
  local state=$1 cups_dir=$2 socket=${3:-$1/cups.sock}
  need_sim
  "$root/scripts/cups/cupsd.sh" terminal "$cups_dir" "$socket" "$state" "$simctl" >&2
  echo "$socket"
}
printer_down() { "$root/scripts/cups/cupsd.sh" down "$2" "${3:-$1/cups.sock}"; }
# Wine takes the CUPS default only into a new prefix; the profile entry decides for the program.
printer_default() {
  WINEPREFIX=$1 WINEDEBUG=-all wine reg add 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' \
    /v Device /d "$printer_queue,wineps.drv,CUPS:$printer_queue" /f </dev/null >/dev/null 2>&1 ||
    die "cannot make $printer_queue the default printer of $1"
}

print_ports() {
  local entry
  for entry in "${ports[@]}"; do echo "${entry% *} -> ${entry#* }"; done
}

action=${1:-}
case "$action" in
  state-dir) state_dir "$2" ;;
  start) shift; start "$@" ;;
  stop) stop "$2" ;;
  map) map "$2" "$3" ;;
  settings) settings "$2" "${3:-}" ;;
  ports) print_ports ;;
  printer-up) printer_up "$2" "$3" "${4:-}" ;;
  printer-down) printer_down "$2" "$3" "${4:-}" ;;
  printer-default) printer_default "$2" ;;
  *) sed -n '2,22p' "$0" >&2; exit 2 ;;
esac
