#include "Seams.h"

#include "Library.h"
#include "TextCodec.h"
#include "WinApp.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace {

const char kApplicationTitle[] = "ZantorPosTest";

int RealMessageBox(HWND owner, const std::string& text, const char* caption, UINT type)
{
    const std::wstring wideText = Widen(text);
    if (!caption)
        return ::MessageBoxW(owner, wideText.c_str(), nullptr, type);
    return ::MessageBoxW(owner, wideText.c_str(), Widen(caption).c_str(), type);
}

// Loaded on first use and kept for the life of the process.
const CLibrary& LoadedOnce(CLibrary& library, const wchar_t* name)
{
    if (!library.IsLoaded())
        library.Load(name);
    return library;
}

const CLibrary& Comdlg32()
{
    static CLibrary library;
    return LoadedOnce(library, L"comdlg32.dll");
}

const CLibrary& Shell32()
{
    static CLibrary library;
    return LoadedOnce(library, L"shell32.dll");
}

bool RealOpenFile(HWND owner, const std::string& filter, std::string& path)
{
    const auto getOpenFileName = Comdlg32().GetProc<BOOL(WINAPI*)(OPENFILENAMEW*)>("GetOpenFileNameW");
    if (!getOpenFileName)
        return false;

    // "name|pattern||" becomes the NUL-separated, doubly terminated list the dialog wants.
    std::wstring wideFilter = Widen(filter);
    for (wchar_t& c : wideFilter) {
        if (c == L'|')
            c = L'\0';
    }
    wideFilter.push_back(L'\0');

    std::vector<wchar_t> file(32768, L'\0'); // the longest path Windows can name
    OPENFILENAMEW ofn {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = wideFilter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!getOpenFileName(&ofn))
        return false;
    path = Narrow(file.data());
    return true;
}

void RealShellOpen(HWND owner, const std::string& verb, const std::string& file, int show)
{
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    if (const auto shellExecute = Shell32().GetProc<ShellExecuteFn>("ShellExecuteW"))
        shellExecute(owner, Widen(verb).c_str(), Widen(file).c_str(), nullptr, nullptr, show);
}

// A dialog given no owner would leave the window under it taking clicks: a second print, a
// second dialog, closing the program under a running dialog. It is owned by the main window
// instead, which the dialog disables while it is up.
HWND OwnerOrMainWindow(HWND owner)
{
    if (owner)
        return owner;
    const CWinApp* app = AfxGetApp();
    return app && ::IsWindow(app->m_hMainWnd) ? app->m_hMainWnd : nullptr;
}

} // namespace

Seams RealSeams()
{
    return Seams {RealMessageBox, RealOpenFile, RealShellOpen};
}

Seams& CurrentSeams()
{
    static Seams seams = RealSeams();
    return seams;
}

int ShowMessageBox(HWND owner, const std::string& text, const char* caption, UINT type)
{
    return CurrentSeams().messageBox(owner, text, caption, type);
}

int AfxMessageBox(const std::string& text, UINT type)
{
    // A bare OK box would show no symbol at all; the application's boxes show the exclamation mark.
    if ((type & MB_ICONMASK) == 0 && (type & MB_TYPEMASK) == MB_OK)
        type |= MB_ICONEXCLAMATION;
    return ShowMessageBox(::GetActiveWindow(), text, kApplicationTitle, type);
}

bool AskOpenFileName(HWND owner, const std::string& filter, std::string& path)
{
    return CurrentSeams().openFile(OwnerOrMainWindow(owner), filter, path);
}

void ShellOpen(HWND owner, const std::string& verb, const std::string& file, int show)
{
    CurrentSeams().shellOpen(owner, verb, file, show);
}
