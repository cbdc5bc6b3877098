#!/usr/bin/env bash
# Checks that an exe imports from pos_ad_dll.dll exactly the functions a .def file names, by name:
# a library lacking any of them must be refused by the loader, and nothing else may be asked of it.
#   exe-imports.sh OBJDUMP EXE DEF
set -euo pipefail
objdump=$1 exe=$2 def=$3

want=$(sed -n 's/^[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)[[:space:]]*$/\1/p' "$def" | sort)
# objdump -p lists each DLL's imports after its "DLL Name:" line, one "vma hint name" line each,
# up to the next blank line.
have=$("$objdump" -p "$exe" | awk '
  /DLL Name:/ { inside = (tolower($3) == "pos_ad_dll.dll"); next }
  inside && /Hint\/Ord/ { next }
  inside && NF == 0 { inside = 0; next }
  inside && NF >= 3 { print $3 }' | sort)

if [ "$want" != "$have" ]; then
  echo "pos_ad_dll.dll imports of $exe differ from $def (< wanted, > imported):"
  diff <(echo "$want") <(echo "$have") || true
  exit 1
fi
echo "$(echo "$have" | wc -l) functions imported from pos_ad_dll.dll by name: $(echo $have)"
