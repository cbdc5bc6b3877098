// GS ( k cn=48: the PDF417 settings, storing and printing the symbol, and
// the size of what is stored.
#include <algorithm>
#include <string>

#include "escpos/interpreter.h"
#include "escpos/pdf417.h"

namespace zsim::escpos {

void Interpreter::pdf417Function(const std::vector<uint8_t>& d) {
    const int fn = d[1];
    const int n = d.size() >= 3 ? d[2] : -1;
    const int m2 = d.size() >= 4 ? d[3] : -1;
    switch (fn) {
    case 65:
        if (n >= 0 && n <= 30) pdf417_.columns = n;
        return;
    case 66:
        if (n == 0 || (n >= 3 && n <= 90)) pdf417_.rows = n;
        return;
    case 67:
        if (n >= 2 && n <= 8) pdf417_.moduleWidth = n;
        return;
    case 68:
        if (n >= 2 && n <= 8) pdf417_.rowHeight = n;
        return;
    case 69:
        // m = 48: a level (n = 48..56); m = 49: a ratio of n tenths.
        if (n == 48 && m2 >= 48 && m2 <= 56)
            pdf417_.level = m2 - 48;
        else if (n == 49 && m2 >= 1 && m2 <= 40) {
            pdf417_.level = -1;
            pdf417_.ratioTenths = m2;
        }
        return;
    case 70:
        if (n >= 0) pdf417_.truncated = n & 1;
        return;
    case 80: pdfData_.assign(d.begin() + std::min<size_t>(3, d.size()), d.end()); return;
    case 81: printPdf417(); return;
    case 82: pdf417SizeReply(); return;
    default: unsupportedOnce("GS ( k cn 48 fn " + std::to_string(fn), "PDF417 function not carried out"); return;
    }
}

void Interpreter::pdf417SizeReply() {
    // Header '7', identifier '0', width and height in dots as decimal text,
    // whether it can be printed ('0' yes, '1' no), NUL.
    const Pdf417Modules pdf = encodePdf417(pdfData_, pdf417_);
    const int width = pdf.ok ? pdf.width * pdf417_.moduleWidth : 0;
    const int height = pdf.ok ? pdf.rows * pdf417_.rowHeight * pdf417_.moduleWidth : 0;
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

void Interpreter::printPdf417() {
    if (!line_.empty()) line_.printLine(modes_, modes_.lineSpacing);
    const Pdf417Modules pdf = encodePdf417(pdfData_, pdf417_);
    if (!pdf.ok) {
        report_.note(commandStart_, "PDF417 not printed: " + pdf.error);
        return;
    }
    printModules("PDF417", "PDF417", pdfData_, pdf.dark, pdf.width, pdf.rows, pdf417_.moduleWidth,
                 pdf417_.rowHeight * pdf417_.moduleWidth);
}

}  // namespace zsim::escpos
