#include "PortSettings.h"

#include <cstring>

namespace {

// Digits from text[pos] on, no leading zero, at most maxDigits, value within [low, high].
bool ReadNumber(const char* text, size_t& pos, size_t maxDigits, unsigned low, unsigned high, unsigned& value)
{
    const size_t start = pos;
    unsigned long long n = 0;
    while (text[pos] >= '0' && text[pos] <= '9') {
        if (pos - start == maxDigits)
            return false;
        n = n * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
    }
    if (pos == start || text[start] == '0' || n < low || n > high)
        return false;
    value = static_cast<unsigned>(n);
    return true;
}

bool IsLetter(char c, char upper)
{
    return c == upper || c == static_cast<char>(upper - 'A' + 'a');
}

} // namespace

std::string PortSettings::DeviceName() const
{
    return "\\\\.\\COM" + std::to_string(number);
}

std::optional<PortSettings> ParsePortSettings(const char* text)
{
    if (!text || !IsLetter(text[0], 'C') || !IsLetter(text[1], 'O') || !IsLetter(text[2], 'M'))
        return std::nullopt;
    size_t pos = 3;
    unsigned number = 0, baud = 0;
    if (!ReadNumber(text, pos, 3, 1, 255, number) || text[pos] != ':')
        return std::nullopt;
    ++pos;
    if (!ReadNumber(text, pos, 6, 110, 921600, baud) || text[pos] != '\0')
        return std::nullopt;
    return PortSettings {static_cast<int>(number), baud};
}
