#include "RunLogLine.h"

#include <cstdio>
#include <cstring>

namespace runlog {

std::string FileName(const Stamp& when)
{
    char name[40];
    std::snprintf(name, sizeof name, "pos_ad_%04d%02d%02d.log", when.year % 10000, when.month % 100, when.day % 100);
    return name;
}

std::string Quote(const char* text, size_t maxBytes)
{
    if (!text)
        return "NULL";
    const size_t length = std::strlen(text);
    const size_t shown = length > maxBytes ? maxBytes : length;
    std::string quoted = "\"";
    for (size_t i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\\': quoted += "\\\\"; break;
        case '"': quoted += "\\\""; break;
        case '\r': quoted += "\\r"; break;
        case '\n': quoted += "\\n"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
                quoted += escaped;
            } else {
                quoted += static_cast<char>(c);
            }
        }
    }
    quoted += "\"";
    if (shown < length)
        quoted += "...(" + std::to_string(length) + " bytes)";
    return quoted;
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

std::string Line(const Stamp& when, std::string_view call, std::string_view outcome, size_t bytesSent)
{
    char time[40];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d.%03d", when.year % 10000, when.month % 100,
        when.day % 100, when.hour % 100, when.minute % 100, when.second % 100, when.millisecond % 1000);
    std::string line = time;
    line += ' ';
    line += call;
    line += " -> ";
    line += outcome;
    line += "; sent " + std::to_string(bytesSent) + " bytes\r\n";
    return line;
}

} // namespace runlog
