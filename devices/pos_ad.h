// The terminal's device library pos_ad_dll.dll: receipt printer, cash drawer and scale A/D board.
// The program imports these fifteen functions by name (import library made from
// pos_ad_dll.def), so the terminal maker's own library can stand beside the exe in place of ours.
// C linkage and the C calling convention; every call comes from the user-interface thread.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#define POSAD_API __cdecl

// Scale functions report success with this value.
#define POSAD_OK 240

// version: a zero-filled buffer of 256 bytes; receives a NUL-terminated text. Its size is not
// passed, so the program gives far more room than a version text needs.
int POSAD_API GetDllVersion(char* version);
// Ends a job; called alone it feeds lines of paper.
int POSAD_API BeginPrint(int lines);
int POSAD_API PrintText(const char* text, int mode);
int POSAD_API PrintBarCode(const char* digits, int width, int height, int textPosition);
int POSAD_API PrintQrCode(const char* content, int moduleSize);
int POSAD_API PrintBitmapFile(const char* path, int mode);
// Sends raw printer bytes. Not used by the program, but part of the library's exports.
int POSAD_API PrintCommand(const char* bytes, int length);
int POSAD_API CutPaper(void);
int POSAD_API OpenCashDrawerEx(void);
// Low byte 0: the drawer is open.
int POSAD_API GetCashDrawerStatus(void);
// Closes the printer connection; the next print reads the settings afresh.
int POSAD_API ClosePrinterEx(void);
int POSAD_API send_zero(void);
// record: zero-filled weighing record of at least 18 bytes: status 0x30 + flags (1 stable,
// 2 at zero, 4 tare present), net weight text in bytes 1-7, tare weight text in bytes 9-15.
int POSAD_API read_standard(char* record);
// scratch: a 32-byte buffer for the library's own use.
int POSAD_API send_tare(char* scratch);
int POSAD_API clear_tare(char* scratch);

#ifdef __cplusplus
}
#endif
