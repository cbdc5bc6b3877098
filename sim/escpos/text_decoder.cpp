#include "escpos/text_decoder.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <map>
#include <mutex>

namespace zsim::escpos {

namespace {

// Katakana page: JIS X 0201's half-width katakana in A1..DF; the printer's
// box-drawing extras elsewhere in the upper half are not drawn.
char32_t katakana(uint8_t b) { return b >= 0xA1 && b <= 0xDF ? U'\uFF61' + (b - 0xA1) : U'?'; }

struct CodePage {
    int number;
    const char* iconvName;
    char32_t (*own)(uint8_t);
};

// The ESC t numbers of the common 80 mm printers' character code tables,
// with the iconv charset that holds each. The Thai pages differ from one
// another only in a few vowel and tone forms; TIS-620 gives their letters.
constexpr CodePage kCodePages[] = {
    {0, "CP437", nullptr},    {1, nullptr, katakana},      {2, "CP850", nullptr},        {3, "CP860", nullptr},
    {4, "CP863", nullptr},    {5, "CP865", nullptr},       {11, "CP851", nullptr},       {13, "CP857", nullptr},
    {14, "CP737", nullptr},   {15, "ISO-8859-7", nullptr}, {16, "CP1252", nullptr},      {17, "CP866", nullptr},
    {18, "CP852", nullptr},   {19, "CP858", nullptr},      {20, "TIS-620", nullptr},     {21, "TIS-620", nullptr},
    {22, "TIS-620", nullptr}, {23, "TIS-620", nullptr},    {24, "TIS-620", nullptr},     {25, "TIS-620", nullptr},
    {26, "TIS-620", nullptr}, {30, "TCVN5712-1", nullptr}, {31, "TCVN5712-1", nullptr},  {33, "CP775", nullptr},
    {34, "CP855", nullptr},   {35, "CP861", nullptr},      {36, "CP862", nullptr},       {37, "CP864", nullptr},
    {38, "CP869", nullptr},   {39, "ISO-8859-2", nullptr}, {40, "ISO-8859-15", nullptr}, {44, "CP1125", nullptr},
    {45, "CP1250", nullptr},  {46, "CP1251", nullptr},     {47, "CP1253", nullptr},      {48, "CP1254", nullptr},
    {49, "CP1255", nullptr},  {50, "CP1256", nullptr},     {51, "CP1257", nullptr},      {52, "CP1258", nullptr},
};

const CodePage* findCodePage(int page) {
    for (const CodePage& cp : kCodePages)
        if (cp.number == page) return &cp;
    return nullptr;
}

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
    // CP1255 and CP1258 hold a letter back in case a combining mark follows.
    if (rc != static_cast<size_t>(-1)) rc = iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    if (rc == static_cast<size_t>(-1) || srcLeft != 0 || dstLeft != 4) return false;
    out = static_cast<char32_t>(buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<uint32_t>(buf[3]) << 24));
    return true;
}

using Table = std::array<char32_t, 128>;

const Table* tableFor(int page) {
    static std::mutex mutex;
    static std::map<int, Table> tables;
    const CodePage* cp = findCodePage(page);
    if (!cp) return nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = tables.find(page);
    if (it != tables.end()) return &it->second;
    Table t{};
    if (cp->own) {
        for (int i = 0; i < 128; ++i) t[i] = cp->own(static_cast<uint8_t>(0x80 + i));
    } else {
        iconv_t cd = iconv_open("UTF-32LE", cp->iconvName);
        for (int i = 0; i < 128; ++i) {
            const uint8_t b = static_cast<uint8_t>(0x80 + i);
            if (cd == reinterpret_cast<iconv_t>(-1) || !convertToUtf32(cd, &b, 1, t[i])) t[i] = U'?';
        }
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
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

bool knownCodePage(int page) { return findCodePage(page) != nullptr; }

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
    if (n != 4) return false;
    static std::mutex mutex;
    static const iconv_t cd = iconv_open("UTF-32LE", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::lock_guard<std::mutex> lock(mutex);
    return convertToUtf32(cd, s, 4, out);
}

}  // namespace zsim::escpos
