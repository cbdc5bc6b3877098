#!/usr/bin/env bash
# Brings the tests' Wine prefix up (created once, null graphics driver, a persistent server) or down.
set -eu
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
case "$action" in
  up)
    # A persistent server keeps each test program's start fast; one may be running already.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot --init >/dev/null 2>&1
    fi
    if [ "$(wine reg query 'HKCU\Software\Wine\Drivers' /v Graphics 2>/dev/null | tr -d '\r' | awk '$1 == "Graphics" {print $3}')" != null ]; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      # The desktop process that wineboot started keeps the driver it started with, and every
      # window of a later program depends on it: start the server afresh with the new setting.
      # wineboot starts the prefix's helper processes (desktop, services) here, with their output
      # going nowhere: started by a test instead, they would keep ctest's pipe open and the test
      # would never end.
      wineserver -k 2>/dev/null || true
      wineserver -w 2>/dev/null || true
      wineserver -p </dev/null >/dev/null 2>&1 || true
      wineboot </dev/null >/dev/null 2>&1 || true
    fi
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
