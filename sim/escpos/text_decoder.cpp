#include "escpos/text_decoder.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <map>
#include <mutex>

namespace zsim::escpos {

namespace {

const char* codePageName(int page) {
    switch (page) {
    case 0: return "CP437";
    case 2: return "CP850";
    case 3: return "CP860";
    case 4: return "CP863";
    case 5: return "CP865";
    case 16: return "CP1252";
    case 17: return "CP866";
    case 18: return "CP852";
    case 19: return "CP858";
    case 45: return "CP1250";
    case 46: return "CP1251";
    case 47: return "CP1253";
    case 48: return "CP1254";
    case 50: return "CP1257";
    default: return nullptr;
    }
}

bool convertToUtf32(const char* from, const uint8_t* in, size_t n, char32_t& out) {
    iconv_t cd = iconv_open("UTF-32LE", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in));
    size_t srcLeft = n;
    uint8_t buf[8] = {};
    char* dst = reinterpret_cast<char*>(buf);
    size_t dstLeft = sizeof buf;
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0 || dstLeft != 4) return false;
    out = static_cast<char32_t>(buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<uint32_t>(buf[3]) << 24));
    return true;
}

using Table = std::array<char32_t, 128>;

const Table* tableFor(int page) {
    static std::mutex mutex;
    static std::map<int, Table> tables;
    const char* name = codePageName(page);
    if (!name) return nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = tables.find(page);
    if (it != tables.end()) return &it->second;
    Table t{};
    for (int i = 0; i < 128; ++i) {
        const uint8_t b = static_cast<uint8_t>(0x80 + i);
        if (!convertToUtf32(name, &b, 1, t[i])) t[i] = U'?';
    }
    return &tables.emplace(page, t).first->second;
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

bool knownCodePage(int page) { return codePageName(page) != nullptr; }

bool codePageChar(int page, uint8_t b, char32_t& out) {
    if (b < 0x80) {
        out = b;
        return true;
    }
    const Table* t = tableFor(page);
    if (!t) return false;
    out = (*t)[b - 0x80];
    return true;
}

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
    return n == 4 && convertToUtf32("GB18030", s, 4, out);
}

}  // namespace zsim::escpos
