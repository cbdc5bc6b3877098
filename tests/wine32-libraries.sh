#!/usr/bin/env bash
# Where Wine's 32-bit side is installed, the 32-bit libraries through which it prints (CUPS, for
# the printer list and driver jobs) and draws text (FreeType, Fontconfig) are installed too. Wine
# opens them at run time, and Debian's libwine:i386 only recommends some of them (libcups2:i386),
# so an install without recommendations leaves the 32-bit program with no printer. The names are
# read from Wine's own modules, not from our package list.
#   wine32-libraries.sh        exits 77 (skipped) where wine32 is not installed
set -euo pipefail
unix=/usr/lib/i386-linux-gnu/wine/i386-unix
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed'; then
  echo "wine32:i386 is not installed here: no 32-bit Wine to check"
  exit 77
fi
installed=$(ldconfig -p | sed -n 's/^[[:space:]]*\([^ ]*\) (libc6) => .*/\1/p')
missing=()
checked=()
for module in winspool localspl win32u; do # the spooler, its CUPS side, GDI's fonts
  [ -f "$unix/$module.so" ] || { echo "no $unix/$module.so: Wine's layout changed"; exit 1; }
  for library in $(strings -a "$unix/$module.so" | grep -E '^lib[A-Za-z0-9_+-]+\.so\.[0-9]+$' | sort -u); do
    checked+=("$library")
    echo "$installed" | grep -qxF "$library" || missing+=("$library (for $module)")
  done
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "32-bit Wine is installed without: ${missing[*]}"
  exit 1
fi
echo "32-bit Wine finds its printing and font libraries: $(printf '%s\n' "${checked[@]}" | sort -u | tr '\n' ' ')"
