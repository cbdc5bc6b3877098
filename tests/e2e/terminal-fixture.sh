#!/usr/bin/env bash
# The end-to-end tests' virtual terminal: a zantor-sim of their own on a fresh receipts folder,
# wired into their own Wine prefix by the run command's wiring (scripts/terminal.sh), with the
# settings file the run command writes kept for every test to start from.
#   terminal-fixture.sh up|down E2E_DIR PREFIX CUPS_SOCKET
# The terminal's Windows printer is there too: a private CUPS server on CUPS_SOCKET, the socket
# the tests' CUPS_SERVER names.
set -Eeuo pipefail
# A step that fails says which, not only the script's status.
trap 'echo "${0##*/}: line $LINENO: \"$BASH_COMMAND\" failed" >&2' ERR
action=$1 dir=$2 prefix=$3 cups_socket=$4
here=$(cd "$(dirname "$0")" && pwd)
wiring="$here/../../scripts/terminal.sh"
state=$("$wiring" state-dir "$dir/terminal")

case "$action" in
  up)
    mkdir -p "$dir/scratch"
    "$wiring" stop "$state"
    rm -rf "$dir/receipts"
    # The drawer stays open until a test closes it, so nothing changes behind a test's back.
    "$wiring" start "$state" "$dir/receipts" "$dir/zantor-sim.log" --tcp-port 0 --panel-port 0 --drawer-close-ms 0
    echo "$state" >"$dir/state-dir"
    "$wiring" map "$prefix" "$state"
    "$wiring" printer-up "$state" "$dir/cups" "$cups_socket" >/dev/null
    "$wiring" printer-default "$prefix"
    rm -f "$prefix/drive_c/Morvane/scales.ini"
    "$wiring" settings "$prefix" >/dev/null
    cp "$prefix/drive_c/Morvane/scales.ini" "$prefix/drive_c/Morvane/terminal-scales.ini"
    # A server the next test program would start could hold ctest's output open.
    "$here/../wine/prefix.sh" restart "$prefix"
    ;;
  down)
    "$wiring" printer-down "$state" "$dir/cups" "$cups_socket"
    "$wiring" stop "$state"
    rm -f "$dir/state-dir"
    ;;
  *)
    echo "usage: terminal-fixture.sh up|down E2E_DIR PREFIX CUPS_SOCKET" >&2
    exit 2
    ;;
esac
