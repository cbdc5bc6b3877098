#include "render/paper.h"

#include <algorithm>

namespace zsim::render {

Paper::Paper(const PaperConfig& config, GlyphCache& glyphs, PageDone done)
    : config_(config), glyphs_(glyphs), done_(std::move(done)) {
    config_.width = std::max(1, config_.width);
    config_.maxLength = std::max(1, config_.maxLength);
    config_.dpi = std::max(1, config_.dpi);
    page_.width = config_.width;
    page_.dpi = config_.dpi;
}

void Paper::ensureRows(int rows) {
    rows = std::min(rows, config_.maxLength);
    if (rows > page_.height) {
        const size_t need = static_cast<size_t>(rows) * page_.width;
        // Grow in steps of about a metre's worth of paper at most, never
        // past the cap.
        if (need > page_.ink.capacity()) {
            const size_t cap = static_cast<size_t>(config_.maxLength) * page_.width;
            page_.ink.reserve(std::min(cap, std::max(need, page_.ink.capacity() * 2)));
        }
        page_.ink.resize(need, 0);
        page_.height = rows;
    }
}

void Paper::advance(int dots) {
    if (dots <= 0) return;
    touched_ = true;
    const long long target = static_cast<long long>(y_) + dots;
    if (target > config_.maxLength) {
        page_.truncated = true;
        page_.droppedDots += static_cast<uint64_t>(target - std::max(y_, config_.maxLength));
        y_ = config_.maxLength;
    } else {
        y_ = static_cast<int>(target);
    }
    ensureRows(y_);
}

void Paper::feed(int dots) {
    if (paperOut_) {
        droppedWhileOut_ += dots > 0 ? dots : 0;
        return;
    }
    advance(dots);
}

void Paper::drawGlyph(const Canvas& c, const escpos::GlyphItem& g) {
    uint8_t* buf = c.dots;
    const int w = c.width, bufHeight = c.height;
    const int cellRight = std::min(w, g.x + g.boxWidth + g.spacing);
    const int x0 = std::max(0, g.x), x1 = std::min(w, g.x + g.boxWidth);
    const int y0 = std::max(0, g.y), y1 = std::min(bufHeight, g.y + g.boxHeight);
    const uint8_t ink = g.reverse ? 0 : 255;
    if (g.reverse) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < cellRight; ++x) buf[static_cast<size_t>(y) * w + x] = 255;
    }
    GlyphPattern user;
    if (g.pattern) {
        const escpos::Bitmap& b = *g.pattern;
        user.width = b.width;
        user.height = b.height;
        user.coverage.resize(b.dots.size());
        std::transform(b.dots.begin(), b.dots.end(), user.coverage.begin(), [](uint8_t d) { return d ? 255 : 0; });
        user.inkTop = 0;
        user.inkBottom = b.height;
    }
    const GlyphPattern& pat = g.pattern ? user
                                        : glyphs_.pattern(g.codepoint, g.font, g.boxWidth / std::max(1, g.widthMul),
                                                          g.boxHeight / std::max(1, g.heightMul));
    const int wMul = std::max(1, g.widthMul), hMul = std::max(1, g.heightMul);
    // Walks the base pattern and stamps each dot as a wMul x hMul block:
    // most of a cell is blank, and no division per printed dot.
    for (int sy = pat.inkTop; sy < pat.inkBottom; ++sy) {
        const uint8_t* src = pat.coverage.data() + static_cast<size_t>(sy) * pat.width;
        const int top = std::max(y0, g.y + sy * hMul), bottom = std::min(y1, g.y + (sy + 1) * hMul);
        if (top >= bottom) continue;
        for (int sx = 0; sx < pat.width; ++sx) {
            // Emphasis strikes every dot a second time one dot to the
            // right, the way the head does it.
            if (!src[sx] && !(g.bold && sx > 0 && src[sx - 1])) continue;
            const int left = std::max(x0, g.x + sx * wMul), right = std::min(x1, g.x + (sx + 1) * wMul);
            for (int y = top; y < bottom; ++y)
                for (int x = left; x < right; ++x) buf[static_cast<size_t>(y) * w + x] = ink;
        }
    }
    if (g.underline > 0) {
        const int bottom = std::min(bufHeight, g.y + g.boxHeight);
        for (int t = 0; t < g.underline; ++t) {
            const int y = bottom - 1 - t;
            if (y < 0) break;
            for (int x = x0; x < cellRight; ++x) buf[static_cast<size_t>(y) * w + x] = ink;
        }
    }
}

void Paper::band(const escpos::Band& b) {
    if (paperOut_) {
        droppedWhileOut_ += static_cast<uint64_t>(std::max(b.advance, 0));
        return;
    }
    touched_ = true;
    const int w = page_.width;
    const int h = std::max(0, b.height);
    if (y_ >= config_.maxLength) {
        // Past the cap: nothing is drawn, only counted.
        advance(std::max(b.advance, h));
        return;
    }
    const int rows = std::min(h, config_.maxLength - y_);
    ensureRows(y_ + rows);
    // Upright bands are drawn straight onto the paper; upside-down ones
    // are drawn aside and turned round.
    Canvas target{page_.ink.data() + static_cast<size_t>(y_) * w, w, rows};
    if (b.upsideDown) {
        scratch_.assign(static_cast<size_t>(w) * h, 0);
        target = Canvas{scratch_.data(), w, h};
    }
    drawItems(target, b);
    if (b.upsideDown) {
        for (int y = 0; y < rows; ++y) {
            uint8_t* dst = page_.ink.data() + static_cast<size_t>(y_ + y) * w;
            const uint8_t* src = scratch_.data() + static_cast<size_t>(h - 1 - y) * w;
            for (int x = 0; x < w; ++x) dst[x] = std::max(dst[x], src[w - 1 - x]);
        }
    }
    if (rows < h) page_.truncated = true;
    for (escpos::SymbolMark s : b.symbols) {
        if (b.upsideDown) {
            s.x = w - s.x - s.width;
            s.y = h - s.y - s.height;
        }
        s.y += y_;
        if (s.y + s.height <= config_.maxLength) page_.symbols.push_back(std::move(s));
    }
    advance(b.advance);
}

void Paper::drawItems(const Canvas& c, const escpos::Band& b) {
    for (const escpos::ImageItem& im : b.images) {
        const escpos::Bitmap& bm = im.bitmap;
        const int ix = im.x - c.x0, iy = im.y - c.y0;
        const int x0 = std::max(0, ix), x1 = std::min(c.width, ix + bm.width);
        for (int y = std::max(0, -iy); y < bm.height && iy + y < c.height; ++y) {
            const uint8_t* src = bm.dots.data() + static_cast<size_t>(y) * bm.width - ix;
            uint8_t* dst = c.dots + static_cast<size_t>(iy + y) * c.width;
            for (int x = x0; x < x1; ++x)
                if (src[x]) dst[x] = 255;
        }
    }
    for (escpos::GlyphItem g : b.glyphs) {
        g.x -= c.x0;
        g.y -= c.y0;
        drawGlyph(c, g);
    }
}

void Paper::page(const escpos::PageLayout& p) {
    if (paperOut_) {
        droppedWhileOut_ += static_cast<uint64_t>(std::max(p.height, 0));
        return;
    }
    touched_ = true;
    if (y_ >= config_.maxLength) {
        advance(p.height);
        return;
    }
    const int rows = std::min(std::max(0, p.height), config_.maxLength - y_);
    ensureRows(y_ + rows);
    for (const escpos::PageArea& area : p.areas) drawArea(area, rows);
    if (rows < p.height) page_.truncated = true;
    advance(p.height);
}

// Each area is drawn upright in its own frame and then turned onto the
// page, so text, images and symbols come out in the area's direction.
void Paper::drawArea(const escpos::PageArea& area, int rows) {
    const int w = page_.width;
    uint8_t* paper = page_.ink.data() + static_cast<size_t>(y_) * w;
    const escpos::Rect& r = area.onPage;
    if (area.erase) {
        for (int y = std::max(0, r.y); y < std::min(rows, r.y + r.height); ++y)
            std::fill(paper + static_cast<size_t>(y) * w + std::max(0, r.x),
                      paper + static_cast<size_t>(y) * w + std::min(w, r.x + r.width), 0);
        return;
    }
    // Only the part of the frame that holds something is drawn and turned,
    // so the work follows what the page holds, not the size of its areas.
    const escpos::Band& content = area.content;
    int left = area.frameWidth(), top = area.frameHeight(), right = 0, bottom = 0;
    const auto cover = [&](int x, int y, int width, int height) {
        left = std::min(left, x), top = std::min(top, y);
        right = std::max(right, x + width), bottom = std::max(bottom, y + height);
    };
    for (const escpos::GlyphItem& g : content.glyphs) cover(g.x, g.y, g.boxWidth + g.spacing, g.boxHeight);
    for (const escpos::ImageItem& im : content.images) cover(im.x, im.y, im.bitmap.width, im.bitmap.height);
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, area.frameWidth()), bottom = std::min(bottom, area.frameHeight());
    if (left < right && top < bottom) {
        scratch_.assign(static_cast<size_t>(right - left) * (bottom - top), 0);
        const Canvas c{scratch_.data(), right - left, bottom - top, left, top};
        drawItems(c, content);
        for (int y = 0; y < c.height; ++y) {
            const uint8_t* src = scratch_.data() + static_cast<size_t>(y) * c.width;
            for (int x = 0; x < c.width; ++x) {
                if (!src[x]) continue;
                int px, py;
                area.toPage(left + x, top + y, px, py);
                if (px >= 0 && px < w && py >= 0 && py < rows) paper[static_cast<size_t>(py) * w + px] = 255;
            }
        }
    }
    for (const escpos::SymbolMark& s : content.symbols) {
        const escpos::Rect on = area.toPage(escpos::Rect{s.x, s.y, s.width, s.height});
        escpos::SymbolMark placed = s;
        placed.x = on.x;
        placed.y = on.y + y_;
        placed.width = on.width;
        placed.height = on.height;
        if (on.y + on.height <= rows) page_.symbols.push_back(std::move(placed));
    }
}

void Paper::cut(escpos::CutKind) {
    if (paperOut_) return;
    endPage(true);
}

void Paper::finish() { endPage(false); }

void Paper::endPage(bool byCut) {
    if (!touched_) return;
    // A band taller than its advance may reach below the paper position.
    page_.height = std::max(page_.height, y_);
    ensureRows(page_.height);
    page_.cut = byCut;
    if (done_) done_(page_);
    std::vector<uint8_t> keep = std::move(page_.ink);
    keep.clear();
    page_ = PageImage();
    page_.width = config_.width;
    page_.dpi = config_.dpi;
    page_.ink = std::move(keep);
    y_ = 0;
    touched_ = false;
}

}  // namespace zsim::render
