// The fifteen functions of the terminal's device library pos_ad_dll.dll, once, for the C++ sides
// that name them: the program's calls (pos_ad.h) and a library's definitions (pos_ad_library.h).
// pos_ad_dll.def repeats the names in the same order for the linker; the exe_imports test keeps
// the two in step. Each returns an int and takes ints and pointers only; every call comes from
// the user-interface thread.
//   POSAD_FUNCTIONS(X) expands X(name, (parameters), (arguments)) for each, in the .def's order.
#pragma once

// Scale functions report success with this value.
#define POSAD_OK 240

#define POSAD_FUNCTIONS(X)                                                                                             \
    /* version: a zero-filled buffer; receives a NUL-terminated version text. Its size is not */                       \
    /* passed, so the program gives far more room than a version text needs. */                                        \
    X(GetDllVersion, (char* version), (version))                                                                       \
    /* Ends a job; called alone it feeds lines of paper. */                                                            \
    X(BeginPrint, (int lines), (lines))                                                                                \
    X(PrintText, (const char* text, int mode), (text, mode))                                                           \
    X(PrintBarCode, (const char* digits, int width, int height, int textPosition),                                     \
        (digits, width, height, textPosition))                                                                         \
    X(PrintQrCode, (const char* content, int moduleSize), (content, moduleSize))                                       \
    X(PrintBitmapFile, (const char* path, int mode), (path, mode))                                                     \
    /* Sends raw printer bytes. Never called by the program, but imported: a library without */                        \
    /* it is refused by the loader. */                                                                                 \
    X(PrintCommand, (const char* bytes, int length), (bytes, length))                                                  \
    X(CutPaper, (void), ())                                                                                            \
    X(OpenCashDrawerEx, (void), ())                                                                                    \
    /* Low byte 0: the drawer is open. */                                                                              \
    X(GetCashDrawerStatus, (void), ())                                                                                 \
    /* Closes the printer connection; the next print reads the settings afresh. */                                     \
    X(ClosePrinterEx, (void), ())                                                                                      \
    X(send_zero, (void), ())                                                                                           \
    /* record: zero-filled weighing record of at least 18 bytes: status 0x30 + flags (1 stable, */                     \
    /* 2 at zero, 4 tare present), net weight text in bytes 1-7, tare weight text in 9-15. */                          \
    X(read_standard, (char* record), (record))                                                                         \
    /* scratch: a 32-byte buffer for the library's own use. */                                                         \
    X(send_tare, (char* scratch), (scratch))                                                                           \
    X(clear_tare, (char* scratch), (scratch))
