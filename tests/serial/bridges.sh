#!/usr/bin/env bash
# Starts or stops the serial bridge of the tests and maps COM1..COM12 and LPT1 of the test prefix to it.
#   bridges.sh up|down BUILD_DIR PREFIX
set -eu
action=$1; build=$2
export WINEPREFIX=$3 WINEDEBUG=-all LC_ALL=zh_CN.UTF-8
dir="$build/test-ports"
here=$(cd "$(dirname "$0")" && pwd)
case "$action" in
  up)
    "$0" down "$build" "$WINEPREFIX"
    mkdir -p "$dir"
    rm -f "$dir/tcp-base"
    setsid python3 "$here/bridge.py" "$dir" </dev/null >"$dir/bridge.log" 2>&1 &
    echo $! > "$dir/bridge.pid"
    for _ in $(seq 1 600); do [ -f "$dir/tcp-base" ] && break; sleep 0.05; done
    [ -f "$dir/tcp-base" ] || { echo "serial bridge did not start:"; cat "$dir/bridge.log"; exit 1; } >&2
    mapped=$(wine reg query 'HKLM\Software\Wine\Ports' 2>/dev/null | tr -d '\r')
    changed=0
    for name in COM1 COM2 COM3 COM4 COM5 COM6 COM7 COM8 COM9 COM10 COM11 COM12 LPT1; do
      want="$dir/$(echo "$name" | tr 'A-Z' 'a-z')"
      have=$(echo "$mapped" | awk -v k="$name" '$1==k {print $3}')
      if [ "$have" != "$want" ]; then
        wine reg add 'HKLM\Software\Wine\Ports' /v "$name" /d "$want" /f >/dev/null 2>&1
        changed=1
      fi
    done
    # Wine reads the port mapping when its server starts.
    if [ $changed = 1 ]; then "$here/../wine/prefix.sh" restart "$WINEPREFIX"; fi
    ;;
  down)
    if [ -f "$dir/bridge.pid" ]; then
      kill "$(cat "$dir/bridge.pid")" 2>/dev/null || true
      rm -f "$dir/bridge.pid"
    fi
    ;;
esac
