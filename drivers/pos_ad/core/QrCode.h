// QR codes through the printer's own symbol generator (GS ( k): model 2, error correction M.
#pragma once

#include "Bytes.h"

namespace qr {

// The smallest symbol version (1..40) that holds the data in byte mode at level M, or 0 when
// none does. Byte mode is what any printer can use, so the symbol it makes is never larger.
int SmallestVersion(size_t dataBytes);
inline int SymbolModules(int version)
{
    return 17 + 4 * version;
}

// moduleSize 1..16 dots. Refused when empty or when the symbol would not fit the paper.
Encoded Encode(std::string_view data, int moduleSize, int paperWidthDots);

} // namespace qr
