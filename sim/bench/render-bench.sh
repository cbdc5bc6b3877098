#!/bin/sh
# Render benchmark of the virtual printer (a script, not a test):
#   sim/bench/render-bench.sh [RUNS]
# For each stream: median in-process time per job (as the running virtual
# terminal renders it, PNG included), the time its bytes need on a
# 115200-baud line, the ratio (target: at least 50x), and peak RSS. Then the
# cold-start time of the zsim-render command per job with hyperfine.
set -eu

runs="${1:-15}"
here="$(cd "$(dirname "$0")" && pwd)"
top="$(cd "$here/../.." && pwd)"
build="${ZSIM_BENCH_BUILD:-$top/build-bench}"
work="$build/bench-work"

cmake -S "$top/sim" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZSIM_TESTS=OFF >/dev/null
cmake --build "$build" --target zsim-bench zsim-render -j2 >/dev/null

rm -rf "$work"
mkdir -p "$work/streams" "$work/out"
python3 "$here/make-streams.py" "$work/streams"
cp "$top/sim/fuzz/corpus/escpos/receipt-with-logo.bin" "$work/streams/"

echo "== in-process, median of $runs jobs"
for s in chinese-receipt receipt-with-logo barcode-qr bitmap-raster bitmap-escstar bitmap-huge; do
    rm -rf "$work/out/$s"
    n="$runs"
    [ "$s" = bitmap-huge ] && n=3
    "$build/zsim-bench" --width 576 --runs "$n" "$work/streams/$s.bin" "$work/out/$s"
done

if command -v hyperfine >/dev/null 2>&1; then
    echo "== zsim-render process per job (cold start: fonts loaded each time)"
    for s in chinese-receipt barcode-qr bitmap-raster; do
        hyperfine -N --warmup 2 --runs "$runs" --export-json "$work/$s-hyperfine.json" \
            "$build/zsim-render $work/streams/$s.bin $work/out/cli-$s" >/dev/null 2>&1 || true
        python3 - "$work/$s-hyperfine.json" "$work/streams/$s.bin" <<'PY'
import json, os, sys
r = json.load(open(sys.argv[1]))["results"][0]
size = os.path.getsize(sys.argv[2])
line_ms = size / 11520 * 1000
print(f'{{"file": "{os.path.basename(sys.argv[2])}", "bytes": {size}, "median_ms": {r["median"]*1000:.1f}, '
      f'"line_ms": {line_ms:.1f}, "times_faster_than_line": {line_ms / (r["median"]*1000):.0f}}}')
PY
    done
fi
