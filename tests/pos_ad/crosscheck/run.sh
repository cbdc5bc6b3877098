#!/usr/bin/env bash
# Installs the pinned npm packages into the build tree and runs the cross-check under node.
#   run.sh BUILD_DIR GOLDEN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# node trusts only its own CA list; where the registry is reached through a proxy whose CA the
# system trusts, npm needs the system's list too.
if [ -z "${NODE_EXTRA_CA_CERTS:-}" ] && [ -f /etc/ssl/certs/ca-certificates.crt ]; then
  export NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt
fi
work="$1/npm-crosscheck"
mkdir -p "$work"
cp "$here/package.json" "$here/package-lock.json" "$here/crosscheck.mjs" "$work/"
if ! cmp -s "$here/package-lock.json" "$work/node_modules/.installed-lock" 2>/dev/null; then
  (cd "$work" && npm ci --ignore-scripts --no-audit --no-fund >/dev/null)
  cp "$here/package-lock.json" "$work/node_modules/.installed-lock"
fi
cd "$work"
ZPT_GOLDEN_DIR="$2" exec node --test-reporter=spec --test crosscheck.mjs
