// The program keeps every text as narrow GBK (code page 936), as the device library and the
// settings file expect. The window system is driven through its wide API, so these two helpers
// are the one place where text changes encoding, and the window shows the right glyphs whatever
// the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

constexpr unsigned kGbkCodePage = 936;

std::wstring Widen(std::string_view gbk);
std::string Narrow(std::wstring_view utf16);
