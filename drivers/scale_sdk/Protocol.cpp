#include "Protocol.h"

#include <vector>

namespace scale_protocol {
namespace {

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

bool IsDigits(const std::string& text, size_t from, size_t to, size_t maxCount)
{
    if (to <= from || to - from > maxCount)
        return false;
    for (size_t i = from; i < to; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}

// "-"? 1-6 digits, then optionally "." and 1-4 digits.
bool IsWeight(const std::string& text)
{
    const size_t start = (!text.empty() && text[0] == '-') ? 1 : 0;
    const size_t dot = text.find('.', start);
    if (dot == std::string::npos)
        return IsDigits(text, start, text.size(), 6);
    return IsDigits(text, start, dot, 6) && IsDigits(text, dot + 1, text.size(), 4);
}

bool IsReading(const std::vector<std::string>& f)
{
    return f.size() == 7 && f[0] == "W" && (f[1] == "S" || f[1] == "U" || f[1] == "F") &&
        (f[2] == "Z" || f[2] == "N") && (f[3] == "kg" || f[3] == "g" || f[3] == "lb") && IsWeight(f[4]) &&
        IsWeight(f[5]) && IsWeight(f[6]);
}

bool IsCommandLetter(const std::string& field)
{
    return field.size() == 1 && field[0] >= 'A' && field[0] <= 'Z';
}

} // namespace

Line Classify(const std::string& line)
{
    const std::vector<std::string> f = Fields(line);
    if (IsReading(f))
        return Line {LineKind::Reading, 0};
    if (f[0] == "A" && f.size() == 2 && IsCommandLetter(f[1]))
        return Line {LineKind::Accepted, f[1][0]};
    if (f[0] == "N" && f.size() >= 2 && IsCommandLetter(f[1]))
        return Line {LineKind::Refused, f[1][0]};
    return Line {};
}

std::string CommandLine(char letter, const std::string& argument)
{
    std::string line(1, letter);
    if (!argument.empty())
        line += "," + argument;
    return line + "\r\n";
}

void LineAssembler::Feed(const char* data, size_t size, const std::function<void(const std::string&)>& onLine)
{
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\n') {
            if (!m_line.empty() && m_line.back() == '\r')
                m_line.pop_back();
            if (!m_spoiled)
                onLine(m_line);
            m_line.clear();
            m_spoiled = false;
            continue;
        }
        if (m_spoiled)
            continue;
        // A CR is only allowed as the last character; anything after it spoils the line.
        const bool afterCr = !m_line.empty() && m_line.back() == '\r';
        const bool printable = c >= 0x20 && c <= 0x7E;
        const bool tooLong = c != '\r' && m_line.size() >= kMaxLineLength;
        if (afterCr || (!printable && c != '\r') || tooLong) {
            m_spoiled = true;
            m_line.clear();
            continue;
        }
        m_line += static_cast<char>(c);
    }
}

} // namespace scale_protocol
