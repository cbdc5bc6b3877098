#include "wire/quoted.h"

#include <cstdio>

#include "escpos/text_decoder.h"

namespace zsim::wire {

namespace {

void appendEscaped(std::string& out, uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", b);
    out += text;
}

}  // namespace

std::string quoted(const uint8_t* p, size_t n, size_t maxChars) {
    std::string out = "\"";
    size_t chars = 0;
    for (size_t i = 0; i < n; ++chars) {
        if (chars == maxChars) {
            out += "…";
            break;
        }
        const uint8_t b = p[i];
        if (b >= 0x20 && b < 0x7F) {
            if (b == '"' || b == '\\') out += '\\';
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const int len = b >= 0x81 && b <= 0xFE ? escpos::gbSequenceLength(p + i, n - i) : 0;
        char32_t cp = 0;
        if (len > 0 && escpos::decodeGb(p + i, static_cast<size_t>(len), cp)) {
            escpos::appendUtf8(out, cp);
            i += static_cast<size_t>(len);
            continue;
        }
        appendEscaped(out, b);
        ++i;
    }
    return out + "\"";
}

size_t unfinishedGbk(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n;) {
        if (p[i] < 0x81 || p[i] > 0xFE) {
            ++i;
            continue;
        }
        const int len = escpos::gbSequenceLength(p + i, n - i);
        if (len < 0) return n - i;
        i += len > 0 ? static_cast<size_t>(len) : 1;
    }
    return 0;
}

}  // namespace zsim::wire
