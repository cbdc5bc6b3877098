#!/usr/bin/env bash
# A private CUPS server: its own configuration, spool and backends under DIR, listening only on
# the unix socket SOCKET, so nothing system-wide is touched.
#   cupsd.sh up DIR SOCKET     the driver-printing tests' server: start it afresh and create their
#                              queues, whose backend "zptjob" stores every job it is given as
#                              DIR/jobs/<queue>/job-<id>.ps
#   cupsd.sh terminal DIR SOCKET STATE SIMCTL
#                              the virtual terminal's server: one queue, the default, whose backend
#                              "zptreceipt" prints each job on the zantor-sim running on STATE
#   cupsd.sh down DIR SOCKET   stop it
set -Eeuo pipefail
# A step that fails says which, not only the script's status.
trap 'echo "${0##*/}: line $LINENO: \"$BASH_COMMAND\" failed" >&2' ERR
action=$1 dir=$(realpath -m "$2") socket=$(realpath -m "$3")
export CUPS_SERVER=$socket
here=$(cd "$(dirname "$0")" && pwd)

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid"
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$dir/cupsd.pid"
  fi
}

# lpstat -r exits 0 also when it finds no scheduler: its words tell (in English only with LC_ALL=C).
running() { [ -S "$socket" ] && [ "$(LC_ALL=C lpstat -r 2>/dev/null)" = "scheduler is running" ]; }

# lpadmin warns that raw queues and PPD files are deprecated: what it says is shown only when it fails.
admin() {
  local said
  said=$(lpadmin "$@" 2>&1) || { echo "lpadmin $*: $said" >&2; exit 1; }
}

# Queues as name:job folder. The default has a name longer than an 80-byte buffer holds (but
# under 100 characters: Wine 8's PostScript driver crashes in CreateDC on longer names); one
# has a Chinese name; Paused holds its jobs; Rejecting refuses them; Vanishing is removed by a
# test while the program shows it.
long_name=Zantor-Front-Counter-Receipt-Printer-Whose-Name-Is-Longer-Than-An-Eighty-Byte-Buffer-Can-Hold
queues=(Alpha:Alpha POS58:POS58 Paused:Paused Rejecting:Rejecting Vanishing:Vanishing
        "$long_name:$long_name" 前台收银打印机:cjk)

# The Windows printer of the virtual terminal (a CUPS name has no spaces).
terminal_queue=Zantor-80mm-Receipt

start() {
    stop
    command -v cupsd >/dev/null || { echo "cupsd is not installed (scripts/deps/printer.txt)" >&2; exit 1; }
    rm -rf "$dir"
    mkdir -p "$dir"/{etc/ppd,etc/ssl,bin/backend,bin/filter,bin/daemon,spool/tmp,cache,state,log,jobs} "$(dirname "$socket")"
    # CUPS runs a backend that only its owner may execute as that owner: as root when the
    # tests run as root, else as the user who started this server.
    install -m 0700 "$here/zptjob" "$dir/bin/backend/zptjob"
    install -m 0700 "$here/zptreceipt" "$dir/bin/backend/zptreceipt"
    ln -s /usr/lib/cups/daemon/cups-exec "$dir/bin/daemon/cups-exec"
    cat > "$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
ServerBin $dir/bin
DataDir /usr/share/cups
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Sandboxing Relaxed
SystemGroup root $(id -gn)
CONF
    cat > "$dir/etc/cupsd.conf" <<CONF
Listen $socket
LogLevel info
Browsing No
WebInterface No
DefaultAuthType None
# Jobs stay in the spool until they are done, never longer.
PreserveJobHistory No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! > "$dir/cupsd.pid"
    # Up to 30 s: a fresh machine's first start builds CUPS's caches.
    for _ in $(seq 300); do running && break; sleep 0.1; done
    running || { echo "private cupsd did not start:" >&2; cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null; exit 1; }
}

case "$action" in
  up)
    start
    for entry in "${queues[@]}"; do
      queue=${entry%%:*} folder=${entry#*:}
      mkdir -p "$dir/jobs/$folder"
      # No model: a raw queue, so the backend gets the driver's PostScript unchanged (raw queues
      # are deprecated; they still work).
      admin -p "$queue" -E -v "zptjob:$dir/jobs/$folder"
    done
    lpadmin -d "$long_name"
    cupsdisable Paused
    cupsreject Rejecting
    ;;
  terminal)
    state=$(realpath -m "$4") simctl=$(realpath -m "$5")
    start
    printf 'ZPT_STATE=%q\nZPT_SIMCTL=%q\n' "$state" "$simctl" > "$dir/terminal.conf"
    # A job the backend gives up on is dropped, so the queue never stops.
    admin -p "$terminal_queue" -E -v "zptreceipt:$dir/terminal.conf" -P "$here/zantor-80mm.ppd" \
      -o printer-error-policy=abort-job -D "Zantor 80mm Receipt"
    lpadmin -d "$terminal_queue"
    ;;
  down)
    stop
    ;;
  *)
    echo "usage: cupsd.sh up|down DIR SOCKET | cupsd.sh terminal DIR SOCKET STATE SIMCTL" >&2
    exit 2
    ;;
esac
