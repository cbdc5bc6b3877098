// The windows a program puts in front of its main window while a button's handler waits on the
// user: message boxes and the file-open dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct ModalWindow {
    HWND window = nullptr;
    bool fileDialog = false;
    std::wstring caption;
    std::wstring text; // a message box's text; empty for the file dialog
};

// The modal window the program's user-interface thread shows now, if any.
std::optional<ModalWindow> FindModalWindow(DWORD uiThread, HWND mainWindow);
// The OK button of a message box (also ends a box without one, as Escape would).
bool PressOk(const ModalWindow& modal);
// Types the path into the file dialog's name field and opens it.
bool OpenInFileDialog(const ModalWindow& modal, const std::wstring& path);
// Cancels the file dialog.
bool CancelFileDialog(const ModalWindow& modal);
// Waits until the window is gone, at most boundMs.
bool WaitGone(HWND window, unsigned boundMs);
