// The application object: starts the main window as a modal dialog and ends the process with it.
#pragma once

#include "framework/WinApp.h"

#include <atomic>

class CPageScale;

class CZantorPosTestApp : public CWinApp {
public:
    CZantorPosTestApp();

    BOOL InitInstance() override;

    // The main window's scale page while the main window lives, null before and after. The scale
    // SDK may deliver readings from its own thread at any time, so this is read and cleared
    // atomically.
    std::atomic<CPageScale*> m_pPageScale {nullptr};
};

extern CZantorPosTestApp theApp;
