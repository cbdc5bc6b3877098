// The seam between the interpreter and the paper it prints on.
#pragma once

#include "escpos/page_layout.h"
#include "escpos/types.h"

namespace zsim::escpos {

class PrintSink {
public:
    virtual ~PrintSink() = default;
    // Draws the band at the current paper position, then moves the paper
    // by band.advance dots.
    virtual void band(const Band& band) = 0;
    virtual void feed(int dots) = 0;
    // Draws a page built in page mode at the current paper position, then
    // moves the paper past it.
    virtual void page(const PageLayout& page) = 0;
    // Ends the current piece of paper.
    virtual void cut(CutKind kind) = 0;
};

}  // namespace zsim::escpos
