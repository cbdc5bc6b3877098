#!/usr/bin/env bash
# Times the printer page's receipt paths under Wine and prints medians:
#  - "打印小票" through the device library, from the command to the library's last call, for the
#    sample receipt and a 2,000-line receipt, against the time a 115200-baud serial printer needs
#    for the same bytes (the program's own share should stay under 5% of it);
#  - the same texts through the driver: the time until the spooler has the job, and until the
#    CUPS backend has stored it (a private CUPS server, as in the tests).
# Wine's PostScript driver spends about 50 ms on each line, so the 2,000-line driver job takes
# well over a minute a run.
#   bench-printer.sh [COMMAND_RUNS [DRIVER_RUNS [LONG_DRIVER_RUNS]]]   (defaults 51, 5, 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command_runs=${1:-51}
driver_runs=${2:-5}
long_driver_runs=${3:-3}

"$root/scripts/build.sh" x86_64 --target printer_bench >/dev/null

export WINEPREFIX=$root/build/wineprefix-test
"$root/tests/wine/prefix.sh" up "$WINEPREFIX"

cups_dir=$root/build/cups-bench
socket=$cups_dir/run/cupsd.sock
[ ${#socket} -le 100 ] || socket=/tmp/zpt-cups-bench-$$/cupsd.sock
"$root/scripts/cups/cupsd.sh" up "$cups_dir" "$socket"
trap '"$root/scripts/cups/cupsd.sh" down "$cups_dir" "$socket"; "$root/tests/wine/prefix.sh" down "$WINEPREFIX"' EXIT

CUPS_SERVER=$socket ZPT_CUPS_DIR=$cups_dir \
  "$root/scripts/wine-exec.sh" "$root/build/bin/printer_bench.exe" "$command_runs" "$driver_runs" "$long_driver_runs"
