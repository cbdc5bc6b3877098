#include "escpos/text_decoder.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <mutex>

namespace zsim::escpos {

namespace {

// One conversion, through a descriptor the caller keeps open: opening one
// loads a conversion module from disk, far too slow to do per character.
bool convertToUtf32(iconv_t cd, const uint8_t* in, size_t n, char32_t& out) {
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in));
    size_t srcLeft = n;
    uint8_t buf[8] = {};
    char* dst = reinterpret_cast<char*>(buf);
    size_t dstLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    if (rc != static_cast<size_t>(-1)) rc = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0 || dstLeft != 4) return false;
    out = static_cast<char32_t>(buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<uint32_t>(buf[3]) << 24));
    return true;
}

// GB18030 two-byte decoding is done once into a table: iconv per character
// would dominate the time of a Chinese receipt.
const std::array<char32_t, 126 * 191>& gbTable() {
    static const auto table = [] {
        std::array<char32_t, 126 * 191> t{};
        iconv_t cd = iconv_open("UTF-32LE", "GB18030");
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                char32_t& slot = t[(lead - 0x81) * 191 + (trail - 0x40)];
                if (trail == 0x7F || cd == reinterpret_cast<iconv_t>(-1)) continue;
                uint8_t in[2] = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
                char* src = reinterpret_cast<char*>(in);
                size_t srcLeft = 2;
                uint8_t buf[4] = {};
                char* dst = reinterpret_cast<char*>(buf);
                size_t dstLeft = 4;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && dstLeft == 0)
                    slot = static_cast<char32_t>(buf[0] | (buf[1] << 8) | (buf[2] << 16) |
                                                 (static_cast<uint32_t>(buf[3]) << 24));
            }
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        return t;
    }();
    return table;
}

}  // namespace

int gbSequenceLength(const uint8_t* s, size_t n) {
    if (n == 0) return -1;
    if (s[0] < 0x81 || s[0] > 0xFE) return 0;
    if (n < 2) return -1;
    if (s[1] >= 0x40 && s[1] <= 0xFE && s[1] != 0x7F) return 2;
    if (s[1] < 0x30 || s[1] > 0x39) return 0;
    if (n < 3) return -1;
    if (s[2] < 0x81 || s[2] > 0xFE) return 0;
    if (n < 4) return -1;
    return s[3] >= 0x30 && s[3] <= 0x39 ? 4 : 0;
}

bool decodeGb(const uint8_t* s, size_t n, char32_t& out) {
    if (n == 2) {
        out = gbTable()[(s[0] - 0x81) * 191 + (s[1] - 0x40)];
        return out != 0;
    }
    if (n != 4) return false;
    static std::mutex mutex;
    static const iconv_t cd = iconv_open("UTF-32LE", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::lock_guard<std::mutex> lock(mutex);
    return convertToUtf32(cd, s, 4, out);
}

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

}  // namespace zsim::escpos
