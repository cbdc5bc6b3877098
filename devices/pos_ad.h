// The program's calls into the terminal's device library pos_ad_dll.dll (the fifteen of
// pos_ad_functions.h). The exe imports them by name (import library made from pos_ad_dll.def),
// so the terminal maker's own library can stand beside the exe in place of ours.
//
// On x86_64 there is one calling convention and each call goes straight to the import. On i686
// the maker's library may be __cdecl or __stdcall, and its bare export names do not say which:
// there each name is an inline function that calls through the import's address slot with
// pos_ad::CallEither, which works with both. Either way the page code just calls PrintText(...).
#pragma once

#if defined(__i386__)

#include "devices/PosAdCall.h"
#include "devices/pos_ad_functions.h"

// The slot the loader fills with the function's address ("__imp__" + the C name), under a name
// of our own, so that the function's own name is free for the call below.
#define POSAD_CALL_EITHER(name, parameters, arguments)                                                                 \
    extern "C" const pos_ad::Entry posad_import_##name __asm__("__imp__" #name);                                       \
    inline int name parameters                                                                                         \
    {                                                                                                                  \
        return pos_ad::CallEither(posad_import_##name) arguments;                                                      \
    }

POSAD_FUNCTIONS(POSAD_CALL_EITHER)

#undef POSAD_CALL_EITHER

#else

#include "devices/pos_ad_library.h"

#endif
