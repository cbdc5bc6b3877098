// Barcodes: EAN-13 where the digits are a valid EAN-13 number, CODE128 (code set C) otherwise.
#pragma once

#include "Bytes.h"

namespace barcode {

enum class Symbology { Ean13, Code128 };

// 12 digits (the printer adds the check digit) or 13 digits whose last is the right check digit.
Symbology Choose(std::string_view digits);
bool Ean13CheckDigitValid(std::string_view thirteenDigits);

// The bytes of a CODE128 symbol for GS k 73: "{C" and one byte (0..99) per digit pair; an odd count
// starts with the first digit in code set B.
std::string Code128Data(std::string_view digits);
// Modules of the whole symbol, quiet zones included.
int Code128Modules(std::string_view digits);

// Centred barcode: moduleWidth 1..6 dots (GS w), height 1..255 dots (GS h), text position 0..3
// (GS H: none, above, below, both). Only digits are accepted, and the symbol must fit the paper.
Encoded Encode(std::string_view digits, int moduleWidth, int height, int textPosition, int paperWidthDots);

} // namespace barcode
