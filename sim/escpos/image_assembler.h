// Builds bitmaps from image data as it streams in, keeping only the part
// that can land on the paper. The declared size of an image comes from the
// host and may be anything up to gigabytes; what is kept never exceeds the
// clip box.
#pragma once

#include <cstddef>
#include <cstdint>

#include "escpos/types.h"

namespace zsim::escpos {

struct ImageGeometry {
    uint64_t widthDots = 0;  // as declared, before scaling
    uint64_t heightDots = 0;
    int scaleX = 1;
    int scaleY = 1;
    int clipWidth = 0;  // output limits, in printed dots
    int clipHeight = 0;
};

// Row-major data, MSB = leftmost dot, each row padded to whole bytes
// (GS v 0, GS ( L raster graphics). Rows are appended as they complete, so
// the bitmap holds only what actually arrived.
class RasterAssembler {
public:
    void start(const ImageGeometry& g);
    void push(const uint8_t* p, size_t n);
    // The data stopped mid-row: the row is kept with blank dots for what
    // is missing.
    void finishPartialRow() {
        if (column_ > 0) finishRow();
    }
    uint64_t bytesExpected() const { return bytesPerRow_ * geometry_.heightDots; }
    // Moves the rows finished so far out (for printing in strips).
    Bitmap takeRows();
    int outputWidth() const { return outWidth_; }
    bool clipped() const { return clipped_; }

private:
    void finishRow();

    ImageGeometry geometry_;
    uint64_t bytesPerRow_ = 0;
    uint64_t column_ = 0;  // byte index within the current row
    uint64_t rowsDone_ = 0;
    int outWidth_ = 0;
    int keptBytes_ = 0;  // bytes per row that can reach the paper
    std::vector<uint8_t> row_;
    Bitmap out_;
    bool clipped_ = false;
};

// Column-major data, MSB = top dot, bytesPerColumn bytes per column
// (ESC *, GS *, FS q). The bitmap is allocated at its clipped size.
class ColumnAssembler {
public:
    void start(const ImageGeometry& g, int bytesPerColumn);
    void push(const uint8_t* p, size_t n);
    uint64_t bytesExpected() const { return geometry_.widthDots * static_cast<uint64_t>(bytesPerColumn_); }
    Bitmap take();
    int outputWidth() const { return out_.width; }
    bool clipped() const { return clipped_; }

private:
    ImageGeometry geometry_;
    int bytesPerColumn_ = 1;
    uint64_t index_ = 0;
    Bitmap out_;
    bool clipped_ = false;
};

}  // namespace zsim::escpos
