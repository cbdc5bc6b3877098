// A window handle with the handful of operations the pages use. Texts are GBK; the conversion to
// the wide API happens here and nowhere else in the window code.
#pragma once

#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hwnd) : m_hWnd(hwnd) { }
    virtual ~CWnd() = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND hwnd) { m_hWnd = hwnd; }

    std::string GetWindowText() const;
    void SetWindowText(const std::string& gbk) const;

    void ShowWindow(int command) const { ::ShowWindow(m_hWnd, command); }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    void EnableWindow(bool enable) const { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    void MoveWindow(int x, int y, int width, int height, bool repaint) const
    {
        ::MoveWindow(m_hWnd, x, y, width, height, repaint ? TRUE : FALSE);
    }
    void SetFont(HFONT font, bool redraw = true) const
    {
        ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    std::string GetDlgItemText(int id) const { return CWnd(GetDlgItem(id)).GetWindowText(); }
    void SetDlgItemText(int id, const std::string& gbk) const { CWnd(GetDlgItem(id)).SetWindowText(gbk); }

    RECT GetClientRect() const;
    // The window rectangle of a child, in this window's client coordinates.
    RECT GetChildRect(HWND child) const;

    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs) const { return ::SetTimer(m_hWnd, id, elapseMs, nullptr); }
    bool KillTimer(UINT_PTR id) const { return ::KillTimer(m_hWnd, id) != FALSE; }

    HWND m_hWnd = nullptr;
};
