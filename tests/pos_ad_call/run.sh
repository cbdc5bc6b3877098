#!/usr/bin/env bash
# Builds devices/PosAdCall.cpp's i686 routine with harness.c into a 32-bit Linux program (the
# routine's text as it stands there, with the ELF symbol name) and runs it under qemu-i386.
#   run.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source=$1 work=$2
mkdir -p "$work"
# The assembly between asm(R"( and )"); without the COFF-only .def line.
sed -n '/^asm(R"(/,/^)");/p' "$source/devices/PosAdCall.cpp" | sed '1d;$d' |
  grep -v '^[[:space:]]*\.def' | sed 's/_posad_call_either/posad_call_either/g' >"$work/routine.s"
grep -q '^posad_call_either:' "$work/routine.s" || { echo "no routine found in PosAdCall.cpp" >&2; exit 1; }
printf '\t.section .note.GNU-stack,"",@progbits\n' >>"$work/routine.s"
gcc -m32 -O2 -ffreestanding -nostdlib -fno-pic -fno-stack-protector -c "$source/tests/pos_ad_call/harness.c" -o "$work/harness.o"
as --32 "$work/routine.s" -o "$work/routine.o"
ld -m elf_i386 -static "$work/harness.o" "$work/routine.o" -o "$work/harness"
if qemu-i386 "$work/harness"; then
  echo "posad_call_either: 500000 calls to __stdcall and __cdecl functions, results and stack pointer right"
else
  echo "posad_call_either: wrong result or stack pointer moved" >&2
  exit 1
fi
