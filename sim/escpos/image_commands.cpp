// Images: bit images in the line (ESC *), raster images (GS v 0), graphics
// (GS ( L, GS 8 L) and the images the printer keeps (GS *, FS q). Image data
// streams into the assemblers and never piles up beyond what reaches the
// paper.
#include <algorithm>
#include <limits>
#include <tuple>

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

uint64_t rasterBytes(const uint8_t* c) { return static_cast<uint64_t>(le16(c + 4)) * le16(c + 6); }
uint64_t downloadImageBytes(const uint8_t* c) { return static_cast<uint64_t>(c[2]) * c[3] * 8; }
// GS 8 L: as GS ( L with a 32-bit length.
uint64_t length32(const uint8_t* c) { return length16(c) | (static_cast<uint64_t>(le16(c + 5)) << 16); }

// FS q n [xL xH yL yH d1 ... dk] x n. A height of 0 is read as one byte a
// column, as the column assembler takes it.
const Records kNvImageRecords{[](const uint8_t* c) -> size_t { return c[2]; }, 4,
                              [](const uint8_t*, const uint8_t* head) -> uint64_t {
                                  return static_cast<uint64_t>(le16(head)) * 8 *
                                         static_cast<uint64_t>(std::max(1, le16(head + 2)));
                              }};

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
    const auto printBuffer = [](auto& p, auto&, auto&) {
        if (p.stored_.graphicsBuffer.empty()) return p.note("GS ( L: print with no graphics stored");
        p.printStoredImage(p.stored_.graphicsBuffer, 1, 1);
        p.stored_.graphicsBuffer = Bitmap();
    };
    const auto dropAll = [](auto& p, auto& f, auto&) { p.dropImages(p.stored_.*f.store); };
    const auto drop = [](auto& p, auto& f, auto& h) { p.dropImages(p.stored_.*f.store, keyAt(h, 2)); };
    const auto define = [](auto& p, auto& f, auto& h) {
        p.storeImage(p.stored_.*f.store, keyAt(h, 3), p.data_.raster.takeRows());
    };
    const auto print = [](auto& p, auto& f, auto& h) {
        const auto it = (p.stored_.*f.store).find(keyAt(h, 2));
        if (it == (p.stored_.*f.store).end()) return p.note("GS ( L: no stored graphics with that key code");
        p.printStoredImage(it->second, std::clamp<int>(h[4], 1, 2), std::clamp<int>(h[5], 1, 2));
    };
    const auto toBuffer = [](auto& p, auto& f, auto&) {
        p.stored_.graphicsBuffer = f.image == Image::ScaledColumns ? p.data_.columns.take() : p.data_.raster.takeRows();
    };
    const auto nv = &Stored::nvGraphics, download = &Stored::downloadGraphics;
    static const GraphicsFunction kFunctions[] = {
        {48, "transmit the NV graphics memory capacity", 2, Image::None, nullptr, nullptr},
        {49, "set the reference dot density for graphics", 4, Image::None, nullptr, nullptr},
        {50, "print the graphics data in the print buffer", 2, Image::None, nullptr, printBuffer},
        {65, "delete all NV graphics data", 2, Image::None, nv, dropAll},
        {66, "delete the specified NV graphics data", 4, Image::None, nv, drop},
        {67, "define the NV graphics data (raster format)", 11, Image::Raster, nv, define},
        {69, "print the specified NV graphics data", 6, Image::None, nv, print},
        {81, "delete all download graphics data", 2, Image::None, download, dropAll},
        {82, "delete the specified download graphics data", 4, Image::None, download, drop},
        {83, "define the download graphics data (raster format)", 11, Image::Raster, download, define},
        {85, "print the specified download graphics data", 6, Image::None, download, print},
        {112, "store the graphics data in the print buffer (raster format)", 10, Image::ScaledRaster, nullptr,
         toBuffer},
        {113, "store the graphics data in the print buffer (column format)", 10, Image::ScaledColumns, nullptr,
         toBuffer},
    };
    const auto other = [](auto& p, auto&, auto& h) {
        p.unsupportedOnce("GS ( L fn " + std::to_string(h[1]), "function not carried out");
    };
    static const GraphicsFunction kOther{-1, nullptr, 2, Image::None, nullptr, other};
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
    const Handler startBitImage = [](auto& p, auto& c) {
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(le16(&c[3]));
        // 8-dot modes print each dot three dots tall, single density two
        // dots wide: the densities of a 203 dpi head.
        g.scaleX = (c[2] == 0 || c[2] == 32) ? 2 : 1;
        g.scaleY = c[2] < 32 ? 3 : 1;
        g.clipWidth = p.line_.roomLeft(p.modes_);
        g.clipHeight = 24;
        p.data_.columns.start(g, c[2] >= 32 ? 3 : 1);
    };
    const auto endBitImage = [](auto& p, bool) {
        if (!p.line_.addImage(p.data_.columns.take(), p.modes_))
            p.note("ESC * image starts beyond the print area, not printed");
    };
    static const DataReader bitImage{nullptr, takeColumns, endBitImage};

    const Handler startRaster = [](auto& p, auto& c) {
        p.finishLine();
        ImageGeometry g;
        g.widthDots = static_cast<uint64_t>(le16(&c[4])) * 8;
        g.heightDots = static_cast<uint64_t>(le16(&c[6]));
        std::tie(g.scaleX, g.scaleY) = scale(asciiOrBinary(c[3]));
        g.clipWidth = p.modes_.areaWidth;
        // In page mode the image is placed whole, so only what fits the area is kept.
        g.clipHeight = p.pageMode_.on ? p.page_.depth() : std::numeric_limits<int>::max();
        p.data_.raster.start(g);
        if (p.data_.raster.clipped()) p.note("GS v 0 image wider than the print area, cut off");
    };
    const auto takeRaster = [](auto& p, const uint8_t* data, size_t n) {
        // A bounded number of rows at a time, so a large piece of input
        // never piles up as one huge bitmap.
        n = std::min(n, static_cast<size_t>(std::max(1, le16(&p.in_.command[4]))) * kRasterStripRows);
        p.data_.raster.push(data, n);
        if (!p.pageMode_.on) p.flushRaster();
        return n;
    };
    const auto endRaster = [](auto& p, bool complete) {
        if (!complete) p.data_.raster.finishPartialRow();
        p.flushRaster();
    };
    static const DataReader raster{nullptr, takeRaster, endRaster};

    const Handler startGraphics = [](auto& p, auto&) {
        p.data_.graphicsHead.clear();
        p.data_.graphicsPart = GraphicsPart::Header;
        p.data_.graphicsImageLeft = 0;
    };
    const auto takeGraphics = [](auto& p, const uint8_t* data, size_t n) { return p.graphicsData(data, n); };
    const auto endGraphics = [](auto& p, bool complete) {
        if (complete) p.graphicsEnd();
    };
    static const DataReader graphics{nullptr, takeGraphics, endGraphics};

    const Handler startDownloadImage = [](auto& p, auto& c) { p.startColumns(c[2], c[3]); };
    const auto endDownloadImage = [](auto& p, bool complete) {
        if (complete) p.stored_.downloadedBitImage = p.data_.columns.take();
    };
    static const DataReader downloadImage{nullptr, takeColumns, endDownloadImage};
    const Handler printDownloadImage = [](auto& p, auto& c) {
        if (p.stored_.downloadedBitImage.empty()) return p.note("GS / without a downloaded bit image");
        const auto [scaleX, scaleY] = scale(asciiOrBinary(c[2]));
        p.printStoredImage(p.stored_.downloadedBitImage, scaleX, scaleY);
    };

    // FS q replaces all NV bit images.
    const Handler startNvImages = [](auto& p, auto&) { p.dropImages(p.stored_.nvBitImages); };
    const auto startNvImage = [](auto& p, auto& head) { p.startColumns(le16(&head[0]), le16(&head[2])); };
    const auto endNvImage = [](auto& p, bool complete) {
        if (complete) p.storeImage(p.stored_.nvBitImages, p.data_.record + 1, p.data_.columns.take());
    };
    static const DataReader nvImages{startNvImage, takeColumns, endNvImage};
    const Handler printNvImage = [](auto& p, auto& c) {
        if (p.pageMode_.on) return p.note("FS p ignored in page mode");
        const auto it = p.stored_.nvBitImages.find(c[2]);
        if (it == p.stored_.nvBitImages.end()) return p.note("FS p: no NV bit image " + std::to_string(c[2]));
        const auto [scaleX, scaleY] = scale(asciiOrBinary(c[3]));
        p.printStoredImage(it->second, scaleX, scaleY);
    };
    return {
        {{ESC, '*'}, "select bit-image mode", bitImageLength, startBitImage, &bitImage},
        {{GS, 'v', '0'}, "print raster bit image", withData<8, rasterBytes>, startRaster, &raster},
        {{GS, '(', 'L'}, "set graphics data", framed16, startGraphics, &graphics, graphicsFunction},
        {{GS, '8', 'L'}, "set graphics data", withData<7, length32>, startGraphics, &graphics, graphicsFunction},
        {{GS, '*'}, "define downloaded bit image", withData<4, downloadImageBytes>, startDownloadImage, &downloadImage},
        {{GS, '/'}, "print downloaded bit image", fixed<3>, printDownloadImage},
        {{FS, 'p'}, "print NV bit image", fixed<4>, printNvImage},
        {{FS, 'q'}, "define NV bit image", withRecords<3, &kNvImageRecords>, startNvImages, &nvImages},
    };
}

size_t Interpreter::takeColumns(Interpreter& p, const uint8_t* data, size_t n) {
    p.data_.columns.push(data, n);
    return n;
}

void Interpreter::startColumns(int widthBytes, int bytesPerColumn) {
    ImageGeometry g;
    g.widthDots = static_cast<uint64_t>(widthBytes) * 8;
    g.clipWidth = config_.paperWidth;
    g.clipHeight = config_.maxImageRows;
    data_.columns.start(g, bytesPerColumn);
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
    if (h.size() < 2 || h.size() < f.head)
        return note("GS ( L fn " + std::to_string(h.size() < 2 ? -1 : h[1]) + ": data shorter than its header");
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
    if (stored_.imageBytes + image.dots.size() > config_.maxStoredImageBytes)
        return note("image memory full, image not stored");
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
    // Printed in strips so the band being drawn stays small; a page takes
    // it whole, as far as its area reaches.
    const bool page = pageMode_.on;
    const int total = page ? std::min(image.height * scaleY, page_.depth()) : image.height * scaleY;
    const int stripRows = page ? total : 256;
    for (int top = 0; top < total; top += stripRows) {
        const int rows = std::min(stripRows, total - top);
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
