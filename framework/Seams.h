// The three places where the program waits on the user or hands work to the shell. Each goes
// through one replaceable function, so a test records the request instead of blocking on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// caption == nullptr: the box gets the system's default caption.
using MessageBoxHook = std::function<int(HWND owner, const std::string& text, const char* caption, UINT type)>;
// filter in the "name|pattern||" form; returns false when the user cancels.
using OpenFileHook = std::function<bool(HWND owner, const std::string& filter, std::string& path)>;
using ShellOpenHook = std::function<void(HWND owner, const std::string& verb, const std::string& file, int show)>;

struct Seams {
    MessageBoxHook messageBox;
    OpenFileHook openFile;
    ShellOpenHook shellOpen;
};

// The hooks in force; the defaults call the real dialogs and the shell. Replaced only by tests.
Seams& CurrentSeams();
Seams RealSeams();

int ShowMessageBox(HWND owner, const std::string& text, const char* caption, UINT type);
// The application's message box: the program's name as caption, owned by the active window; an
// OK box given no icon gets the exclamation mark.
int AfxMessageBox(const std::string& text, UINT type = MB_OK);
// The modal file-open dialog; without an owner it is owned by the application's main window.
bool AskOpenFileName(HWND owner, const std::string& filter, std::string& path);
void ShellOpen(HWND owner, const std::string& verb, const std::string& file, int show);
