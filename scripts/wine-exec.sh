#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's defaults: the ANSI code page 936 comes
# from the zh_CN.UTF-8 locale, Wine's own chatter is off, and the prefix is the one the caller
# chose (WINEPREFIX) or the build tree's test prefix.
set -u
export LC_ALL=${ZPT_LOCALE:-zh_CN.UTF-8}
export WINEDEBUG=${WINEDEBUG:--all}
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-exec.sh: WINEPREFIX is not set" >&2
  exit 2
fi
export WINEPREFIX
exec wine "$@"
