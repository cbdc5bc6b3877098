#include "TextUtils.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

bool IsGbkLeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

// Position of the first sep in text at or after from that starts on a character boundary.
size_t FindAtBoundary(const std::string& text, const std::string& sep, size_t from)
{
    size_t i = from;
    while (i + sep.size() <= text.size()) {
        if (text.compare(i, sep.size(), sep) == 0)
            return i;
        const bool doubleByte = IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += doubleByte ? 2 : 1;
    }
    return std::string::npos;
}

} // namespace

std::vector<std::string> SplitText(const std::string& text, const std::string& sep)
{
    if (sep.empty())
        return {text};

    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t found; (found = FindAtBoundary(text, sep, start)) != std::string::npos; start = found + sep.size())
        fields.push_back(text.substr(start, found - start));

    if (fields.empty() || start < text.size())
        fields.push_back(text.substr(start));
    return fields;
}

std::string FormatFileVersion(std::uint32_t versionMS, std::uint32_t versionLS)
{
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(HIWORD(versionMS)),
        static_cast<unsigned>(LOWORD(versionMS)), static_cast<unsigned>(HIWORD(versionLS)),
        static_cast<unsigned>(LOWORD(versionLS)));
    return text;
}

std::string GetFileVersionText()
{
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */);
    if (!found)
        return {};
    const HGLOBAL loaded = ::LoadResource(module, found);
    const auto* data = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
    const DWORD size = ::SizeofResource(module, found);

    // VS_VERSIONINFO: three WORDs, the key L"VS_VERSION_INFO", padding to 32 bits, then the
    // fixed part. Find it by its signature rather than trusting the layout arithmetic.
    for (DWORD offset = 0; data && offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
        VS_FIXEDFILEINFO info;
        std::memcpy(&info, data + offset, sizeof info);
        if (info.dwSignature == 0xFEEF04BD)
            return FormatFileVersion(info.dwFileVersionMS, info.dwFileVersionLS);
    }
    return {};
}
