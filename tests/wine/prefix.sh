#!/usr/bin/env bash
# Brings the tests' Wine prefix up (created once, null graphics driver, a persistent server) or down.
set -eu
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
case "$action" in
  up)
    # A persistent server keeps each test program's start fast; one may be running already.
    wineserver -p 2>/dev/null || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot --init >/dev/null 2>&1
      # The desktop process wineboot started has no graphics driver, so every later window
      # would fail: set the null driver and let a fresh server start the desktop again (below).
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      wineserver -k 2>/dev/null || true
      wineserver -p 2>/dev/null || true
    fi
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # The tests rely on code page 936; without a generated zh_CN.UTF-8 locale Wine silently uses 1252.
    locale -a 2>/dev/null | grep -qi '^zh_CN.utf-\?8$' || { echo "locale zh_CN.UTF-8 is not generated" >&2; exit 1; }
    ;;
  down)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: prefix.sh up|down PREFIX" >&2
    exit 2
    ;;
esac
