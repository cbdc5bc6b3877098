/* MvScalesSDK.dll: a serial weighing scale behind twelve calls. The wire protocol, the meaning of
 * every argument and result, and the time each call may take are in docs/scale-protocol.md.
 * Every call returns 1 on success and 0 otherwise; all use the Windows API calling convention and
 * are exported under their bare names. */
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#ifdef MVSCALESSDK_BUILD
#define OPO_API __declspec(dllexport)
#else
#define OPO_API __declspec(dllimport)
#endif

/* No exception may leave a C function; declared so, every definition is held to it by the compiler. */
#ifdef __cplusplus
#define OPO_NOEXCEPT noexcept
#else
#define OPO_NOEXCEPT
#endif

/* Receives each reading: the seven-field text without its line end, and its length in bytes.
 * Called on the SDK's reader thread. */
typedef void(__stdcall* OPO_ResultCallback)(const char* text, int length);

OPO_API int __stdcall OPO_SetModuleCallBack(OPO_ResultCallback callback) OPO_NOEXCEPT;
/* on: nonzero lets the scale send readings by itself, 0 only on request. */
OPO_API int __stdcall OPO_SetAutoMode(int on) OPO_NOEXCEPT;
/* portAndBaud: "COMn:baud", for example "COM4:115200". */
OPO_API int __stdcall OPO_Open(const char* portAndBaud) OPO_NOEXCEPT;
OPO_API int __stdcall OPO_Close(void) OPO_NOEXCEPT;
/* Asks the scale for a reading and copies it, with its NUL, into text (size bytes). */
OPO_API int __stdcall OPO_GetResult(char* text, int size) OPO_NOEXCEPT;
/* Copies the last reading received since the port was opened, without asking the scale. */
OPO_API int __stdcall OPO_ReadResultCache(char* text, int size) OPO_NOEXCEPT;
/* perSecond: readings per second in automatic mode, 1 to 100. */
OPO_API int __stdcall OPO_SendFre(int perSecond) OPO_NOEXCEPT;
OPO_API int __stdcall OPO_Zero(void) OPO_NOEXCEPT;
/* Takes the tare when none is set, clears it otherwise. */
OPO_API int __stdcall OPO_Tare(void) OPO_NOEXCEPT;
/* grams: a preset tare, 0 to 99999. */
OPO_API int __stdcall OPO_PreTare(int grams) OPO_NOEXCEPT;
/* unit: 0 kilogram, 1 gram, 2 pound. */
OPO_API int __stdcall OPO_SetUnit(int unit) OPO_NOEXCEPT;
/* on: nonzero makes the scale set zero when it powers on. */
OPO_API int __stdcall OPO_PowOnZero(int on) OPO_NOEXCEPT;

#ifdef __cplusplus
}
#endif
