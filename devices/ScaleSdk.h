// The scale SDK MvScalesSDK.dll, loaded at run time by name so that the program starts and every
// other page works on a terminal without it. Once loaded it stays loaded for the life of the
// process. Every use is on the user-interface thread, so nothing here is locked.
#pragma once

#include <windows.h>

// The callback through which the SDK delivers each reading: a NUL-terminated GBK text of seven
// comma-separated fields, and a value the program ignores.
using ScaleResultCallback = void(__stdcall*)(const char* text, int unused);

// The entry points the program calls. Each returns exactly 1 on success.
using OpoSetModuleCallBackFn = int(__stdcall*)(ScaleResultCallback callback);
using OpoOpenFn = int(__stdcall*)(const char* portAndBaud);
using OpoCommandFn = int(__stdcall*)();

// Either module and all twelve slots are set, or all are null: a null slot means "not loaded".
// Slots in the order the names are resolved; the seven never called have no signature here.
struct ScaleSdk {
    HMODULE module = nullptr;
    OpoSetModuleCallBackFn OPO_SetModuleCallBack = nullptr;
    FARPROC OPO_SetAutoMode = nullptr;
    OpoOpenFn OPO_Open = nullptr;
    OpoCommandFn OPO_Close = nullptr;
    FARPROC OPO_GetResult = nullptr;
    FARPROC OPO_ReadResultCache = nullptr;
    FARPROC OPO_SendFre = nullptr;
    OpoCommandFn OPO_Zero = nullptr;
    OpoCommandFn OPO_Tare = nullptr;
    FARPROC OPO_PreTare = nullptr;
    FARPROC OPO_SetUnit = nullptr;
    FARPROC OPO_PowOnZero = nullptr;
};

extern ScaleSdk g_scaleSdk;

// True when the library is loaded and all twelve names are resolved. Loads at most once per
// process; a failed attempt leaves nothing loaded, so the next call tries again from the start.
bool loadScaleSdk();
