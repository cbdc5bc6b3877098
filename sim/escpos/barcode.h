// GS k: from the printer's symbology numbers and data to bar modules.
// libzint does the encoding; this file only maps ESC/POS conventions
// (start/stop characters in the data, code set prefixes, check digits that
// the host may or may not send) onto what libzint expects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zsim::escpos {

// In GS k order: m = 65 + the value (0..6 also name the first seven).
enum class Symbology : uint8_t {
    UpcA,
    UpcE,
    Ean13,
    Ean8,
    Code39,
    Itf,
    Codabar,
    Code93,
    Code128,
    Gs1_128,
    DataBar,
    DataBarTruncated,
    DataBarLimited,
    DataBarExpanded,
    Code128Auto,
    Unsupported
};

// m as sent in GS k: 0..6 (NUL-terminated form) or 65..79.
Symbology symbologyFromGsK(uint8_t m);
const char* symbologyName(Symbology s);

struct BarcodeModules {
    bool ok = false;
    std::string error;               // why nothing can be printed
    std::vector<std::string> notes;  // printed, but not exactly as sent
    std::vector<uint8_t> modules;    // one entry per module, 1 = bar
    std::string hri;                 // human-readable line, UTF-8
    std::string text;                // what a reader returns: the data as encoded
};

BarcodeModules encodeBarcode(Symbology s, const std::vector<uint8_t>& data);

// UPC-A (number system, 10 digits, optional check) to the six UPC-E digits;
// false if the number has no zero-suppressed form.
bool suppressUpcZeros(const std::string& upcA, std::string& upcE6);
int gtinCheckDigit(const std::string& digitsWithoutCheck);

}  // namespace zsim::escpos
