#!/usr/bin/env bash
# Runs a node script beside the independent encoder's packages, installed from the tarballs the
# repository keeps (npm ci --offline: no registry, nothing but the pinned files).
#   with-encoder.sh WORK_DIR SCRIPT.mjs [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
packages="$here/../../tests/pos_ad/crosscheck"
work="$1"
script="$2"
shift 2
mkdir -p "$work"
cp "$packages/package.json" "$packages/package-lock.json" "$work/"
rm -rf "$work/vendor" && cp -r "$packages/vendor" "$work/vendor"
if ! cmp -s "$packages/package-lock.json" "$work/node_modules/.installed-lock" 2>/dev/null; then
  (cd "$work" && npm ci --offline --ignore-scripts --no-audit --no-fund >/dev/null)
  cp "$packages/package-lock.json" "$work/node_modules/.installed-lock"
fi
# The scripts import the shared reader; both must sit beside node_modules to find the packages.
cp "$here/encoder-data.mjs" "$work/"
cp "$script" "$work/"
exec node "$work/$(basename "$script")" "$@"
