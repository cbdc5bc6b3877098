// Barcodes (GS k and its settings) and 2D symbols (GS ( k: QR code and
// PDF417, one row per function).
#include <algorithm>

#include "escpos/interpreter.h"

namespace zsim::escpos {

namespace {

// GS k m: data ended by NUL (m = 0..6) or counted (m = 65..79).
Extent barcodeLength(const uint8_t* c, size_t n) {
    if (n < 3) return {};
    if (c[2] <= 6) return untilNul<3, 3 + 255>(c, n);
    if (c[2] < 65 || c[2] > 79) return {Fit::BadParameter, 3};
    if (n < 4) return {};
    const size_t length = 4 + c[3];
    return {n < length ? Fit::NeedMore : Fit::Whole, length};
}

// A GS ( k function's parameter i (cn and fn are 0 and 1), or -1 when it was not sent.
int param(const Bytes& d, size_t i) { return d.size() > i ? d[i] : -1; }
Bytes dataAfterParams(const Bytes& d) { return Bytes(d.begin() + std::min<size_t>(3, d.size()), d.end()); }

}  // namespace

// A function of GS ( k: symbol cn, function fn (either may be kAnyByte).
struct Interpreter::SymbolFunction {
    int cn;
    int fn;
    const char* what;
    void (*run)(Interpreter& p, const Bytes& d);
};

const Interpreter::SymbolFunction* Interpreter::symbolFunctionFor(const uint8_t* d, size_t n) {
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    static const SymbolFunction kFunctions[] = {
        {49, 65, "QR code: select the model", [](auto& p, auto& d) {
            if (param(d, 2) == 49 && !p.config_.model->qrModel1)
                return p.modelLacks("QR model", "has no QR model 1; model 2 is printed");
            if (param(d, 2) >= 0 && d[2] != 50) p.unsupportedOnce("QR model", "printed as model 2");
        }},
        {49, 67, "QR code: set the size of module",
         [](auto& p, auto& d) { setIn(p.symbols_.qrModule, param(d, 2), 1, 16); }},
        {49, 69, "QR code: select the error correction level",
         [](auto& p, auto& d) { setIn(p.symbols_.qrLevel, param(d, 2) - 48, 0, 3); }},
        {49, 80, "QR code: store the data", [](auto& p, auto& d) { p.stored_.qrData = dataAfterParams(d); }},
        {49, 81, "QR code: print the symbol data", [](auto& p, auto&) { p.printQr(); }},
        {49, kAnyByte, "QR code", [](auto& p, auto& d) {
            p.unsupportedOnce("GS ( k fn " + std::to_string(d[1]), "QR function not carried out");
        }},
        {48, 65, "PDF417: set the number of columns",
         [](auto& p, auto& d) { setIn(p.symbols_.pdf417.columns, param(d, 2), 0, 30); }},
        {48, 66, "PDF417: set the number of rows", [](auto& p, auto& d) {
            if (param(d, 2) == 0 || (param(d, 2) >= 3 && param(d, 2) <= 90)) p.symbols_.pdf417.rows = d[2];
        }},
        {48, 67, "PDF417: set the width of the module",
         [](auto& p, auto& d) { setIn(p.symbols_.pdf417.moduleWidth, param(d, 2), 2, 8); }},
        {48, 68, "PDF417: set the row height",
         [](auto& p, auto& d) { setIn(p.symbols_.pdf417.rowHeight, param(d, 2), 2, 8); }},
        {48, 69, "PDF417: set the error correction level", [](auto& p, auto& d) {
            // m = 48: a level (n = 48..56); m = 49: a ratio of n tenths.
            const int m = param(d, 2), n = param(d, 3);
            if (m == 48 && n >= 48 && n <= 56) p.symbols_.pdf417.level = n - 48;
            if (m == 49 && n >= 1 && n <= 40) {
                p.symbols_.pdf417.level = -1;
                p.symbols_.pdf417.ratioTenths = n;
            }
        }},
        {48, 70, "PDF417: select the options", [](auto& p, auto& d) {
            if (param(d, 2) >= 0) p.symbols_.pdf417.truncated = d[2] & 1;
        }},
        {48, 80, "PDF417: store the data", [](auto& p, auto& d) { p.stored_.pdfData = dataAfterParams(d); }},
        {48, 81, "PDF417: print the symbol data", [](auto& p, auto&) { p.printPdf417(); }},
        {48, 82, "PDF417: transmit the size information", [](auto& p, auto&) { p.pdf417SizeReply(); }},
        {48, kAnyByte, "PDF417", [](auto& p, auto& d) {
            p.unsupportedOnce("GS ( k cn 48 fn " + std::to_string(d[1]), "PDF417 function not carried out");
        }},
        {kAnyByte, 81, "print the symbol data", [](auto& p, auto& d) {
            p.unsupportedOnce("GS ( k cn " + std::to_string(d[0]), "only QR codes and PDF417 are printed");
        }},
    };
    // clang-format on
    if (n < 2) return nullptr;
    for (const SymbolFunction& f : kFunctions)
        if ((f.cn == kAnyByte || f.cn == d[0]) && (f.fn == kAnyByte || f.fn == d[1])) return &f;
    return nullptr;
}

const char* Interpreter::symbolFunction(const uint8_t* data, size_t n) {
    const SymbolFunction* f = symbolFunctionFor(data, n);
    return f ? f->what : nullptr;
}

std::vector<CommandRow> Interpreter::symbolCommands() {
    const auto takeSymbol = [](auto& p, const uint8_t* data, size_t n) {
        p.data_.payload.insert(p.data_.payload.end(), data, data + n);
        return n;
    };
    const auto endSymbol = [](auto& p, bool complete) {
        const Bytes& d = p.data_.payload;
        if (!complete) return;
        if (d.size() < 2) return p.note("GS ( k too short");
        const models::PrinterModel& model = *p.config_.model;
        if ((d[0] == 49 && !model.qrCode) || (d[0] == 48 && !model.pdf417))
            return p.modelLacks("GS ( k cn " + std::to_string(d[0]),
                                std::string("has no ") + (d[0] == 49 ? "QR codes" : "PDF417") + "; nothing printed");
        if (const SymbolFunction* f = symbolFunctionFor(d.data(), d.size())) f->run(p, d);
    };
    static const DataReader symbolData{nullptr, takeSymbol, endSymbol};
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    return {
        {{GS, '(', 'k'}, "set up and print the symbol", framed16, [](auto& p, auto& c) {
            p.data_.payload.clear();
            p.data_.payload.reserve(std::min(le16(&c[3]), 4096));
        }, &symbolData, symbolFunction},
        {{GS, 'H'}, "select print position of HRI characters", fixed<3>,
         [](auto& p, auto& c) { setIn(p.symbols_.hriPosition, asciiOrBinary(c[2]), 0, 3); }},
        {{GS, 'f'}, "select font for HRI characters", fixed<3>,
         [](auto& p, auto& c) {
             const int n = asciiOrBinary(c[2]);
             if (n >= 0 && static_cast<size_t>(n) < p.modes_.fonts.size()) p.symbols_.hriFont = static_cast<FontKind>(n);
         }},
        {{GS, 'h'}, "set bar code height", fixed<3>,
         [](auto& p, auto& c) { setIn(p.symbols_.barHeight, c[2], 1, 255); }},
        // m = 0..6: data ended by NUL; 65..79: data counted by n.
        {{GS, 'k'}, "print bar code", barcodeLength, [](auto& p, auto& c) {
            const bool nulEnded = c[2] <= 6;
            const size_t start = nulEnded ? 3 : 4;
            const size_t end = c.size() - (nulEnded && c.size() > start && c.back() == 0 ? 1 : 0);
            p.printBarcode(c[2], Bytes(c.begin() + static_cast<long>(start), c.begin() + static_cast<long>(end)));
        }},
        {{GS, 'w'}, "set bar code width", fixed<3>, [](auto& p, auto& c) { setIn(p.symbols_.barModule, c[2], 1, 6); }},
    };
    // clang-format on
}

}  // namespace zsim::escpos
