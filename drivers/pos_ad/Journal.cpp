#include "Journal.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

namespace journal {
namespace {

const char kSettingsFile[] = "C:\\Morvane\\scales.ini";
const char kDefaultJournal[] = "C:\\Morvane\\pos_ad_journal.log";

std::mutex g_mutex;
std::string g_path;
bool g_pathRead = false;

std::string ReadJournalSetting()
{
    std::string value(MAX_PATH * 4, '\0');
    const DWORD length = ::GetPrivateProfileStringA("PosAdDll", "Journal", kDefaultJournal, value.data(),
                                                    static_cast<DWORD>(value.size()), kSettingsFile);
    value.resize(length);
    return value;
}

void CreateParentFolder(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos || slash < 3)
        return;
    for (size_t pos = path.find_first_of("\\/", 3); pos != std::string::npos && pos <= slash;
         pos = path.find_first_of("\\/", pos + 1))
        ::CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
}

std::string LocalTime()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

} // namespace

std::string Path()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_pathRead) {
        g_path = ReadJournalSetting();
        g_pathRead = true;
    }
    return g_path;
}

void Reload()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_pathRead = false;
}

void Append(const std::string& call, int result)
{
    const std::string path = Path();
    if (path.empty())
        return;
    const std::string line = LocalTime() + " " + call + " = " + std::to_string(result) + "\r\n";

    std::lock_guard<std::mutex> lock(g_mutex);
    CreateParentFolder(path);
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string Quote(const char* text)
{
    if (!text)
        return "NULL";
    std::string quoted = "\"";
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        switch (c) {
        case '\\': quoted += "\\\\"; break;
        case '"':  quoted += "\\\""; break;
        case '\r': quoted += "\\r"; break;
        case '\n': quoted += "\\n"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                quoted += escaped;
            } else {
                quoted += static_cast<char>(c);  // GBK stays GBK: the journal is read as the program's text
            }
        }
    }
    return quoted + "\"";
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
