// A page as page mode builds it: print areas on the page, each filled in
// its own direction, handed to the paper in one piece when the page is
// printed (FF, ESC FF).
#pragma once

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "escpos/types.h"

namespace zsim::escpos {

// Where the lines of an area start and which way they run (ESC T n).
enum class PageDirection : uint8_t {
    LeftToRight,  // from the upper left: upright text
    BottomToTop,  // from the lower left: text turned a quarter anticlockwise
    RightToLeft,  // from the lower right: text upside down
    TopToBottom   // from the upper right: text turned a quarter clockwise
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// One print area with what was put into it. The content lies in the area's
// own frame: x along its lines from their start, y across them from the
// first line on, so it is drawn upright and then turned onto the paper.
struct PageArea {
    Rect onPage;  // from the page's upper left, in dots
    PageDirection direction = PageDirection::LeftToRight;
    bool erase = false;  // CAN: the rectangle is wiped instead of drawn
    Band content;        // glyphs, images and symbols in the frame

    bool turned() const { return direction == PageDirection::BottomToTop || direction == PageDirection::TopToBottom; }
    int frameWidth() const { return turned() ? onPage.height : onPage.width; }
    int frameHeight() const { return turned() ? onPage.width : onPage.height; }

    // Where a dot of the frame lands on the page.
    void toPage(int fx, int fy, int& px, int& py) const {
        const Rect& a = onPage;
        px = a.x + fx;
        py = a.y + fy;
        switch (direction) {
        case PageDirection::LeftToRight: return;
        case PageDirection::BottomToTop: px = a.x + fy, py = a.y + a.height - 1 - fx; return;
        case PageDirection::RightToLeft: px = a.x + a.width - 1 - fx, py = a.y + a.height - 1 - fy; return;
        case PageDirection::TopToBottom: px = a.x + a.width - 1 - fy, py = a.y + fx; return;
        }
    }
    // A rectangle of the frame as it lies on the page.
    Rect toPage(const Rect& r) const {
        int x0, y0, x1, y1;
        toPage(r.x, r.y, x0, y0);
        toPage(r.x + r.width - 1, r.y + r.height - 1, x1, y1);
        return {std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0) + 1, std::abs(y1 - y0) + 1};
    }
};

struct PageLayout {
    int height = 0;               // paper the page takes, in dots
    std::vector<PageArea> areas;  // in the order they were filled
};

}  // namespace zsim::escpos
