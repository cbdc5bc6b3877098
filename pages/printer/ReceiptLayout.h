// Where the receipt's lines land on the printer's pages: one line every 30 device units from the
// top, and a line that would not fit below the printable area starts a new page at its top.
#pragma once

#include <cstddef>
#include <vector>

constexpr int kReceiptLineX = 1;
constexpr int kReceiptLineStep = 30;

struct LinePlace {
    int page = 0; // counted from 0
    int y = 0; // device units from the top of the printable area
};

struct ReceiptLayout {
    std::vector<LinePlace> lines; // one per piece, in order
    LinePlace mark; // the closing "-", one empty line step after the last piece
    int pageCount = 1;
};

// pageHeight: printable height in device units; 0 or less when the device does not say, and
// then everything goes on one page. lineHeight: the height of one line of the receipt font.
ReceiptLayout LayoutReceipt(std::size_t pieceCount, int pageHeight, int lineHeight);
