// Commands followed by a block of data: images, symbol data, stored
// images. The data is taken in whatever pieces it arrives in and never
// buffered beyond what can reach the paper.
#include <algorithm>
#include <limits>

#include "escpos/interpreter.h"

namespace zsim::escpos {

namespace {
// GS v 0 strips go to the paper in bands of about this many rows.
constexpr int kRasterStripRows = 128;
int u16(const std::vector<uint8_t>& c, size_t i) { return c[i] | (c[i + 1] << 8); }
int asciiOrBinaryMode(uint8_t m) { return m >= '0' ? m - '0' : m; }

// Bytes of a GS ( L function's own header, counted from m.
size_t graphicsHeadLength(int fn) {
    switch (fn) {
    case 112:
    case 113: return 10;
    case 67:
    case 83: return 11;  // includes the colour byte of the first plane
    case 69:
    case 85: return 6;
    case 49:
    case 1: return 4;
    default: return 2;
    }
}
}  // namespace

void Interpreter::beginData(const Frame& f) {
    frame_ = f;
    inData_ = true;
    dataLeft_ = f.dataLength;
    dataHead_.clear();
    const std::vector<uint8_t>& c = command_;
    switch (f.kind) {
    case DataKind::BitImage: {
        const int m = c[2];
        const int bytesPerColumn = m >= 32 ? 3 : 1;
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(u16(c, 3));
        // 8-dot modes print each dot three dots tall, single density two
        // dots wide: the densities of a 203 dpi head.
        g.scaleX = (m == 0 || m == 32) ? 2 : 1;
        g.scaleY = m < 32 ? 3 : 1;
        g.clipWidth = line_.roomLeft(modes_);
        g.clipHeight = 24;
        columns_.start(g, bytesPerColumn);
        break;
    }
    case DataKind::Raster: {
        if (!line_.empty()) line_.printLine(modes_, modes_.lineSpacing);
        const int m = asciiOrBinaryMode(c[3]);
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(u16(c, 4)) * 8;
        g.heightDots = static_cast<uint64_t>(u16(c, 6));
        g.scaleX = (m & 1) ? 2 : 1;
        g.scaleY = (m & 2) ? 2 : 1;
        g.clipWidth = modes_.areaWidth;
        g.clipHeight = std::numeric_limits<int>::max();
        raster_.start(g);
        if (raster_.clipped()) report_.note(commandStart_, "GS v 0 image wider than the print area, cut off");
        break;
    }
    case DataKind::Symbol2D:
        payload_.clear();
        payload_.reserve(static_cast<size_t>(std::min<uint64_t>(dataLeft_, 4096)));
        break;
    case DataKind::Graphics:
        gfxFunction_ = -1;
        gfxPhase_ = 0;
        gfxImageLeft_ = 0;
        break;
    case DataKind::UserChars: {
        const int first = c[3], last = c[4];
        userCharsLeft_ = last >= first ? last - first + 1 : 0;
        userCharSkip_ = 0;
        userCharCode_ = first;
        userCharBytes_.clear();
        dataLeft_ = 0;
        break;
    }
    case DataKind::NvBitImages:
        nvImagesLeft_ = c[2];
        nvIndex_ = 0;
        nvBitImages_.clear();
        break;
    case DataKind::DownloadImage: {
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(c[2]) * 8;
        g.clipWidth = config_.paperWidth;
        g.clipHeight = config_.maxImageRows;
        columns_.start(g, c[3]);
        break;
    }
    case DataKind::Skip: unsupportedOnce(f.name, "no effect on the paper image"); break;
    case DataKind::None: break;
    }
    const bool streamed = f.kind == DataKind::UserChars || f.kind == DataKind::NvBitImages;
    if (!streamed && dataLeft_ == 0)
        endData(true);
    else if (f.kind == DataKind::UserChars && userCharsLeft_ == 0)
        endData(true);
    else if (f.kind == DataKind::NvBitImages && nvImagesLeft_ == 0)
        endData(true);
}

size_t Interpreter::consumeData(const uint8_t* p, size_t n) {
    if (frame_.kind == DataKind::UserChars) return userCharsData(p, n);
    if (frame_.kind == DataKind::NvBitImages) return nvImagesData(p, n);

    size_t take = static_cast<size_t>(std::min<uint64_t>(dataLeft_, n));
    switch (frame_.kind) {
    case DataKind::BitImage:
    case DataKind::DownloadImage: columns_.push(p, take); break;
    case DataKind::Raster: {
        // Push a bounded number of rows at a time, so a large piece of
        // input never piles up as one huge bitmap.
        const size_t rowBytes = static_cast<size_t>(std::max<uint64_t>(1, (u16(command_, 4))));
        take = std::min(take, rowBytes * kRasterStripRows);
        raster_.push(p, take);
        flushRaster();
        break;
    }
    case DataKind::Symbol2D: payload_.insert(payload_.end(), p, p + take); break;
    case DataKind::Graphics: graphicsData(p, take); break;
    default: break;
    }
    dataLeft_ -= take;
    if (dataLeft_ == 0) endData(true);
    return take;
}

void Interpreter::flushRaster() {
    // Only called with whole strips' worth of rows, or at the end.
    Bitmap rows = raster_.takeRows();
    if (rows.empty()) return;
    Band band;
    band.height = band.advance = rows.height;
    const int width = rows.width;
    band.images.push_back(ImageItem{0, 0, std::move(rows)});
    line_.printBlock(std::move(band), width, modes_);
}

void Interpreter::endData(bool complete) {
    inData_ = false;
    switch (frame_.kind) {
    case DataKind::BitImage:
        if (!line_.addImage(columns_.take(), modes_))
            report_.note(commandStart_, "ESC * image starts beyond the print area, not printed");
        break;
    case DataKind::Raster:
        if (!complete) raster_.finishPartialRow();
        flushRaster();
        break;
    case DataKind::Symbol2D:
        if (complete) symbolEnd();
        break;
    case DataKind::Graphics:
        if (complete) graphicsEnd();
        break;
    case DataKind::DownloadImage:
        if (complete) downloadedBitImage_ = columns_.take();
        break;
    default: break;
    }
    command_.clear();
    payload_.clear();
    payload_.shrink_to_fit();
}

// ESC & y c1 c2 [x d1 ... d(y*x)]...: each character brings its own width.
size_t Interpreter::userCharsData(const uint8_t* p, size_t n) {
    size_t used = 0;
    const int y = command_[2];
    while (used < n && inData_) {
        if (userCharSkip_ > 0) {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(userCharSkip_, n - used));
            // At most a cell's worth is kept (y <= 3, x <= 12); a wider
            // pattern is read past and refused when complete.
            const size_t keep = std::min(take, 36 - std::min<size_t>(36, userCharBytes_.size()));
            userCharBytes_.insert(userCharBytes_.end(), p + used, p + used + keep);
            userCharSkip_ -= take;
            used += take;
        } else {
            userCharWidth_ = p[used++];
            userCharBytes_.clear();
            userCharSkip_ = static_cast<uint64_t>(y) * userCharWidth_;
        }
        if (userCharSkip_ == 0) {
            // A character is complete when its width byte was read and its
            // pattern (if any) taken.
            defineUserChar(userCharCode_++, userCharWidth_, userCharBytes_);
            if (--userCharsLeft_ <= 0) endData(true);
        }
    }
    return used;
}

void Interpreter::graphicsData(const uint8_t* p, size_t n) {
    while (n > 0) {
        if (gfxPhase_ == 0) {
            dataHead_.push_back(*p++);
            --n;
            if (dataHead_.size() == 2) gfxFunction_ = dataHead_[1];
            if (dataHead_.size() >= 2 && dataHead_.size() == graphicsHeadLength(gfxFunction_)) graphicsHeader();
        } else if (gfxPhase_ == 1) {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(gfxImageLeft_, n));
            if (gfxFunction_ == 113)
                columns_.push(p, take);
            else
                raster_.push(p, take);
            gfxImageLeft_ -= take;
            p += take;
            n -= take;
            if (gfxImageLeft_ == 0) gfxPhase_ = 2;
        } else {
            return;  // later colour planes and unused bytes
        }
    }
}

void Interpreter::graphicsHeader() {
    const std::vector<uint8_t>& h = dataHead_;
    ImageGeometry g;
    g.clipWidth = config_.paperWidth;
    g.clipHeight = config_.maxImageRows;
    switch (gfxFunction_) {
    case 112:
    case 113:
        g.scaleX = std::clamp<int>(h[3], 1, 2);
        g.scaleY = std::clamp<int>(h[4], 1, 2);
        [[fallthrough]];
    case 67:
    case 83:
        g.widthDots = static_cast<uint64_t>(u16(h, 6));
        g.heightDots = static_cast<uint64_t>(u16(h, 8));
        if (gfxFunction_ == 113) {
            const int bytesPerColumn = static_cast<int>((g.heightDots + 7) / 8);
            columns_.start(g, bytesPerColumn);
            gfxImageLeft_ = columns_.bytesExpected();
        } else {
            raster_.start(g);
            gfxImageLeft_ = raster_.bytesExpected();
        }
        gfxPhase_ = gfxImageLeft_ > 0 ? 1 : 2;
        return;
    default: gfxPhase_ = 2; return;
    }
}

void Interpreter::graphicsEnd() {
    const std::vector<uint8_t>& h = dataHead_;
    const auto key = [&h] { return h.size() >= 4 ? (h[2] << 8) | h[3] : -1; };
    // A command whose data ends inside its own header carries nothing to
    // act on; reading the missing header bytes would run past the data.
    if (h.size() < 2 || h.size() < graphicsHeadLength(gfxFunction_)) {
        report_.note(commandStart_, "GS ( L fn " + std::to_string(gfxFunction_) + ": data shorter than its header");
        return;
    }
    switch (gfxFunction_) {
    case 112: graphicsBuffer_ = raster_.takeRows(); return;
    case 113: graphicsBuffer_ = columns_.take(); return;
    case 67: storeImage(nvGraphics_, (h[3] << 8) | h[4], raster_.takeRows()); return;
    case 83: storeImage(downloadGraphics_, (h[3] << 8) | h[4], raster_.takeRows()); return;
    case 50:
    case 2:
        if (graphicsBuffer_.empty()) {
            report_.note(commandStart_, "GS ( L: print with no graphics stored");
            return;
        }
        printStoredImage(graphicsBuffer_, 1, 1);
        graphicsBuffer_ = Bitmap();
        return;
    case 69:
    case 85: {
        auto& store = gfxFunction_ == 69 ? nvGraphics_ : downloadGraphics_;
        const auto it = store.find(key());
        if (it == store.end()) {
            report_.note(commandStart_, "GS ( L: no stored graphics with that key code");
            return;
        }
        printStoredImage(it->second, std::clamp<int>(h[4], 1, 2), std::clamp<int>(h[5], 1, 2));
        return;
    }
    case 65: nvGraphics_.clear(); return;
    case 66: nvGraphics_.erase(key()); return;
    case 80: downloadGraphics_.clear(); return;
    case 81: downloadGraphics_.erase(key()); return;
    case 48:
    case 0:
    case 49:
    case 1: return;  // capacity query without effect, reference density
    default: unsupportedOnce("GS ( L fn " + std::to_string(gfxFunction_), "function not carried out"); return;
    }
}

void Interpreter::storeImage(std::map<int, Bitmap>& store, int key, Bitmap image) {
    const auto old = store.find(key);
    if (old != store.end()) {
        storedImageBytes_ -= old->second.dots.size();
        store.erase(old);
    }
    if (storedImageBytes_ + image.dots.size() > config_.maxStoredImageBytes) {
        report_.note(commandStart_, "image memory full, image not stored");
        return;
    }
    storedImageBytes_ += image.dots.size();
    store.emplace(key, std::move(image));
}

void Interpreter::printStoredImage(const Bitmap& image, int scaleX, int scaleY) {
    if (!line_.empty()) line_.printLine(modes_, modes_.lineSpacing);
    const int width = std::min(image.width * scaleX, modes_.areaWidth);
    if (width <= 0 || image.height <= 0) return;
    // Printed in strips so the band being drawn stays small.
    constexpr int kStrip = 256;
    const int total = image.height * scaleY;
    for (int top = 0; top < total; top += kStrip) {
        const int rows = std::min(kStrip, total - top);
        Bitmap strip(width, rows);
        for (int y = 0; y < rows; ++y) {
            const int sy = (top + y) / scaleY;
            for (int x = 0; x < width; ++x)
                if (image.at(x / scaleX, sy)) strip.set(x, y);
        }
        Band band;
        band.height = band.advance = rows;
        band.images.push_back(ImageItem{0, 0, std::move(strip)});
        line_.printBlock(std::move(band), width, modes_);
    }
}

// FS q n [xL xH yL yH d1 ... dk] x n: replaces all NV bit images.
size_t Interpreter::nvImagesData(const uint8_t* p, size_t n) {
    size_t used = 0;
    while (used < n && inData_) {
        if (dataHead_.size() < 4) {
            dataHead_.push_back(p[used++]);
            if (dataHead_.size() < 4) continue;
            ImageGeometry g;
            g.widthDots = static_cast<uint64_t>(u16(dataHead_, 0)) * 8;
            g.clipWidth = config_.paperWidth;
            g.clipHeight = config_.maxImageRows;
            columns_.start(g, u16(dataHead_, 2));
            dataLeft_ = columns_.bytesExpected();
        } else {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(dataLeft_, n - used));
            columns_.push(p + used, take);
            used += take;
            dataLeft_ -= take;
        }
        if (dataHead_.size() == 4 && dataLeft_ == 0) {
            storeImage(nvBitImages_, ++nvIndex_, columns_.take());
            dataHead_.clear();
            if (--nvImagesLeft_ <= 0) endData(true);
        }
    }
    return used;
}

void Interpreter::symbolEnd() {
    const std::vector<uint8_t>& d = payload_;
    if (d.size() < 2) {
        report_.note(commandStart_, "GS ( k too short");
        return;
    }
    const int cn = d[0], fn = d[1];
    if (cn == 48) {
        pdf417Function(d);
        return;
    }
    if (cn != 49) {
        if (fn == 81) unsupportedOnce("GS ( k cn " + std::to_string(cn), "only QR codes and PDF417 are printed");
        return;
    }
    switch (fn) {
    case 65:
        if (d.size() >= 3 && d[2] != 50) unsupportedOnce("QR model", "printed as model 2");
        return;
    case 67:
        if (d.size() >= 3 && d[2] >= 1 && d[2] <= 16) qrModule_ = d[2];
        return;
    case 69:
        if (d.size() >= 3 && d[2] >= 48 && d[2] <= 51) qrLevel_ = d[2] - 48;
        return;
    case 80: qrData_.assign(d.begin() + std::min<size_t>(3, d.size()), d.end()); return;
    case 81: printQr(); return;
    default: unsupportedOnce("GS ( k fn " + std::to_string(fn), "QR function not carried out"); return;
    }
}

}  // namespace zsim::escpos
