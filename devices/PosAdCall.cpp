#include "devices/PosAdCall.h"

#if defined(__i386__)

// int posad_call_either(Entry function, const intptr_t* words, int count), itself __cdecl. The
// words are copied to a 16-byte aligned block at the stack's end, the function is called, and
// ESP comes back from EBP, whatever the function popped. ESI, EBP (and EBX, EDI, untouched) are
// preserved by the called function in both conventions.
asm(R"(
    .text
    .globl _posad_call_either
    .def _posad_call_either; .scl 2; .type 32; .endef
_posad_call_either:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    leal 0(,%ecx,4), %eax
    subl %eax, %esp
    andl $-16, %esp
1:  decl %ecx
    js 2f
    movl (%esi,%ecx,4), %eax
    movl %eax, (%esp,%ecx,4)
    jmp 1b
2:  calll *8(%ebp)
    leal -4(%ebp), %esp
    popl %esi
    popl %ebp
    ret
)");

#endif
