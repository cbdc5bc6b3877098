// The application object: one per process, started by WinMain.
#pragma once

#include <windows.h>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Return FALSE to end the process once InitInstance is done (a dialog application).
    virtual BOOL InitInstance() { return TRUE; }
    // The message loop for applications whose InitInstance returns TRUE.
    virtual int Run();

    HWND m_hMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;
};

CWinApp* AfxGetApp();
// The process's entry after WinMain: InitInstance, then the message loop if it asks for one.
int AfxWinMain(CWinApp& app);
