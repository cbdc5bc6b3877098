#include "PrinterList.h"

#include "framework/TextCodec.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <new>

namespace {

const DWORD kEnumFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
const DWORD kInfoLevel = 2;
// A printer added between sizing the list and reading it makes the buffer short; a few fresh
// tries cover that without looping on a list that never settles.
const int kEnumAttempts = 3;

} // namespace

bool EnumPrinterNames(std::vector<std::string>& names)
{
    names.clear();
    for (int attempt = 0; attempt < kEnumAttempts; ++attempt) {
        DWORD needed = 0;
        DWORD count = 0;
        if (::EnumPrintersW(kEnumFlags, nullptr, kInfoLevel, nullptr, 0, &needed, &count))
            return true; // nothing installed
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;

        std::vector<BYTE> buffer;
        try {
            buffer.assign(static_cast<size_t>(needed) + 4, 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!::EnumPrintersW(kEnumFlags, nullptr, kInfoLevel, buffer.data(), needed, &needed, &count)) {
            if (::GetLastError() == ERROR_INSUFFICIENT_BUFFER)
                continue;
            return false;
        }
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            names.push_back(info[i].pPrinterName ? Narrow(info[i].pPrinterName) : std::string());
        return true;
    }
    return false;
}

bool FindPrinter(const std::string& name)
{
    std::vector<std::string> names;
    if (!EnumPrinterNames(names))
        return false;
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string DefaultPrinterName()
{
    // The entry holds a printer name, a driver and a port, each of any length; grow until the
    // whole entry fits.
    std::wstring entry(256, L'\0');
    for (;;) {
        const DWORD copied =
            ::GetProfileStringW(L"windows", L"device", L",,,", entry.data(), static_cast<DWORD>(entry.size()));
        if (copied + 1 < entry.size() || entry.size() >= (1u << 20)) {
            entry.resize(copied);
            break;
        }
        entry.assign(entry.size() * 2, L'\0');
    }
    return FirstProfileField(Narrow(entry));
}

std::string FirstProfileField(const std::string& entry)
{
    // A comma is never the second byte of a GBK character, so a byte search is safe.
    const size_t start = entry.find_first_not_of(',');
    if (start == std::string::npos)
        return {};
    const size_t end = entry.find(',', start);
    return entry.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
