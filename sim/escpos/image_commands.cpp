// Images: bit images in the line (ESC *), raster images (GS v 0), graphics
// (GS ( L, GS 8 L) and the images the printer keeps (GS *, FS q). Image data
// streams into the assemblers and never piles up beyond what reaches the
// paper.
#include <algorithm>
#include <limits>

#include "escpos/interpreter.h"

namespace zsim::escpos {

namespace {

// GS v 0 strips go to the paper in bands of about this many rows.
constexpr int kRasterStripRows = 128;

// ESC * m nL nH: 8-dot (m = 0, 1) or 24-dot (m = 32, 33) columns.
Extent bitImageLength(const uint8_t* c, size_t n) {
    if (n < 5) return {};
    const uint64_t columns = static_cast<uint64_t>(le16(c + 3));
    if (c[2] == 0 || c[2] == 1) return {Fit::Whole, 5, columns};
    if (c[2] == 32 || c[2] == 33) return {Fit::Whole, 5, columns * 3};
    return {Fit::NoCommand};
}

Extent rasterLength(const uint8_t* c, size_t n) {
    if (n < 8) return {};
    return {Fit::Whole, 8, static_cast<uint64_t>(le16(c + 4)) * static_cast<uint64_t>(le16(c + 6))};
}

Extent downloadImageLength(const uint8_t* c, size_t n) {
    if (n < 4) return {};
    return {Fit::Whole, 4, static_cast<uint64_t>(c[2]) * c[3] * 8};
}

// GS 8 L: as GS ( L with a 32-bit length.
Extent framed32(const uint8_t* c, size_t n) {
    if (n < 7) return {};
    return {Fit::Whole, 7, static_cast<uint64_t>(le16(c + 3)) | (static_cast<uint64_t>(le16(c + 5)) << 16)};
}

// FS q n [xL xH yL yH d1 ... dk] x n. A height of 0 is read as one byte a
// column, as the column assembler takes it.
const Records kNvImageRecords{[](const uint8_t* c) -> size_t { return c[2]; }, 4,
                              [](const uint8_t*, const uint8_t* head) -> uint64_t {
                                  return static_cast<uint64_t>(le16(head)) * 8 *
                                         static_cast<uint64_t>(std::max(1, le16(head + 2)));
                              }};

Extent nvImagesLength(const uint8_t*, size_t n) {
    if (n < 3) return {};
    return {Fit::Whole, 3, 0, &kNvImageRecords};
}

int keyAt(const Bytes& h, size_t i) { return (h[i] << 8) | h[i + 1]; }

// GS /, FS p: bit 0 doubles the width, bit 1 the height.
std::pair<int, int> scale(int m) { return {(m & 1) + 1, ((m >> 1) & 1) + 1}; }

}  // namespace

// A function of GS ( L and GS 8 L: its own header (from m on), the image
// that follows it, the store it works on, and what it does once all its data
// is in.
struct Interpreter::GraphicsFunction {
    enum class Image : uint8_t { None, Raster, ScaledRaster, ScaledColumns };
    int fn;
    const char* what;
    size_t head;
    Image image;
    std::map<int, Bitmap> Stored::*store;
    void (*end)(Interpreter& p, const GraphicsFunction& f, const Bytes& h);
};

const Interpreter::GraphicsFunction& Interpreter::graphicsFunctionFor(const Bytes& head) {
    using Image = GraphicsFunction::Image;
    const auto printBuffer = [](Interpreter& p, const GraphicsFunction&, const Bytes&) {
        if (p.stored_.graphicsBuffer.empty()) {
            p.note("GS ( L: print with no graphics stored");
            return;
        }
        p.printStoredImage(p.stored_.graphicsBuffer, 1, 1);
        p.stored_.graphicsBuffer = Bitmap();
    };
    const auto dropAll = [](Interpreter& p, const GraphicsFunction& f, const Bytes&) {
        p.dropImages(p.stored_.*f.store);
    };
    const auto drop = [](Interpreter& p, const GraphicsFunction& f, const Bytes& h) {
        p.dropImages(p.stored_.*f.store, keyAt(h, 2));
    };
    const auto define = [](Interpreter& p, const GraphicsFunction& f, const Bytes& h) {
        p.storeImage(p.stored_.*f.store, keyAt(h, 3), p.data_.raster.takeRows());
    };
    const auto print = [](Interpreter& p, const GraphicsFunction& f, const Bytes& h) {
        const auto& store = p.stored_.*f.store;
        const auto it = store.find(keyAt(h, 2));
        if (it == store.end()) {
            p.note("GS ( L: no stored graphics with that key code");
            return;
        }
        p.printStoredImage(it->second, std::clamp<int>(h[4], 1, 2), std::clamp<int>(h[5], 1, 2));
    };
    const auto toBuffer = [](Interpreter& p, const GraphicsFunction& f, const Bytes&) {
        p.stored_.graphicsBuffer = f.image == Image::ScaledColumns ? p.data_.columns.take() : p.data_.raster.takeRows();
    };
    static const GraphicsFunction kFunctions[] = {
        {48, "transmit the NV graphics memory capacity", 2, Image::None, nullptr, nullptr},
        {49, "set the reference dot density for graphics", 4, Image::None, nullptr, nullptr},
        {50, "print the graphics data in the print buffer", 2, Image::None, nullptr, printBuffer},
        {65, "delete all NV graphics data", 2, Image::None, &Stored::nvGraphics, dropAll},
        {66, "delete the specified NV graphics data", 4, Image::None, &Stored::nvGraphics, drop},
        {67, "define the NV graphics data (raster format)", 11, Image::Raster, &Stored::nvGraphics, define},
        {69, "print the specified NV graphics data", 6, Image::None, &Stored::nvGraphics, print},
        {81, "delete all download graphics data", 2, Image::None, &Stored::downloadGraphics, dropAll},
        {82, "delete the specified download graphics data", 4, Image::None, &Stored::downloadGraphics, drop},
        {83, "define the download graphics data (raster format)", 11, Image::Raster, &Stored::downloadGraphics, define},
        {85, "print the specified download graphics data", 6, Image::None, &Stored::downloadGraphics, print},
        {112, "store the graphics data in the print buffer (raster format)", 10, Image::ScaledRaster, nullptr,
         toBuffer},
        {113, "store the graphics data in the print buffer (column format)", 10, Image::ScaledColumns, nullptr,
         toBuffer},
    };
    static const GraphicsFunction kOther{
        -1, nullptr, 2, Image::None, nullptr, [](Interpreter& p, const GraphicsFunction&, const Bytes& h) {
            p.unsupportedOnce("GS ( L fn " + std::to_string(h[1]), "function not carried out");
        }};
    if (head.size() < 2) return kOther;
    // Functions 48 to 52 may also be given as 0 to 4.
    const int fn = head[1] < 5 ? head[1] + 48 : head[1];
    for (const GraphicsFunction& f : kFunctions)
        if (f.fn == fn) return f;
    return kOther;
}

const char* Interpreter::graphicsFunction(const uint8_t* data, size_t n) {
    return graphicsFunctionFor(Bytes(data, data + std::min<size_t>(n, 2))).what;
}

std::vector<CommandRow> Interpreter::imageCommands() {
    const Handler startBitImage = [](Interpreter& p, const Bytes& c) {
        const int m = c[2];
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(le16(&c[3]));
        // 8-dot modes print each dot three dots tall, single density two
        // dots wide: the densities of a 203 dpi head.
        g.scaleX = (m == 0 || m == 32) ? 2 : 1;
        g.scaleY = m < 32 ? 3 : 1;
        g.clipWidth = p.line_.roomLeft(p.modes_);
        g.clipHeight = 24;
        p.data_.columns.start(g, m >= 32 ? 3 : 1);
    };
    const auto endBitImage = [](Interpreter& p, bool) {
        if (!p.line_.addImage(p.data_.columns.take(), p.modes_))
            p.note("ESC * image starts beyond the print area, not printed");
    };
    static const DataReader bitImage{nullptr, takeColumns, endBitImage};

    const Handler startRaster = [](Interpreter& p, const Bytes& c) {
        p.finishLine();
        const auto [scaleX, scaleY] = scale(asciiOrBinary(c[3]));
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(le16(&c[4])) * 8;
        g.heightDots = static_cast<uint64_t>(le16(&c[6]));
        g.scaleX = scaleX;
        g.scaleY = scaleY;
        g.clipWidth = p.modes_.areaWidth;
        g.clipHeight = std::numeric_limits<int>::max();
        p.data_.raster.start(g);
        if (p.data_.raster.clipped()) p.note("GS v 0 image wider than the print area, cut off");
    };
    const auto takeRaster = [](Interpreter& p, const uint8_t* data, size_t n) {
        // A bounded number of rows at a time, so a large piece of input
        // never piles up as one huge bitmap.
        const size_t rowBytes = std::max(1, le16(&p.in_.command[4]));
        n = std::min(n, rowBytes * kRasterStripRows);
        p.data_.raster.push(data, n);
        p.flushRaster();
        return n;
    };
    const auto endRaster = [](Interpreter& p, bool complete) {
        if (!complete) p.data_.raster.finishPartialRow();
        p.flushRaster();
    };
    static const DataReader raster{nullptr, takeRaster, endRaster};

    const Handler startGraphics = [](Interpreter& p, const Bytes&) {
        p.data_.graphicsHead.clear();
        p.data_.graphicsPart = GraphicsPart::Header;
        p.data_.graphicsImageLeft = 0;
    };
    const auto takeGraphics = [](Interpreter& p, const uint8_t* data, size_t n) { return p.graphicsData(data, n); };
    const auto endGraphics = [](Interpreter& p, bool complete) {
        if (complete) p.graphicsEnd();
    };
    static const DataReader graphics{nullptr, takeGraphics, endGraphics};

    const Handler startDownloadImage = [](Interpreter& p, const Bytes& c) {
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(c[2]) * 8;
        g.clipWidth = p.config_.paperWidth;
        g.clipHeight = p.config_.maxImageRows;
        p.data_.columns.start(g, c[3]);
    };
    const auto endDownloadImage = [](Interpreter& p, bool complete) {
        if (complete) p.stored_.downloadedBitImage = p.data_.columns.take();
    };
    static const DataReader downloadImage{nullptr, takeColumns, endDownloadImage};
    const Handler printDownloadImage = [](Interpreter& p, const Bytes& c) {
        if (p.stored_.downloadedBitImage.empty()) {
            p.note("GS / without a downloaded bit image");
            return;
        }
        const auto [scaleX, scaleY] = scale(asciiOrBinary(c[2]));
        p.printStoredImage(p.stored_.downloadedBitImage, scaleX, scaleY);
    };

    // FS q replaces all NV bit images.
    const Handler startNvImages = [](Interpreter& p, const Bytes&) { p.dropImages(p.stored_.nvBitImages); };
    const auto startNvImage = [](Interpreter& p, const Bytes& head) {
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(le16(head.data())) * 8;
        g.clipWidth = p.config_.paperWidth;
        g.clipHeight = p.config_.maxImageRows;
        p.data_.columns.start(g, le16(head.data() + 2));
    };
    const auto endNvImage = [](Interpreter& p, bool complete) {
        if (complete) p.storeImage(p.stored_.nvBitImages, p.data_.record + 1, p.data_.columns.take());
    };
    static const DataReader nvImages{startNvImage, takeColumns, endNvImage};
    const Handler printNvImage = [](Interpreter& p, const Bytes& c) {
        const auto it = p.stored_.nvBitImages.find(c[2]);
        if (it == p.stored_.nvBitImages.end()) {
            p.note("FS p: no NV bit image " + std::to_string(c[2]));
            return;
        }
        const auto [scaleX, scaleY] = scale(asciiOrBinary(c[3]));
        p.printStoredImage(it->second, scaleX, scaleY);
    };
    return {
        {{ESC, '*'}, "select bit-image mode", bitImageLength, startBitImage, &bitImage},
        {{GS, 'v', '0'}, "print raster bit image", rasterLength, startRaster, &raster},
        {{GS, '(', 'L'}, "set graphics data", framed16, startGraphics, &graphics, graphicsFunction},
        {{GS, '8', 'L'}, "set graphics data", framed32, startGraphics, &graphics, graphicsFunction},
        {{GS, '*'}, "define downloaded bit image", downloadImageLength, startDownloadImage, &downloadImage},
        {{GS, '/'}, "print downloaded bit image", fixed<3>, printDownloadImage},
        {{FS, 'p'}, "print NV bit image", fixed<4>, printNvImage},
        {{FS, 'q'}, "define NV bit image", nvImagesLength, startNvImages, &nvImages},
    };
}

size_t Interpreter::takeColumns(Interpreter& p, const uint8_t* data, size_t n) {
    p.data_.columns.push(data, n);
    return n;
}

size_t Interpreter::graphicsData(const uint8_t* p, size_t n) {
    DataPhase& d = data_;
    const size_t offered = n;
    while (n > 0 && d.graphicsPart != GraphicsPart::Rest) {
        if (d.graphicsPart == GraphicsPart::Header) {
            d.graphicsHead.push_back(*p++);
            --n;
            const GraphicsFunction& f = graphicsFunctionFor(d.graphicsHead);
            if (d.graphicsHead.size() >= 2 && d.graphicsHead.size() == f.head) graphicsHeader(f);
        } else {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(d.graphicsImageLeft, n));
            if (graphicsFunctionFor(d.graphicsHead).image == GraphicsFunction::Image::ScaledColumns) {
                d.columns.push(p, take);
            } else {
                d.raster.push(p, take);
            }
            d.graphicsImageLeft -= take;
            p += take;
            n -= take;
            if (d.graphicsImageLeft == 0) d.graphicsPart = GraphicsPart::Rest;
        }
    }
    // Later colour planes and unused bytes are passed over.
    return offered;
}

void Interpreter::graphicsHeader(const GraphicsFunction& f) {
    using Image = GraphicsFunction::Image;
    const Bytes& h = data_.graphicsHead;
    data_.graphicsPart = GraphicsPart::Rest;
    if (f.image == Image::None) return;
    ImageGeometry g;
    g.clipWidth = config_.paperWidth;
    g.clipHeight = config_.maxImageRows;
    if (f.image != Image::Raster) {
        g.scaleX = std::clamp<int>(h[3], 1, 2);
        g.scaleY = std::clamp<int>(h[4], 1, 2);
    }
    g.widthDots = static_cast<uint64_t>(le16(&h[6]));
    g.heightDots = static_cast<uint64_t>(le16(&h[8]));
    if (f.image == Image::ScaledColumns) {
        data_.columns.start(g, static_cast<int>((g.heightDots + 7) / 8));
        data_.graphicsImageLeft = data_.columns.bytesExpected();
    } else {
        data_.raster.start(g);
        data_.graphicsImageLeft = data_.raster.bytesExpected();
    }
    if (data_.graphicsImageLeft > 0) data_.graphicsPart = GraphicsPart::Image;
}

void Interpreter::graphicsEnd() {
    const Bytes& h = data_.graphicsHead;
    const GraphicsFunction& f = graphicsFunctionFor(h);
    // A command whose data ends inside its own header carries nothing to
    // act on; reading the missing header bytes would run past the data.
    if (h.size() < 2 || h.size() < f.head) {
        note("GS ( L fn " + std::to_string(h.size() < 2 ? -1 : h[1]) + ": data shorter than its header");
        return;
    }
    if (f.end) f.end(*this, f, h);
}

void Interpreter::flushRaster() {
    // Only called with whole strips' worth of rows, or at the end.
    Bitmap rows = data_.raster.takeRows();
    if (rows.empty()) return;
    Band band;
    band.height = band.advance = rows.height;
    const int width = rows.width;
    band.images.push_back(ImageItem{0, 0, std::move(rows)});
    line_.printBlock(std::move(band), width, modes_);
}

void Interpreter::storeImage(std::map<int, Bitmap>& store, int key, Bitmap image) {
    dropImages(store, key);
    if (stored_.imageBytes + image.dots.size() > config_.maxStoredImageBytes) {
        note("image memory full, image not stored");
        return;
    }
    stored_.imageBytes += image.dots.size();
    store.emplace(key, std::move(image));
}

void Interpreter::dropImages(std::map<int, Bitmap>& store, int key) {
    const auto it = store.find(key);
    if (it == store.end()) return;
    stored_.imageBytes -= it->second.dots.size();
    store.erase(it);
}

void Interpreter::dropImages(std::map<int, Bitmap>& store) {
    for (const auto& [key, image] : store) stored_.imageBytes -= image.dots.size();
    store.clear();
}

void Interpreter::printStoredImage(const Bitmap& image, int scaleX, int scaleY) {
    finishLine();
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

}  // namespace zsim::escpos
