// The driver speaks UTF-8 to the Linux side (command line output, test messages) and UTF-16 to
// the windows it drives.
#pragma once

#include <string>

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8Text(const std::string& text);
