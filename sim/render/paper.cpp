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

void Paper::drawGlyph(uint8_t* buf, int bufHeight, const escpos::GlyphItem& g) {
    const int w = page_.width;
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
    uint8_t* target = page_.ink.data() + static_cast<size_t>(y_) * w;
    int targetRows = rows;
    if (b.upsideDown) {
        scratch_.assign(static_cast<size_t>(w) * h, 0);
        target = scratch_.data();
        targetRows = h;
    }
    for (const escpos::ImageItem& im : b.images) {
        const escpos::Bitmap& bm = im.bitmap;
        const int x0 = std::max(0, im.x), x1 = std::min(w, im.x + bm.width);
        for (int y = std::max(0, -im.y); y < bm.height && im.y + y < targetRows; ++y) {
            const uint8_t* src = bm.dots.data() + static_cast<size_t>(y) * bm.width - im.x;
            uint8_t* dst = target + static_cast<size_t>(im.y + y) * w;
            for (int x = x0; x < x1; ++x)
                if (src[x]) dst[x] = 255;
        }
    }
    for (const escpos::GlyphItem& g : b.glyphs) drawGlyph(target, targetRows, g);
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
