// Reading and changing windows that belong to another process. Every call is a sent message with
// a time bound, so a program that hangs makes the driver fail instead of waiting with it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// What one sent message may wait for a busy program.
constexpr unsigned kSendBoundMs = 5000;

std::optional<std::wstring> ReadWindowText(HWND window, unsigned boundMs = kSendBoundMs);
bool WriteWindowText(HWND window, const std::wstring& text, unsigned boundMs = kSendBoundMs);
std::optional<LRESULT> SendBounded(
    HWND window, UINT message, WPARAM wParam, LPARAM lParam, unsigned boundMs = kSendBoundMs);
std::wstring ClassOf(HWND window);
// The visible top-level windows of one thread, in z-order.
std::vector<HWND> VisibleWindowsOfThread(DWORD threadId);
// The child controls of a window, in z-order (the template's order).
std::vector<HWND> ChildrenOf(HWND window);
