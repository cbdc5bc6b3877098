#include "Journal.h"

#include "win/Platform.h"

#include <windows.h>

#include <cstdio>

namespace journal {

const char kDefaultPath[] = "C:\\Morvane\\pos_ad_journal.log";

void Append(const std::string& path, const std::string& call, int result)
{
    const std::string& file = path.empty() ? std::string(kDefaultPath) : path;
    const runlog::Stamp t = platform::Now();
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
        t.second, t.millisecond);
    const std::string line = std::string(time) + " " + call + " = " + std::to_string(result) + "\r\n";

    const size_t slash = file.find_last_of("\\/");
    if (slash != std::string::npos && slash > 2)
        platform::MakeFolders(file.substr(0, slash));
    const HANDLE handle = ::CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(handle);
}

std::string Hex(const char* bytes, int length)
{
    if (!bytes)
        return "NULL";
    std::string hex;
    for (int i = 0; i < length; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", static_cast<unsigned char>(bytes[i]));
        hex += pair;
    }
    return "[" + hex + "]";
}

} // namespace journal
