#!/usr/bin/env bash
# Checks that a DLL exports exactly the names its loading side asks for, undecorated: on i686 a
# __stdcall name linked without --kill-at or a .def comes out as "OPO_Open@4", which
# GetProcAddress("OPO_Open") does not find.
#   dll-exports.sh OBJDUMP DLL [--without NAME]... SOURCE...
# The wanted names are read from the loading side's sources: a .def's export lines, or in C++ the
# string literals given to a Resolve<...> table entry or a Control<...>(...) lookup.
set -euo pipefail
objdump=$1 dll=$2
shift 2
without=()
while [ "${1:-}" = --without ]; do without+=("$2"); shift 2; done

want=$(for source in "$@"; do
  case "$source" in
    *.def) sed -n 's/^[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)[[:space:]]*$/\1/p' "$source" ;;
    *) grep -oE '"[A-Za-z_][A-Za-z0-9_]*"[[:space:]]*(, *Resolve<|\))' "$source" | cut -d'"' -f2 ;;
  esac
done | sort -u)
for name in "${without[@]}"; do want=$(echo "$want" | grep -vx "$name"); done
[ -n "$want" ] || { echo "no names found in $*" >&2; exit 1; }

have=$("$objdump" -p "$dll" | awk '
  /\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
  inside && NF == 0 { inside = 0 }
  inside { print $NF }' | sort)

if [ "$want" != "$have" ]; then
  echo "exports of $dll differ from what its loading side asks for (< asked, > exported):"
  diff <(echo "$want") <(echo "$have") || true
  exit 1
fi
echo "$(basename "$dll"): exports exactly the $(echo "$want" | wc -l) names asked for: $(echo $want)"
