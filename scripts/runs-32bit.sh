#!/usr/bin/env bash
# Exits 0 when this machine's kernel runs 32-bit x86 programs, as Wine's 32-bit loader (wine32)
# is one: some kernels are built or booted without IA-32 emulation (ia32_emulation=off), and on
# them wine32 cannot start at all. Installed beside wine64, Debian's wine command would then take
# the 32-bit loader for every program and fail; so the 32-bit program is run only where this says
# yes. The probe is the smallest 32-bit Linux program: one that exits with 0.
set -u
probe=$(mktemp "${TMPDIR:-/tmp}/zpt-ia32-probe.XXXXXX")
trap 'rm -f "$probe"' EXIT
# ELF header, one loadable segment at 0x08048000 (93 bytes, read + execute), then the code at its
# entry 0x08048054: mov eax, 1 (exit); xor ebx, ebx; int 0x80.
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >>"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
