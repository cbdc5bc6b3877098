// The tool's four dialog templates and nothing else: the main window with its three pages as
// children of the tab control, no settings, no libraries, no texts set. Measures what the
// window system itself costs for this user interface, so the start-up benchmark can tell it
// apart from the tool's own work.
#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

namespace {

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

INT_PTR CALLBACK MainProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        const HWND tab = ::GetDlgItem(dialog, IDC_TAB_PAGES);
        for (const int page : {IDD_PAGE_SETUP, IDD_PAGE_PRINTER, IDD_PAGE_SCALE})
            ::CreateDialogParamW(instance, MAKEINTRESOURCEW(page), tab, PageProc, 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_BTN_CLOSE) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX controls {sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ZANTORPOSTEST_DIALOG), nullptr, MainProc, 0);
    return 0;
}
