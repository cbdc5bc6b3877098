#include "ReceiptLayout.h"

ReceiptLayout LayoutReceipt(std::size_t pieceCount, int pageHeight, int lineHeight)
{
    ReceiptLayout layout;
    layout.lines.reserve(pieceCount);
    int page = 0;
    int y = 0;
    // A line at the top of a page always stays there, so a page shorter than one line still
    // takes one line each instead of never ending.
    auto place = [&]() {
        if (pageHeight > 0 && y > 0 && y + lineHeight > pageHeight) {
            ++page;
            y = 0;
        }
        return LinePlace {page, y};
    };
    for (std::size_t i = 0; i < pieceCount; ++i) {
        layout.lines.push_back(place());
        y += kReceiptLineStep;
    }
    y += kReceiptLineStep;
    layout.mark = place();
    layout.pageCount = page + 1;
    return layout;
}
