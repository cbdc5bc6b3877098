#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need (the lists in
# scripts/deps/), and generates the zh_CN.UTF-8 locale from which Wine takes code page 936.
# Safe to run again: it installs only what is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
# Another install on this machine holds apt's lock for a while: wait for it rather than fail.
apt=(apt-get -o DPkg::Lock::Timeout=900)

mapfile -t wanted < <(sed -e 's/#.*//' "$here"/deps/*.txt | tr -s ' \t' '\n\n' | sed '/^$/d' | sort -u)

# The 32-bit program runs on Wine's 32-bit loader (wine32:i386 in scripts/deps/wine.txt), which
# Debian ships only for the i386 architecture, and only where the kernel runs 32-bit programs.
if "$here/runs-32bit.sh"; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture"
    $sudo dpkg --add-architecture i386
    $sudo "${apt[@]}" update -qq
  fi
else
  mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | grep -v ':i386$')
  echo "setup: this kernel runs no 32-bit programs: the 32-bit program is built but cannot run here"
  if [ -x /usr/lib/wine/wine ]; then
    echo "setup: wine32 is installed but cannot start here, and the wine command takes it for every" >&2
    echo "setup: program; remove it (apt-get remove wine32:i386 libwine:i386) to run any test" >&2
    exit 1
  fi
fi
missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $sudo "${apt[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $sudo "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# node and npm for the ESC/POS cross-check (tests/pos_ad/crosscheck). Debian's packages only where
# no npm is on PATH: a machine with NodeSource's node has its own npm, which Debian's conflicts with.
if ! command -v npm >/dev/null 2>&1; then
  echo "setup: installing nodejs npm"
  $sudo "${apt[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $sudo "${apt[@]}" install -y -qq --no-install-recommends nodejs npm >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  $sudo sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

# ChromeDriver and the browser it drives reach each other by the name "localhost". An installed
# Debian always resolves it through /etc/hosts; a bare container or chroot may have no such file.
if ! getent hosts localhost >/dev/null 2>&1; then
  echo "setup: adding localhost to /etc/hosts (the browser tests need the name)"
  printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' | $sudo tee -a /etc/hosts >/dev/null
fi
