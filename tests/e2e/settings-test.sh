#!/usr/bin/env bash
# The run command's settings step (scripts/terminal.sh settings) on a prefix's C: drive: it
# writes the terminal's settings where there are none, never overwrites a user's, and keeps a copy
# when asked to reset them.
set -u
wiring="$(cd "$(dirname "$0")/../.." && pwd)/scripts/terminal.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # description, then a command that must succeed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
ini() { find "$1/drive_c" -maxdepth 2 -iname scales.ini -type f | head -n 1; }

fresh="$work/fresh"
mkdir -p "$fresh/drive_c"
"$wiring" settings "$fresh" >/dev/null
file=$(ini "$fresh")
check "a missing file is written in C:\\Morvane" test "$file" = "$fresh/drive_c/Morvane/scales.ini"
check "with CR LF line ends" grep -q $'^\\[PosAdDll\\]\r$' "$file"
for line in 'TYPE=0' 'PORT=COM1' 'PORT=COM4' 'ControlType=0' 'BoardPort=COM3' 'UsbDevice=\\.\COM9'; do
  check "it holds $line" grep -qxF "$line"$'\r' "$file"
done
before=$(md5sum <"$file")
"$wiring" settings "$fresh" >/dev/null
check "a second run leaves it as it is" test "$(md5sum <"$file")" = "$before"

# A user's file in another letter case, with the program's keys of its own and our section
# under another case: nothing of it changes, only our two missing keys are added to our section.
user="$work/user"
mkdir -p "$user/drive_c/morvane"
file="$user/drive_c/morvane/Scales.INI"
printf '[POS]\r\nTYPE=1\r\n[posaddll]\r\nJournal=C:\\j.log\r\n[PRINTER]\r\nPORT=COM2\r\n' >"$file"
output=$("$wiring" settings "$user")
check "the user's keys stay" grep -qxF $'PORT=COM2\r' "$file"
check "no second file is made" test "$(find "$user/drive_c" -iname scales.ini | wc -l)" = 1
check "our keys join our section, before the next one" \
  test "$(tr -d '\r' <"$file" | sed -n '4,7p' | tr '\n' ' ')" = 'Journal=C:\j.log BoardPort=COM3 UsbDevice=\\.\COM9 [PRINTER] '
check "the port that leads nowhere is named" grep -q 'printer port COM2 leads nowhere' <<<"$output"

# A BoardPort of the user's own is kept.
printf '[PosAdDll]\nBoardPort=COM7\n' >"$file"
output=$("$wiring" settings "$user")
check "the user's BoardPort stays" grep -qxF 'BoardPort=COM7' "$file"
check "and the board's port is named" grep -q 'scale board is on COM3, not COM7' <<<"$output"

"$wiring" settings "$user" --reset >/dev/null
check "--reset keeps the user's file as a copy" grep -qxF 'BoardPort=COM7' "$(ls "$user"/drive_c/morvane/Scales.INI.bak-*)"
check "--reset writes the terminal's settings" grep -qxF $'BoardPort=COM3\r' "$(ini "$user")"

[ $failures = 0 ] || { echo "$failures check(s) failed"; exit 1; }
