#include "WinApp.h"

namespace {
CWinApp* g_currentApp = nullptr;
}

CWinApp::CWinApp()
{
    g_currentApp = this;
}

CWinApp::~CWinApp()
{
    if (g_currentApp == this)
        g_currentApp = nullptr;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

CWinApp* AfxGetApp()
{
    return g_currentApp;
}

int AfxWinMain(CWinApp& app)
{
    if (!app.InitInstance())
        return 0;
    return app.Run();
}
