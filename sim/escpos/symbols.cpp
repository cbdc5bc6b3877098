// Laying out barcodes, QR codes and PDF417 on the paper: bar sizes from
// GS h / GS w, the human-readable line from GS H / GS f, position from ESC a.
#include <algorithm>

#include "escpos/barcode.h"
#include "escpos/interpreter.h"
#include "escpos/pdf417.h"
#include "escpos/qr_code.h"

namespace zsim::escpos {

namespace {

constexpr int kHriGap = 2;  // dots between bars and their text

std::u32string utf8ToUtf32(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + len > s.size()) len = 1;
        char32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp < 0x20 ? U' ' : cp);
        i += len;
    }
    return out;
}

}  // namespace

void Interpreter::addHri(Band& band, const std::string& text, int y, int blockWidth) {
    const std::u32string chars = utf8ToUtf32(text);
    const CellSize cell = modes_.cell(symbols_.hriFont);
    const int textWidth = static_cast<int>(chars.size()) * cell.width;
    int x = (blockWidth - textWidth) / 2;
    for (char32_t cp : chars) {
        if (x >= 0 && x + cell.width <= modes_.areaWidth) {
            GlyphItem g;
            g.x = x;
            g.y = y;
            g.boxWidth = cell.width;
            g.boxHeight = cell.height;
            g.codepoint = cp;
            g.font = symbols_.hriFont;
            band.glyphs.push_back(g);
        }
        x += cell.width;
    }
}

void Interpreter::printBarcode(uint8_t m, const std::vector<uint8_t>& data) {
    finishLine();
    const models::PrinterModel& model = *config_.model;
    if (model.pdf417Barcode != 0 && m == model.pdf417Barcode)
        return printPdf417(data, std::max(2, symbols_.barModule), 3);
    const Symbology sym = symbologyFromGsK(m);
    if (sym == Symbology::Unsupported) {
        unsupportedOnce("GS k " + std::to_string(m), "symbology not printed");
        return;
    }
    if (!model.printsBarcode(m))
        return modelLacks("GS k " + std::to_string(m),
                          "does not print " + std::string(symbologyName(sym)) + "; nothing printed");
    const BarcodeModules bars = encodeBarcode(sym, data);
    for (const std::string& n : bars.notes) note(std::string(symbologyName(sym)) + ": " + n);
    if (!bars.ok) return note(std::string(symbologyName(sym)) + " not printed: " + bars.error);
    const int width = static_cast<int>(bars.modules.size()) * symbols_.barModule;
    if (width > modes_.areaWidth) {
        // The printer refuses a barcode that does not fit rather than
        // printing a cut-off one nobody can scan.
        note(std::string(symbologyName(sym)) + " not printed: " + std::to_string(width) + " dots wide, print area " +
             std::to_string(modes_.areaWidth));
        return;
    }
    const int textHeight = modes_.cell(symbols_.hriFont).height;
    const bool above = symbols_.hriPosition & 1, below = symbols_.hriPosition & 2;
    Band band;
    int y = 0;
    if (above) {
        addHri(band, bars.hri, 0, width);
        y = textHeight + kHriGap;
    }
    Bitmap image(width, symbols_.barHeight);
    for (size_t i = 0; i < bars.modules.size(); ++i) {
        if (!bars.modules[i]) continue;
        for (int row = 0; row < symbols_.barHeight; ++row)
            std::fill_n(image.dots.begin() + static_cast<long>(row) * width + static_cast<long>(i) * symbols_.barModule,
                        symbols_.barModule, 1);
    }
    band.images.push_back(ImageItem{0, y, std::move(image)});
    band.symbols.push_back(
        SymbolMark{symbologyName(sym), bars.text, 0, y, width, symbols_.barHeight, symbols_.barModule});
    y += symbols_.barHeight;
    if (below) {
        addHri(band, bars.hri, y + kHriGap, width);
        y += kHriGap + textHeight;
    }
    band.height = band.advance = y;
    line_.printBlock(std::move(band), width, modes_);
}

void Interpreter::printQr() {
    finishLine();
    const QrModules qr = encodeQr(stored_.qrData, symbols_.qrLevel);
    if (!qr.ok) return note("QR code not printed: " + qr.error);
    printModules("QR code", "QR", stored_.qrData, qr.dark, qr.size, qr.size, symbols_.qrModule, symbols_.qrModule);
}

void Interpreter::printPdf417() {
    finishLine();
    printPdf417(stored_.pdfData, symbols_.pdf417.moduleWidth, symbols_.pdf417.rowHeight);
}

void Interpreter::printPdf417(const std::vector<uint8_t>& data, int moduleWidth, int rowHeight) {
    Pdf417Settings s = symbols_.pdf417;
    s.moduleWidth = moduleWidth;
    s.rowHeight = rowHeight;
    const Pdf417Modules pdf = encodePdf417(data, s);
    if (!pdf.ok) return note("PDF417 not printed: " + pdf.error);
    printModules("PDF417", "PDF417", data, pdf.dark, pdf.width, pdf.rows, s.moduleWidth, s.rowHeight * s.moduleWidth);
}

void Interpreter::pdf417SizeReply() {
    // Header '7', identifier '0', width and height in dots as decimal text,
    // whether it can be printed ('0' yes, '1' no), NUL.
    const Pdf417Settings& s = symbols_.pdf417;
    const Pdf417Modules pdf = encodePdf417(stored_.pdfData, s);
    const int width = pdf.ok ? pdf.width * s.moduleWidth : 0;
    const int height = pdf.ok ? pdf.rows * s.rowHeight * s.moduleWidth : 0;
    const bool fits = pdf.ok && width <= modes_.areaWidth;
    std::vector<uint8_t> reply = {'7', '0'};
    for (char c : std::to_string(width)) reply.push_back(static_cast<uint8_t>(c));
    reply.push_back(0x1F);
    for (char c : std::to_string(height)) reply.push_back(static_cast<uint8_t>(c));
    reply.push_back(0x1F);
    reply.push_back(fits ? '0' : '1');
    reply.push_back(0x00);
    sendReply(std::move(reply));
}

void Interpreter::printModules(const char* what, const char* type, const std::vector<uint8_t>& data,
                               const std::vector<uint8_t>& dark, int columns, int rows, int moduleWidth,
                               int moduleHeight) {
    const int width = columns * moduleWidth;
    const int height = rows * moduleHeight;
    if (width > modes_.areaWidth)
        return note(std::string(what) + " not printed: " + std::to_string(width) + " dots wide, print area " +
                    std::to_string(modes_.areaWidth));
    Bitmap image(width, height);
    for (int row = 0; row < rows; ++row) {
        // Build one row of dots per module row, then repeat it.
        uint8_t* first = image.dots.data() + static_cast<size_t>(row) * moduleHeight * width;
        for (int x = 0; x < columns; ++x)
            if (dark[static_cast<size_t>(row) * columns + x]) std::fill_n(first + x * moduleWidth, moduleWidth, 1);
        for (int r = 1; r < moduleHeight; ++r) std::copy_n(first, width, first + static_cast<size_t>(r) * width);
    }
    Band band;
    band.height = band.advance = height;
    band.images.push_back(ImageItem{0, 0, std::move(image)});
    band.symbols.push_back(SymbolMark{type, std::string(data.begin(), data.end()), 0, 0, width, height, moduleWidth});
    line_.printBlock(std::move(band), width, modes_);
}

}  // namespace zsim::escpos
