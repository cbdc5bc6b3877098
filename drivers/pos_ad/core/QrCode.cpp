#include "QrCode.h"

#include "EscPos.h"

namespace qr {

namespace {

// Data codewords of versions 1..40 at error correction level M (ISO/IEC 18004, table 7).
constexpr int kDataCodewordsM[40] = {16, 28, 44, 64, 86, 108, 124, 154, 182, 216, 254, 290, 334, 365, 415, 453, 507,
    563, 627, 669, 714, 782, 860, 914, 1000, 1062, 1128, 1193, 1267, 1373, 1455, 1541, 1631, 1725, 1812, 1914, 1992,
    2102, 2216, 2334};

} // namespace

int SmallestVersion(size_t dataBytes)
{
    for (int version = 1; version <= 40; ++version) {
        const size_t countBits = version < 10 ? 8 : 16;
        const size_t bits = 4 + countBits + 8 * dataBytes;
        if (bits <= static_cast<size_t>(kDataCodewordsM[version - 1]) * 8)
            return version;
    }
    return 0;
}

Encoded Encode(std::string_view data, int moduleSize, int paperWidthDots)
{
    if (data.empty())
        return Encoded::Fail("QR text is empty");
    if (moduleSize < 1 || moduleSize > 16)
        return Encoded::Fail("QR module size " + std::to_string(moduleSize) + " is outside 1..16");
    const int version = SmallestVersion(data.size());
    if (version == 0)
        return Encoded::Fail("QR text of " + std::to_string(data.size()) + " bytes is more than a QR code holds");
    const int dots = SymbolModules(version) * moduleSize;
    if (dots > paperWidthDots)
        return Encoded::Fail("QR text of " + std::to_string(data.size()) + " bytes needs version " +
            std::to_string(version) + ", " + std::to_string(dots) + " dots wide, the paper " +
            std::to_string(paperWidthDots));

    using namespace escpos;
    const size_t storeLength = data.size() + 3;
    Encoded out;
    Append(out.bytes, {ESC, 'a', 1});
    Append(out.bytes, {GS, '(', 'k', 4, 0, 49, 65, 50, 0}); // model 2
    Append(out.bytes, {GS, '(', 'k', 3, 0, 49, 67, static_cast<uint8_t>(moduleSize)}); // module size
    Append(out.bytes, {GS, '(', 'k', 3, 0, 49, 69, 49}); // level M
    Append(out.bytes,
        {GS, '(', 'k', static_cast<uint8_t>(storeLength & 0xFF), static_cast<uint8_t>(storeLength >> 8), 49, 80,
            48}); // store
    Append(out.bytes, data);
    Append(out.bytes, {GS, '(', 'k', 3, 0, 49, 81, 48}); // print
    Append(out.bytes, {ESC, 'a', 0});
    return out;
}

} // namespace qr
