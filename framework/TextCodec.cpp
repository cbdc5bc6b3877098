#include "TextCodec.h"

#include <windows.h>

std::wstring Widen(std::string_view gbk)
{
    if (gbk.empty())
        return {};
    const int length = static_cast<int>(gbk.size());
    const int needed = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, wide.data(), needed);
    return wide;
}

std::string Narrow(std::wstring_view utf16)
{
    if (utf16.empty())
        return {};
    const int length = static_cast<int>(utf16.size());
    const int needed = WideCharToMultiByte(kGbkCodePage, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string narrow(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(kGbkCodePage, 0, utf16.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}
