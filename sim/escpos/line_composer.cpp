#include "escpos/line_composer.h"

#include <algorithm>

namespace zsim::escpos {

bool LineComposer::addChar(char32_t cp, bool twoByte, const PrintModes& m, std::shared_ptr<const Bitmap> pattern) {
    const FontKind font = twoByte ? FontKind::Cjk : m.font;
    const CellSize base = m.cell(font);
    const int wMul = twoByte ? m.cjkWidthMul : m.widthMul;
    const int hMul = twoByte ? m.cjkHeightMul : m.heightMul;
    const int left = twoByte ? m.cjkLeftSpacing * wMul : 0;
    const int right = (twoByte ? m.cjkRightSpacing : m.rightSpacing) * wMul;
    const int cellWidth = left + base.width * wMul + right;
    if (cursor_ + cellWidth > m.areaWidth) {
        // The character goes to the next line, as the printer does when a
        // line is full.
        if (!empty() || cursor_ > 0) printLine(m, m.lineSpacing);
        if (cellWidth > m.areaWidth) return false;
    }
    GlyphItem g;
    g.x = cursor_ + left;
    g.boxWidth = base.width * wMul;
    g.boxHeight = base.height * hMul;
    g.spacing = right;
    g.codepoint = cp;
    g.font = font;
    g.widthMul = wMul;
    g.heightMul = hMul;
    g.bold = m.bold;
    g.reverse = m.reverse;
    g.underline = twoByte ? m.cjkUnderline : m.underline;
    g.pattern = std::move(pattern);
    glyphs_.push_back(g);
    cursor_ += cellWidth;
    right_ = std::max(right_, cursor_);
    height_ = std::max(height_, g.boxHeight);
    return true;
}

bool LineComposer::addImage(Bitmap bmp, const PrintModes& m) {
    if (bmp.empty()) return true;
    const int room = roomLeft(m);
    if (room <= 0) return false;
    if (bmp.width > room) {
        Bitmap cut(room, bmp.height);
        for (int y = 0; y < bmp.height; ++y)
            std::copy_n(bmp.dots.begin() + static_cast<long>(y) * bmp.width, room,
                        cut.dots.begin() + static_cast<long>(y) * room);
        bmp = std::move(cut);
    }
    const int w = bmp.width;
    height_ = std::max(height_, bmp.height);
    images_.push_back(ImageItem{cursor_, 0, std::move(bmp)});
    cursor_ += w;
    right_ = std::max(right_, cursor_);
    return true;
}

void LineComposer::tab(const PrintModes& m) {
    const int column = (m.cell(m.font).width + m.rightSpacing) * m.widthMul;
    for (int stop : m.tabColumns) {
        const int x = stop * column;
        if (x > cursor_) {
            // A tab beyond the print area is ignored.
            if (x <= m.areaWidth) {
                cursor_ = x;
                right_ = std::max(right_, cursor_);
            }
            return;
        }
    }
}

void LineComposer::setPosition(long dots, const PrintModes& m) {
    if (dots < 0 || dots > m.areaWidth) return;
    cursor_ = static_cast<int>(dots);
    right_ = std::max(right_, cursor_);
}

void LineComposer::movePosition(long dots, const PrintModes& m) { setPosition(cursor_ + dots, m); }

int LineComposer::alignOffset(int used, const PrintModes& m) const {
    const int spare = std::max(0, m.areaWidth - used);
    switch (m.align) {
    case Align::Center: return spare / 2;
    case Align::Right: return spare;
    case Align::Left: break;
    }
    return 0;
}

// Moves the line's items out; the caller clears what is left.
Band LineComposer::takeBand(const PrintModes& m, int advance) {
    Band band;
    band.height = height_;
    band.advance = advance;
    band.upsideDown = m.upsideDown;
    const int dx = m.leftMargin + alignOffset(right_, m);
    // Items of different heights stand on a common baseline.
    for (GlyphItem& g : glyphs_) {
        g.x += dx;
        g.y = height_ - g.boxHeight;
    }
    for (ImageItem& im : images_) {
        im.x += dx;
        im.y = height_ - im.bitmap.height;
    }
    band.glyphs = std::move(glyphs_);
    band.images = std::move(images_);
    for (BlockItem& b : blocks_) {
        const int x = b.x + dx, y = height_ - b.block.height;
        const auto shift = [x, y](auto& items, auto& into) {
            for (auto& item : items) {
                item.x += x;
                item.y += y;
                into.push_back(std::move(item));
            }
        };
        shift(b.block.glyphs, band.glyphs);
        shift(b.block.images, band.images);
        shift(b.block.symbols, band.symbols);
    }
    return band;
}

void LineComposer::printLine(const PrintModes& m, int minAdvance) {
    if (empty()) {
        clear();
        if (minAdvance > 0) sink_->feed(minAdvance);
        return;
    }
    Band band = takeBand(m, std::max(minAdvance, height_));
    clear();
    sink_->band(band);
}

void LineComposer::placeLine(const PrintModes& m) {
    if (empty()) return;
    const int cursor = cursor_;
    Band band = takeBand(m, 0);
    clear();
    cursor_ = cursor;
    sink_->band(band);
}

void LineComposer::printBlock(Band block, int blockWidth, const PrintModes& m) {
    if (blocksInLine_) {
        // Like a character: to the next line when it does not fit the rest
        // of this one; what still does not fit is cut off at the area's edge.
        if (cursor_ + blockWidth > m.areaWidth && !atLineStart()) printLine(m, m.lineSpacing);
        height_ = std::max(height_, block.height);
        blocks_.push_back(BlockItem{cursor_, std::move(block)});
        cursor_ += blockWidth;
        right_ = std::max(right_, cursor_);
        return;
    }
    const int dx = m.leftMargin + alignOffset(blockWidth, m);
    for (GlyphItem& g : block.glyphs) g.x += dx;
    for (ImageItem& im : block.images) im.x += dx;
    for (SymbolMark& s : block.symbols) s.x += dx;
    block.upsideDown = m.upsideDown;
    sink_->band(block);
}

void LineComposer::clear() {
    glyphs_.clear();
    images_.clear();
    blocks_.clear();
    cursor_ = 0;
    right_ = 0;
    height_ = 0;
}

}  // namespace zsim::escpos
