#include "DeviceRecord.h"

#include <cstdio>
#include <cstring>

unsigned char StatusBits(const char* record)
{
    return static_cast<unsigned char>(static_cast<unsigned char>(record[0]) - 0x30);
}

std::string DeviceStatusText(unsigned char bits)
{
    std::string text = (bits & 1) ? "稳定" : "不稳定";
    text += (bits & 2) ? " 零位" : " 非零位";
    return text;
}

std::string DiagnosticLine(const char* record, size_t size)
{
    const std::string rest = size > 1 ? RecordText(record, 1, size - 1) : std::string();
    // Printed from the byte, not a widened signed char: a status below 0x30 gives two digits,
    // not FFFFFFxx.
    std::string line(rest.size() + 4, '\0');
    std::snprintf(line.data(), line.size(), "%02X,%s", static_cast<unsigned>(StatusBits(record)), rest.c_str());
    line.resize(rest.size() + 3);
    return line;
}

std::string RecordText(const char* record, size_t from, size_t count)
{
    const char* start = record + from;
    const void* nul = std::memchr(start, '\0', count);
    return std::string(start, nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : count);
}
