#include "Barcode.h"

#include "EscPos.h"

namespace barcode {

namespace {

constexpr int kEan13Modules = 95 + 11 + 7; // bars and the two quiet zones
constexpr int kQuietModules = 10;
constexpr int kSymbolModules = 11;
constexpr int kStopModules = 13;

bool AllDigits(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

bool Ean13CheckDigitValid(std::string_view digits)
{
    if (digits.size() != 13 || !AllDigits(digits))
        return false;
    int sum = 0;
    for (size_t i = 0; i < 12; ++i)
        sum += (digits[i] - '0') * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10 == digits[12] - '0';
}

Symbology Choose(std::string_view digits)
{
    if (AllDigits(digits) && (digits.size() == 12 || Ean13CheckDigitValid(digits)))
        return Symbology::Ean13;
    return Symbology::Code128;
}

std::string Code128Data(std::string_view digits)
{
    std::string data;
    if (digits.size() % 2) {
        data = "{B";
        data += digits.front();
        digits.remove_prefix(1);
    }
    if (!digits.empty()) {
        // In code set C a printer reads each byte as one code value 0..99, not as characters.
        data += "{C";
        for (size_t i = 0; i + 1 < digits.size(); i += 2)
            data += static_cast<char>((digits[i] - '0') * 10 + (digits[i + 1] - '0'));
    }
    return data;
}

int Code128Modules(std::string_view digits)
{
    // start, [one digit in B, switch to C], pairs, check symbol
    const int symbols = 1 + static_cast<int>(digits.size() % 2) * 2 + static_cast<int>(digits.size() / 2) + 1;
    return kQuietModules * 2 + symbols * kSymbolModules + kStopModules;
}

Encoded Encode(std::string_view digits, int moduleWidth, int height, int textPosition, int paperWidthDots)
{
    if (digits.empty())
        return Encoded::Fail("barcode text is empty");
    if (!AllDigits(digits))
        return Encoded::Fail("barcode text has a character that is not a digit");
    if (moduleWidth < 1 || moduleWidth > 6)
        return Encoded::Fail("module width " + std::to_string(moduleWidth) + " is outside 1..6");
    if (height < 1 || height > 255)
        return Encoded::Fail("barcode height " + std::to_string(height) + " is outside 1..255");
    if (textPosition < 0 || textPosition > 3)
        return Encoded::Fail("text position " + std::to_string(textPosition) + " is outside 0..3");

    const Symbology symbology = Choose(digits);
    const long long modules = symbology == Symbology::Ean13 ? kEan13Modules : Code128Modules(digits);
    if (modules * moduleWidth > paperWidthDots)
        return Encoded::Fail("barcode of " + std::to_string(digits.size()) + " digits is " +
            std::to_string(modules * moduleWidth) + " dots wide, the paper " + std::to_string(paperWidthDots));

    using namespace escpos;
    Encoded out;
    Append(out.bytes,
        {ESC, 'a', 1, GS, 'H', static_cast<uint8_t>(textPosition), GS, 'h', static_cast<uint8_t>(height), GS, 'w',
            static_cast<uint8_t>(moduleWidth)});
    if (symbology == Symbology::Ean13) {
        Append(out.bytes, {GS, 'k', 67, 12});
        Append(out.bytes, digits.substr(0, 12));
    } else {
        const std::string data = Code128Data(digits);
        if (data.size() > 255)
            return Encoded::Fail("barcode of " + std::to_string(digits.size()) + " digits is too long for GS k");
        Append(out.bytes, {GS, 'k', 73, static_cast<uint8_t>(data.size())});
        Append(out.bytes, data);
    }
    Append(out.bytes, {ESC, 'a', 0});
    return out;
}

} // namespace barcode
