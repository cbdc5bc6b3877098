#include "ZantorPosTestApp.h"

#include "ZantorPosTestDlg.h"

#include <commctrl.h>

CZantorPosTestApp theApp;

CZantorPosTestApp::CZantorPosTestApp()
{
    m_dwRestartManagerSupportFlags = 1; // restart support only
}

BOOL CZantorPosTestApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CZantorPosTestDlg dlg;
    dlg.DoModal();
    m_hMainWnd = nullptr;

    // The dialog has closed: end the process instead of entering a message loop.
    return FALSE;
}
