#include "EscPos.h"

#include <algorithm>

namespace escpos {

namespace {
constexpr int kTextLineDots = 24;
}

int LinePitch(int lineSpaceSetting)
{
    const long long pitch = static_cast<long long>(kTextLineDots) + lineSpaceSetting;
    return static_cast<int>(std::clamp<long long>(pitch, 0, 255));
}

Bytes Initialize(int lineSpaceSetting)
{
    return {ESC, '@', ESC, '3', static_cast<uint8_t>(LinePitch(lineSpaceSetting)), FS, '&'};
}

Encoded Text(std::string_view text)
{
    if (text.size() > kMaxTextBytes)
        return Encoded::Fail(
            "text of " + std::to_string(text.size()) + " bytes is longer than " + std::to_string(kMaxTextBytes));
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.remove_suffix(2);
    else if (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);

    Encoded out;
    out.bytes.reserve(text.size() + 1);
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            out.bytes.push_back(LF);
        } else if (c < 0x20 && c != '\t' && c != '\n') {
            out.bytes.push_back(' ');
        } else {
            // GBK trail bytes are 0x40..0xFE, so no byte of a Chinese character is touched above.
            out.bytes.push_back(c);
        }
    }
    out.bytes.push_back(LF);
    return out;
}

Encoded Feed(int lines)
{
    if (lines < 0 || lines > 255)
        return Encoded::Fail("line count " + std::to_string(lines) + " is outside 0..255");
    Encoded out;
    out.bytes = {ESC, 'd', static_cast<uint8_t>(lines)};
    return out;
}

Bytes Cut()
{
    return {GS, 'V', 66, 0};
}

Bytes DrawerPulse()
{
    return {ESC, 'p', 0, 50, 250};
}

Bytes DrawerStatusRequest()
{
    return {DLE, EOT, 1};
}

bool IsPrinterStatus(uint8_t status)
{
    return (status & 0x93) == 0x12;
}

bool DrawerOpen(uint8_t status, bool openWhenHigh)
{
    const bool high = (status & 0x04) != 0;
    return high == openWhenHigh;
}

} // namespace escpos
