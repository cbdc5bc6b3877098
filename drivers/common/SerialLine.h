// How the terminal's serial devices (printer, scale, A/D board) are run: 8 data bits, no parity,
// one stop bit, no flow control, DTR and RTS raised. Shared by our two libraries.
#pragma once

#include <windows.h>

// A read or write that ended at the port's own timeout: what it moved (maybe nothing) still
// counts, and the port is fine. Windows reports ERROR_TIMEOUT, Wine also ERROR_SEM_TIMEOUT.
inline bool IsTimeout(DWORD code)
{
    return code == ERROR_TIMEOUT || code == ERROR_SEM_TIMEOUT;
}

// Sets the line of an open COM port; false when the port does not take the baud rate.
inline bool SetLine8N1(HANDLE port, DWORD baud)
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port, &dcb))
        return false;
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    return ::SetCommState(port, &dcb) != FALSE;
}
