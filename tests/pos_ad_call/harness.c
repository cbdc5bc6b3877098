// posad_call_either itself, run as a 32-bit Linux program under qemu-i386, so that the routine
// runs also where neither the kernel nor Wine runs 32-bit programs. Callees of both conventions
// and several argument counts, 100,000 rounds: each result must come back and the stack pointer
// must be where it was after every round (a routine that trusted the callee would drift, or crash).
// Freestanding: no C library for i386 is needed, only the compiler's -m32.
typedef int word;
int posad_call_either(const void* function, const word* words, int count);

static int calls;

__attribute__((stdcall, noinline)) int stdcall4(int a, int b, int c, int d) { ++calls; return a * 1000 + b * 100 + c * 10 + d; }
__attribute__((cdecl, noinline)) int cdecl4(int a, int b, int c, int d) { ++calls; return a * 1000 + b * 100 + c * 10 + d; }
__attribute__((stdcall, noinline)) int stdcall1(const char* text) { ++calls; return text[0]; }
__attribute__((stdcall, noinline)) int stdcall0(void) { ++calls; return 77; }
__attribute__((cdecl, noinline)) int cdecl0(void) { ++calls; return 78; }

static void Exit(int code)
{
    __asm__ volatile("int $0x80" ::"a"(1), "b"(code));
    for (;;) {
    }
}

__attribute__((noinline)) static int Rounds(void)
{
    const word four[] = {1, 2, 3, 4};
    const word one[] = {(word) "Z"};
    int bad = 0;
    for (int i = 0; i < 100000; ++i) {
        word before, after;
        __asm__ volatile("movl %%esp, %0" : "=r"(before)::"memory");
        bad += posad_call_either((const void*)stdcall4, four, 4) != 1234;
        bad += posad_call_either((const void*)cdecl4, four, 4) != 1234;
        bad += posad_call_either((const void*)stdcall1, one, 1) != 'Z';
        bad += posad_call_either((const void*)stdcall0, one, 0) != 77;
        bad += posad_call_either((const void*)cdecl0, one, 0) != 78;
        __asm__ volatile("movl %%esp, %0" : "=r"(after)::"memory");
        bad += before != after;
    }
    return bad;
}

void _start(void)
{
    const int bad = Rounds();
    Exit(bad == 0 && calls == 500000 ? 0 : 1);
}
