#include "render/paper.h"

#include <algorithm>

namespace zsim::render {

Paper::Paper(const PaperConfig& config, GlyphCache& glyphs, PageDone done)
    : config_(config), glyphs_(glyphs), done_(std::move(done)) {
    config_.width = std::max(1, config_.width);
    config_.maxLength = std::max(1, config_.maxLength);
    page_.width = config_.width;
}

void Paper::ensureRows(int rows) {
    rows = std::min(rows, config_.maxLength);
    if (rows > page_.height) {
        page_.ink.resize(static_cast<size_t>(rows) * page_.width, 0);
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

void Paper::drawGlyph(std::vector<uint8_t>& buf, int bufHeight, const escpos::GlyphItem& g) {
    const int w = page_.width;
    const int cellRight = std::min(w, g.x + g.boxWidth + g.spacing);
    const int bottom = std::min(bufHeight, g.y + g.boxHeight);
    const auto plot = [&](int x, int y, uint8_t v) {
        if (x < 0 || x >= w || y < 0 || y >= bufHeight) return;
        uint8_t& dst = buf[static_cast<size_t>(y) * w + x];
        dst = std::max(dst, v);
    };
    const GlyphPattern& pat = glyphs_.pattern(g.codepoint, g.font);
    const int wMul = std::max(1, g.widthMul), hMul = std::max(1, g.heightMul);
    if (g.reverse) {
        for (int y = std::max(0, g.y); y < bottom; ++y)
            for (int x = std::max(0, g.x); x < cellRight; ++x) plot(x, y, 255);
    }
    for (int dy = 0; dy < g.boxHeight; ++dy) {
        const int sy = std::min(pat.height - 1, dy / hMul);
        const int y = g.y + dy;
        if (y < 0 || y >= bufHeight) continue;
        for (int dx = 0; dx < g.boxWidth; ++dx) {
            const int sx = std::min(pat.width - 1, dx / wMul);
            uint8_t v = pat.coverage[static_cast<size_t>(sy) * pat.width + sx];
            // Emphasis strikes every dot a second time one dot to the
            // right, the way the head does it.
            if (g.bold && sx > 0) v = std::max(v, pat.coverage[static_cast<size_t>(sy) * pat.width + sx - 1]);
            if (v == 0) continue;
            const int x = g.x + dx;
            if (g.reverse) {
                if (x >= 0 && x < w) {
                    uint8_t& dst = buf[static_cast<size_t>(y) * w + x];
                    dst = static_cast<uint8_t>(std::min<int>(dst, 255 - v));
                }
            } else {
                plot(x, y, v);
            }
        }
    }
    if (g.underline > 0) {
        for (int t = 0; t < g.underline; ++t)
            for (int x = g.x; x < cellRight; ++x) plot(x, bottom - 1 - t, g.reverse ? 0 : 255);
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
    scratch_.assign(static_cast<size_t>(w) * h, 0);
    for (const escpos::ImageItem& im : b.images) {
        const escpos::Bitmap& bm = im.bitmap;
        for (int y = 0; y < bm.height; ++y) {
            const int ty = im.y + y;
            if (ty < 0 || ty >= h) continue;
            const uint8_t* src = bm.dots.data() + static_cast<size_t>(y) * bm.width;
            uint8_t* dst = scratch_.data() + static_cast<size_t>(ty) * w;
            const int x0 = std::max(0, im.x), x1 = std::min(w, im.x + bm.width);
            for (int x = x0; x < x1; ++x)
                if (src[x - im.x]) dst[x] = 255;
        }
    }
    for (const escpos::GlyphItem& g : b.glyphs) drawGlyph(scratch_, h, g);

    // Copy onto the paper (turned round for upside-down printing), clipped
    // at the length cap.
    const int rows = std::min(h, config_.maxLength - y_);
    ensureRows(y_ + rows);
    for (int y = 0; y < rows; ++y) {
        uint8_t* dst = page_.ink.data() + static_cast<size_t>(y_ + y) * w;
        if (b.upsideDown) {
            const uint8_t* src = scratch_.data() + static_cast<size_t>(h - 1 - y) * w;
            for (int x = 0; x < w; ++x) dst[x] = std::max(dst[x], src[w - 1 - x]);
        } else {
            const uint8_t* src = scratch_.data() + static_cast<size_t>(y) * w;
            for (int x = 0; x < w; ++x) dst[x] = std::max(dst[x], src[x]);
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
    PageImage done = std::move(page_);
    page_ = PageImage();
    page_.width = config_.width;
    y_ = 0;
    touched_ = false;
    scratch_.clear();
    scratch_.shrink_to_fit();
    if (done_) done_(std::move(done));
}

}  // namespace zsim::render
