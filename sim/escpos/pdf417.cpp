#include "escpos/pdf417.h"

#include "escpos/zint_symbol.h"

#include <vector>

namespace zsim::escpos {

namespace {

// The level whose error correction codewords (2^(level+1)) come nearest
// above the wanted share of the data; byte data takes about five
// codewords for six bytes.
int levelForRatio(size_t dataBytes, int ratioTenths) {
    const double wanted = static_cast<double>(dataBytes) * 5 / 6 * ratioTenths / 10.0;
    int level = 0;
    while (level < 8 && (2 << level) < wanted) ++level;
    return level;
}

}  // namespace

Pdf417Modules encodePdf417(const std::vector<uint8_t>& data, const Pdf417Settings& s) {
    Pdf417Modules out;
    if (data.empty()) {
        out.error = "no data stored";
        return out;
    }
    const ZintSymbol sym = makeZintSymbol();
    if (!sym) {
        out.error = "libzint could not allocate a symbol";
        return out;
    }
    sym->symbology = s.truncated ? BARCODE_PDF417COMP : BARCODE_PDF417;
    sym->input_mode = DATA_MODE;
    sym->option_1 = s.level >= 0 ? s.level : levelForRatio(data.size(), s.ratioTenths);
    sym->option_2 = s.columns;
    sym->option_3 = s.rows;
    int rc = ZBarcode_Encode(sym.get(), data.data(), static_cast<int>(data.size()));
    if (rc >= ZINT_ERROR && s.rows > 0) {
        // The printer takes the row count as a wish where the data needs
        // more rows; so does this.
        ZBarcode_Clear(sym.get());
        sym->option_3 = 0;
        rc = ZBarcode_Encode(sym.get(), data.data(), static_cast<int>(data.size()));
    }
    out.error = zintFailure(*sym, rc);
    if (!out.error.empty()) return out;
    out.width = sym->width;
    out.rows = sym->rows;
    out.dark.resize(static_cast<size_t>(out.width) * out.rows);
    for (int y = 0; y < out.rows; ++y)
        for (int x = 0; x < out.width; ++x)
            out.dark[static_cast<size_t>(y) * out.width + x] = (sym->encoded_data[y][x >> 3] >> (x & 7)) & 1;
    out.ok = true;
    return out;
}

}  // namespace zsim::escpos
