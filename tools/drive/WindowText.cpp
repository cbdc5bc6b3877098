#include "WindowText.h"

std::optional<LRESULT> SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned boundMs)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, boundMs, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

std::optional<std::wstring> ReadWindowText(HWND window, unsigned boundMs)
{
    const std::optional<LRESULT> length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0, boundMs);
    if (!length)
        return std::nullopt;
    // The text may grow between the two messages; the second one says what it copied.
    std::wstring text(static_cast<size_t>(*length) + 64, L'\0');
    const std::optional<LRESULT> copied = SendBounded(
        window, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()), boundMs);
    if (!copied)
        return std::nullopt;
    text.resize(static_cast<size_t>(*copied));
    return text;
}

bool WriteWindowText(HWND window, const std::wstring& text, unsigned boundMs)
{
    return SendBounded(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), boundMs).has_value();
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

namespace {

BOOL CALLBACK TakeVisible(HWND window, LPARAM list)
{
    if (::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> VisibleWindowsOfThread(DWORD threadId)
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(threadId, &TakeVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ChildrenOf(HWND window)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}
