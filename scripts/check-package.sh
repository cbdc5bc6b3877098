#!/usr/bin/env bash
# Checks a Windows ZIP: the exe, our two libraries and the README, every program in it of the
# ZIP's bitness (a library of the other bitness would not load beside the exe), and the README
# starting with its byte-order mark.
#   check-package.sh ZIP win32|win64
set -euo pipefail
zip=$1 kind=$2
case "$kind" in
  win32) objdump=i686-w64-mingw32-objdump format=pei-i386 ;;
  win64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 ;;
  *) echo "check-package: unknown kind $kind" >&2; exit 2 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work"
folder=$(find "$work" -mindepth 1 -maxdepth 1 -type d)
for file in ZantorPosTest.exe pos_ad_dll.dll MvScalesSDK.dll; do
  [ -f "$folder/$file" ] || { echo "check-package: $zip has no $file" >&2; exit 1; }
  "$objdump" -f "$folder/$file" | grep -q "file format $format\$" ||
    { echo "check-package: $file in $zip is not $format" >&2; exit 1; }
done
[ "$(head -c 3 "$folder/README.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
  { echo "check-package: README.txt in $zip has no byte-order mark" >&2; exit 1; }
echo "check-package: $(basename "$zip"): exe and both libraries $format, README.txt"
