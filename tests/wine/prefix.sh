#!/usr/bin/env bash
# Brings the tests' Wine prefix up (created once, null graphics driver, a persistent server),
# restarts its server (after a change the server reads only at start), or takes it down.
#   prefix.sh up|restart|down PREFIX
set -eu
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all LC_ALL=zh_CN.UTF-8

# A fresh server and Wine's background services, started with their output going nowhere: a
# service started by a test program would inherit the test's output and keep ctest waiting on it.
start_server() {
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

stop_server() {
  wineserver -k 2>/dev/null || true
  # A server still shutting down would take the next run's programs with it.
  wineserver -w 2>/dev/null || true
}

case "$action" in
  up)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot --init </dev/null >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      # The desktop that wineboot started has no driver that works without a display, and no
      # window can be created until it is gone.
      stop_server
    fi
    start_server
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # The tests rely on code page 936; without a generated zh_CN.UTF-8 locale Wine silently uses 1252.
    locale -a 2>/dev/null | grep -qi '^zh_CN.utf-\?8$' || { echo "locale zh_CN.UTF-8 is not generated" >&2; exit 1; }
    ;;
  restart)
    stop_server
    start_server
    ;;
  down)
    stop_server
    ;;
  *)
    echo "usage: prefix.sh up|restart|down PREFIX" >&2
    exit 2
    ;;
esac
