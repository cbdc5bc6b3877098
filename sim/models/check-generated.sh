#!/usr/bin/env bash
# The model data, the README's table of models and the encoder corpus are what their scripts
# make from the vendored encoder: made again into WORK_DIR and compared. Exit 77 (skipped)
# without node and npm.
#   check-generated.sh WORK_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mkdir -p "$1" && cd "$1" && pwd)
command -v node >/dev/null && command -v npm >/dev/null || { echo "node or npm missing" >&2; exit 77; }
rm -rf "$work/models" "$work/corpus" && mkdir -p "$work/models" "$work/corpus"
cp "$here/maker-facts.json" "$work/models/"
cp "$root/sim/README.md" "$work/README.md"
"$here/with-encoder.sh" "$work/npm" "$here/make-model-data.mjs" "$work/models" "$work/README.md" >/dev/null
"$here/with-encoder.sh" "$work/npm" "$root/tests/sim/data/encoder-corpus/make-corpus.mjs" "$work/corpus" >/dev/null
status=0
diff -u "$here/model_data.inc" "$work/models/model_data.inc" | head -20 || status=1
diff -u "$root/sim/README.md" "$work/README.md" | head -20 || status=1
diff -r -x '*.mjs' -x README.md "$root/tests/sim/data/encoder-corpus" "$work/corpus" | head -20 || status=1
[ "$status" = 0 ] || echo "generated files differ from what their scripts make now: run the scripts again" >&2
exit "$status"
