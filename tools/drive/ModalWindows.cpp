#include "ModalWindows.h"

#include "WindowText.h"

#include <dlgs.h>

namespace {

// The name field of the file dialog: the explorer-style combo box, or the old-style edit field.
HWND FileNameField(HWND dialog)
{
    if (HWND combo = ::GetDlgItem(dialog, cmb13))
        return combo;
    return ::GetDlgItem(dialog, edt1);
}

std::wstring StaticTexts(HWND box)
{
    std::wstring text;
    for (HWND child : ChildrenOf(box)) {
        if (ClassOf(child) != L"Static")
            continue;
        const std::optional<std::wstring> piece = ReadWindowText(child);
        if (!piece || piece->empty())
            continue;
        if (!text.empty())
            text += L"\n";
        text += *piece;
    }
    return text;
}

} // namespace

std::optional<ModalWindow> FindModalWindow(DWORD uiThread, HWND mainWindow)
{
    for (HWND window : VisibleWindowsOfThread(uiThread)) {
        if (window == mainWindow || ClassOf(window) != L"#32770")
            continue;
        ModalWindow modal;
        modal.window = window;
        modal.caption = ReadWindowText(window).value_or(L"");
        modal.fileDialog = FileNameField(window) != nullptr;
        if (!modal.fileDialog)
            modal.text = StaticTexts(window);
        return modal;
    }
    return std::nullopt;
}

bool PressOk(const ModalWindow& modal)
{
    const WPARAM button = ::GetDlgItem(modal.window, IDOK) ? IDOK : IDCANCEL;
    return ::PostMessageW(modal.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0) != 0;
}

bool OpenInFileDialog(const ModalWindow& modal, const std::wstring& path)
{
    const HWND field = FileNameField(modal.window);
    if (!field || !WriteWindowText(field, path))
        return false;
    return ::PostMessageW(modal.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) != 0;
}

bool CancelFileDialog(const ModalWindow& modal)
{
    return ::PostMessageW(modal.window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0) != 0;
}

bool WaitGone(HWND window, unsigned boundMs)
{
    for (unsigned waited = 0; ::IsWindow(window); waited += 20) {
        if (waited >= boundMs)
            return false;
        ::Sleep(20);
    }
    return true;
}
