// pos_ad_dll.dll's fifteen functions as a library defines them: our own library (drivers/pos_ad/)
// and the tests' recording stand-in. C linkage, exported under their bare names by
// pos_ad_dll.def. Our library uses the C calling convention (POSAD_API); on 32-bit Windows the
// program accepts a library built with either __cdecl or __stdcall (devices/PosAdCall.h).
#pragma once

#include "devices/pos_ad_functions.h"

#ifndef POSAD_API
#define POSAD_API __cdecl
#endif

// No exception may leave a C function; declared so, every definition is held to it by the compiler.
#ifdef __cplusplus
#define POSAD_NOEXCEPT noexcept
#else
#define POSAD_NOEXCEPT
#endif

#define POSAD_DECLARE(name, parameters, arguments) int POSAD_API name parameters POSAD_NOEXCEPT;

#ifdef __cplusplus
extern "C" {
#endif

POSAD_FUNCTIONS(POSAD_DECLARE)

#ifdef __cplusplus
}
#endif

#undef POSAD_DECLARE
#undef POSAD_NOEXCEPT
