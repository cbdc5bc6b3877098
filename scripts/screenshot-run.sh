# Sourced by the screenshot scripts: a prefix, a virtual screen and a terminal of their own in
# $out, the program's settings wired to that terminal, and everything stopped on exit.
#   shot_start TERMINAL_OPTIONS...   sets $state and $url (the panel); defines drive and simctl
# Expects $root and $out; the run's receipts go to $out/receipts.
bin="$root/build/bin"
wiring="$root/scripts/terminal.sh"
browser="$root/tests/e2e/panel_browser.py"
export ZPT_SIM_BIN=${ZPT_SIM_BIN:-$root/build-sim}
export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
. "$root/scripts/virtual-screen.sh"

drive() { (cd "$bin" && wine zpt_drive.exe "$@" </dev/null); }
simctl() { "$ZPT_SIM_BIN/zantor-simctl" --state-dir "$state" "$@"; }

shot_cleanup() {
  local status=$?
  wineserver -k 2>/dev/null || true
  stop_virtual_screen
  "$wiring" stop "$state"
  exit $status
}

shot_start() {
  mkdir -p "$out"
  state=$("$wiring" state-dir "$out/terminal")
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init </dev/null >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  trap shot_cleanup EXIT
  start_virtual_screen
  rm -rf "$out/receipts"
  "$wiring" start "$state" "$out/receipts" "$out/zantor-sim.log" --tcp-port 0 --panel-port 0 "$@"
  "$wiring" map "$WINEPREFIX" "$state"
  rm -f "$WINEPREFIX/drive_c/Morvane/scales.ini"
  "$wiring" settings "$WINEPREFIX" >/dev/null
  url=$(simctl state | grep -o '"panel":{"url":"[^"]*"' | cut -d'"' -f6)
}
