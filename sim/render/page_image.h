// One piece of paper as it came out of the printer.
#pragma once

#include <cstdint>
#include <vector>

#include "escpos/types.h"

namespace zsim::render {

struct PageImage {
    int width = 0;
    int height = 0;
    int dpi = 203;
    std::vector<uint8_t> ink;                 // 0 = white paper, 255 = a dot, row-major
    bool truncated = false;                   // hit the length cap
    uint64_t droppedDots = 0;                 // paper rows that did not fit
    bool cut = false;                         // ended by a cut (else by the end of the job)
    std::vector<escpos::SymbolMark> symbols;  // in page coordinates

    uint8_t at(int x, int y) const { return ink[static_cast<size_t>(y) * width + x]; }
    bool black(int x, int y) const { return at(x, y) >= 128; }
};

}  // namespace zsim::render
