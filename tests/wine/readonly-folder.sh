#!/usr/bin/env bash
# Makes a folder inside the prefix that nobody can write into (chattr +i as root, since root
# ignores permission bits; chmod otherwise), runs the settings test that saves into it, and
# gives the folder back.
set -u
prefix=$1; shift
folder="$prefix/drive_c/ztests/readonly_folder"
rm -rf "$folder" 2>/dev/null; chattr -i "$folder" 2>/dev/null; rm -rf "$folder"
mkdir -p "$folder"
printf '[SOFT]\r\ntype=1\r\n' > "$folder/scales.ini"
if [ "$(id -u)" = 0 ]; then
  chattr +i "$folder/scales.ini" "$folder" || { echo "chattr +i failed: cannot make a read-only folder here" >&2; exit 1; }
else
  chmod a-w "$folder/scales.ini" "$folder"
fi
ZPT_READONLY_FOLDER='C:\ztests\readonly_folder' "$@" --gtest_filter='SettingsReadOnlyFolder.*'
rc=$?
if [ "$(id -u)" = 0 ]; then chattr -i "$folder" "$folder/scales.ini"; else chmod u+w "$folder" "$folder/scales.ini"; fi
rm -rf "$folder"
exit $rc
