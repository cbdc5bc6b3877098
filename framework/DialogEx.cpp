#include "DialogEx.h"

CDialogEx::~CDialogEx()
{
    DestroyWindow();
}

void CDialogEx::DestroyWindow()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

INT_PTR CDialogEx::DoModal(HWND parent)
{
    m_modal = true;
    const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
        &CDialogEx::DialogProc, reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

bool CDialogEx::Create(HWND parent)
{
    m_modal = false;
    const HWND hwnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), parent,
        &CDialogEx::DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

void CDialogEx::EndDialog(int result)
{
    if (m_modal)
        ::EndDialog(m_hWnd, result);
}

BOOL CDialogEx::OnInitDialog()
{
    DoDataExchange();
    return TRUE;
}

bool CDialogEx::OnCommand(int id, int notifyCode)
{
    if (notifyCode != BN_CLICKED)
        return false;
    switch (id) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    default: return false;
    }
}

void CDialogEx::OnOK()
{
    EndDialog(IDOK);
}

void CDialogEx::OnCancel()
{
    EndDialog(IDCANCEL);
}

INT_PTR CDialogEx::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_TIMER: OnTimer(static_cast<UINT_PTR>(wParam)); return TRUE;
    case WM_SIZE: OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return FALSE;
    case WM_DESTROY: OnDestroy(); return FALSE;
    default: (void)lParam; return FALSE;
    }
}

INT_PTR CALLBACK CDialogEx::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialogEx* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialogEx*>(lParam);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialogEx*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;

    if (message == WM_NCDESTROY) {
        // Nothing may reach the object once its window is gone.
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }

    // An exception must never unwind through the window manager.
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}
