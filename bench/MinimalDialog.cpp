// The smallest dialog program we can write with the same toolchain and flags: the yardstick for
// the tool's start-up time.
#include <windows.h>

namespace {

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ::DialogBoxParamW(instance, MAKEINTRESOURCEW(100), nullptr, Proc, 0);
    return 0;
}
