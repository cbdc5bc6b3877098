// One libzint symbol, released with its owner, and the one reading of an
// encode's outcome that the barcode and PDF417 encoders share.
#pragma once

#include <zint.h>

#include <memory>
#include <string>

namespace zsim::escpos {

using ZintSymbol = std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)>;

inline ZintSymbol makeZintSymbol() { return ZintSymbol(ZBarcode_Create(), &ZBarcode_Delete); }

// Why the encode that returned rc gave nothing to print; empty when it did.
inline std::string zintFailure(const zint_symbol& sym, int rc) {
    if (rc >= ZINT_ERROR) return std::string("libzint: ") + sym.errtxt;
    if (sym.rows < 1 || sym.width < 1) return "libzint produced an empty symbol";
    return {};
}

}  // namespace zsim::escpos
