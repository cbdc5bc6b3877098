#include "Wnd.h"

#include "TextCodec.h"

std::string CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return Narrow(text);
}

void CWnd::SetWindowText(const std::string& gbk) const
{
    ::SetWindowTextW(m_hWnd, Widen(gbk).c_str());
}

RECT CWnd::GetClientRect() const
{
    RECT rect {};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetChildRect(HWND child) const
{
    RECT rect {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
