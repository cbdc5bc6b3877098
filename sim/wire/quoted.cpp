#include "wire/quoted.h"

#include <cstdio>

#include "escpos/text_decoder.h"

namespace zsim::wire {

namespace {

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

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
            appendUtf8(out, cp);
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
