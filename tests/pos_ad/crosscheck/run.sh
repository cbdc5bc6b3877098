#!/usr/bin/env bash
# Installs the pinned npm packages (vendored tarballs, no registry) into the build tree and runs
# the cross-check under node.
#   run.sh BUILD_DIR GOLDEN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work="$1/npm-crosscheck"
mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$here/crosscheck.mjs" "$work/"
rm -rf "$work/vendor" && cp -r "$here/vendor" "$work/vendor"
if ! cmp -s "$here/package-lock.json" "$work/node_modules/.installed-lock" 2>/dev/null; then
  (cd "$work" && npm ci --offline --ignore-scripts --no-audit --no-fund >/dev/null)
  cp "$here/package-lock.json" "$work/node_modules/.installed-lock"
fi
cd "$work"
ZPT_GOLDEN_DIR="$2" exec node --test-reporter=spec --test crosscheck.mjs
