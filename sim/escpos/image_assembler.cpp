#include "escpos/image_assembler.h"

#include <algorithm>

namespace zsim::escpos {

namespace {
int clippedSize(uint64_t dots, int scale, int clip) {
    const uint64_t scaled = dots * static_cast<uint64_t>(scale);
    return static_cast<int>(std::min<uint64_t>(scaled, static_cast<uint64_t>(std::max(clip, 0))));
}
}  // namespace

void RasterAssembler::start(const ImageGeometry& g) {
    geometry_ = g;
    geometry_.scaleX = std::max(1, g.scaleX);
    geometry_.scaleY = std::max(1, g.scaleY);
    bytesPerRow_ = (g.widthDots + 7) / 8;
    column_ = 0;
    rowsDone_ = 0;
    outWidth_ = clippedSize(g.widthDots, geometry_.scaleX, g.clipWidth);
    keptBytes_ = static_cast<int>(
        std::min<uint64_t>(bytesPerRow_, (outWidth_ + 8 * geometry_.scaleX - 1) / (8 * geometry_.scaleX)));
    row_.assign(keptBytes_, 0);
    out_ = Bitmap(outWidth_, 0);
    clipped_ = static_cast<uint64_t>(outWidth_) < g.widthDots * geometry_.scaleX;
}

void RasterAssembler::push(const uint8_t* p, size_t n) {
    if (bytesPerRow_ == 0) return;
    while (n > 0) {
        const uint64_t want = bytesPerRow_ - column_;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(want, n));
        if (column_ < static_cast<uint64_t>(keptBytes_)) {
            const size_t keep = static_cast<size_t>(std::min<uint64_t>(take, keptBytes_ - column_));
            std::copy(p, p + keep, row_.begin() + static_cast<long>(column_));
        }
        column_ += take;
        p += take;
        n -= take;
        if (column_ == bytesPerRow_) finishRow();
    }
}

void RasterAssembler::finishRow() {
    column_ = 0;
    ++rowsDone_;
    const auto clearRow = [this] { std::fill(row_.begin(), row_.end(), 0); };
    // Rows below the clip still have to be read (the data is there), but
    // are dropped.
    const uint64_t outTop = (rowsDone_ - 1) * geometry_.scaleY;
    if (outTop >= static_cast<uint64_t>(std::max(geometry_.clipHeight, 0))) {
        clipped_ = true;
        clearRow();
        return;
    }
    const int rows =
        static_cast<int>(std::min<uint64_t>(geometry_.scaleY, static_cast<uint64_t>(geometry_.clipHeight) - outTop));
    const size_t base = out_.dots.size();
    out_.dots.resize(base + static_cast<size_t>(rows) * outWidth_, 0);
    uint8_t* first = out_.dots.data() + base;
    for (int x = 0; x < outWidth_; ++x) {
        const int src = x / geometry_.scaleX;
        first[x] = (row_[src >> 3] >> (7 - (src & 7))) & 1;
    }
    for (int r = 1; r < rows; ++r) std::copy(first, first + outWidth_, first + static_cast<size_t>(r) * outWidth_);
    out_.height += rows;
    clearRow();
}

Bitmap RasterAssembler::takeRows() {
    Bitmap taken = std::move(out_);
    out_ = Bitmap(outWidth_, 0);
    return taken;
}

void ColumnAssembler::start(const ImageGeometry& g, int bytesPerColumn) {
    geometry_ = g;
    geometry_.scaleX = std::max(1, g.scaleX);
    geometry_.scaleY = std::max(1, g.scaleY);
    bytesPerColumn_ = std::max(1, bytesPerColumn);
    index_ = 0;
    const int w = clippedSize(g.widthDots, geometry_.scaleX, g.clipWidth);
    const int h = clippedSize(static_cast<uint64_t>(bytesPerColumn_) * 8, geometry_.scaleY, g.clipHeight);
    out_ = Bitmap(w, h);
    clipped_ = static_cast<uint64_t>(w) < g.widthDots * geometry_.scaleX;
}

void ColumnAssembler::push(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i, ++index_) {
        const uint8_t v = p[i];
        if (v == 0) continue;
        const uint64_t col = index_ / bytesPerColumn_;
        const int byteInCol = static_cast<int>(index_ % bytesPerColumn_);
        const uint64_t x0 = col * geometry_.scaleX;
        if (x0 >= static_cast<uint64_t>(out_.width)) continue;
        for (int bit = 0; bit < 8; ++bit) {
            if (!((v >> (7 - bit)) & 1)) continue;
            const int y0 = (byteInCol * 8 + bit) * geometry_.scaleY;
            for (int dy = 0; dy < geometry_.scaleY && y0 + dy < out_.height; ++dy)
                for (int dx = 0; dx < geometry_.scaleX && x0 + dx < static_cast<uint64_t>(out_.width); ++dx)
                    out_.set(static_cast<int>(x0) + dx, y0 + dy);
        }
    }
}

Bitmap ColumnAssembler::take() {
    Bitmap taken = std::move(out_);
    out_ = Bitmap();
    return taken;
}

}  // namespace zsim::escpos
