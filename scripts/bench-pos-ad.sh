#!/usr/bin/env bash
# Benchmarks the device library: bytes per second to a printer that takes them as fast as they
# come (a COM port whose pseudo-terminal is drained at once, and loopback TCP), for the sample
# receipt and a 576 x 2000 bitmap, and the library's share of each job's time at 115200 baud;
# and the time of a board call and a printer status call whose device answers at once. Uses the build tree's test prefix and serial lines.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
"$root/scripts/build.sh" x86_64 --target pos_ad_bench pos_ad_dll >/dev/null
export WINEPREFIX="$build/wineprefix-test" ZPT_TEST_PORTS="Z:$build/test-ports"
"$root/tests/wine/prefix.sh" up "$WINEPREFIX"
"$root/tests/serial/bridges.sh" up "$build" "$WINEPREFIX"
trap '"$root/tests/serial/bridges.sh" down "$build" "$WINEPREFIX"; "$root/tests/wine/prefix.sh" down "$WINEPREFIX"' EXIT
cd "$build/bin"
"$root/scripts/wine-exec.sh" pos_ad_bench.exe
