#include "escpos/page_builder.h"

#include <algorithm>

namespace zsim::escpos {

namespace {

// Enough for any page a host lays out on purpose; beyond them the page is
// being flooded, and what comes is dropped with a note.
constexpr size_t kMaxAreas = 64;
constexpr size_t kMaxGlyphs = 50000;
constexpr uint64_t kImagePages = 4;  // image dots kept, in whole pages
// The print position never runs further than this past the area, so
// endless feeds cannot overflow it.
constexpr int kFar = 1 << 24;

enum Noted : unsigned { kOutside = 1, kTooManyAreas = 2, kTooManyGlyphs = 4, kTooManyDots = 8, kSymbolCut = 16 };

bool inside(const Rect& inner, const Rect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool sameArea(const PageArea& a, const Rect& r, PageDirection d) {
    return !a.erase && a.direction == d && a.onPage.x == r.x && a.onPage.y == r.y && a.onPage.width == r.width &&
           a.onPage.height == r.height;
}

uint64_t dotsOf(const Band& b) {
    uint64_t n = 0;
    for (const ImageItem& im : b.images) n += im.bitmap.dots.size();
    return n;
}

}  // namespace

PageBuilder::PageBuilder(int paperWidth, int pageHeight, Note note)
    : paperWidth_(std::max(1, paperWidth)), pageHeight_(std::max(1, pageHeight)), note_(std::move(note)) {
    defaultArea();
}

bool PageBuilder::setArea(long x, long y, long width, long height, std::string& why) {
    if (width <= 0 || height <= 0) {
        why = "print area of no size";
        return false;
    }
    if (x < 0 || y < 0 || x >= paperWidth_ || y >= pageHeight_) {
        why = "print area starts outside the page (" + std::to_string(paperWidth_) + " x " +
              std::to_string(pageHeight_) + " dots)";
        return false;
    }
    const Rect a{static_cast<int>(x), static_cast<int>(y), static_cast<int>(std::min<long>(width, paperWidth_ - x)),
                 static_cast<int>(std::min<long>(height, pageHeight_ - y))};
    if (a.width != width || a.height != height)
        why = "print area cut to the page: " + std::to_string(a.width) + " x " + std::to_string(a.height) + " dots";
    area_ = a;
    return true;
}

void PageBuilder::defaultArea() { area_ = Rect{0, 0, paperWidth_, pageHeight_}; }

PageArea PageBuilder::frame() const {
    PageArea a;
    a.onPage = area_;
    a.direction = direction_;
    return a;
}

int PageBuilder::lineLength() const { return frame().frameWidth(); }

int PageBuilder::depth() const { return frame().frameHeight(); }

void PageBuilder::toStart() {
    top_ = 0;
    bottom_.reset();
}

bool PageBuilder::setVertical(long dots) {
    if (dots < 0 || dots > depth()) return false;
    bottom_ = static_cast<int>(dots);
    return true;
}

bool PageBuilder::moveVertical(long dots, int lineHeight) {
    return setVertical((bottom_ ? *bottom_ : top_ + lineHeight) + dots);
}

void PageBuilder::noteOnce(unsigned flag, const std::string& text) {
    if (noted_ & flag) return;
    noted_ |= flag;
    if (note_) note_(text);
}

PageArea* PageBuilder::areaInForce() {
    if (!areas_.empty() && sameArea(areas_.back(), area_, direction_)) return &areas_.back();
    if (areas_.size() >= kMaxAreas) {
        noteOnce(kTooManyAreas,
                 "page mode: more than " + std::to_string(kMaxAreas) + " print areas on one page, the rest not placed");
        return nullptr;
    }
    PageArea a = frame();
    a.content.height = a.frameHeight();
    areas_.push_back(std::move(a));
    usedBottom_ = std::max(usedBottom_, area_.y + area_.height);
    return &areas_.back();
}

void PageBuilder::band(const Band& b) {
    const int bottom = bottom_ ? *bottom_ : top_ + b.height;
    const int top = bottom - b.height;
    if (b.advance == 0) {
        bottom_ = bottom;
    } else {
        top_ = std::min(top + b.advance, kFar);
        bottom_.reset();
    }
    const int frameWidth = lineLength(), frameHeight = depth();
    if (top >= frameHeight || bottom <= 0)
        return noteOnce(kOutside, "page mode: data beyond the print area not placed");
    PageArea* area = areaInForce();
    if (!area) return;
    Band& into = area->content;
    for (GlyphItem g : b.glyphs) {
        if (glyphs_ >= kMaxGlyphs) {
            noteOnce(kTooManyGlyphs, "page mode: more than " + std::to_string(kMaxGlyphs) +
                                         " characters on one page, the rest not placed");
            break;
        }
        g.y += top;
        into.glyphs.push_back(std::move(g));
        ++glyphs_;
    }
    const uint64_t dots = dotsOf(b);
    if (imageDots_ + dots > kImagePages * paperWidth_ * pageHeight_) {
        noteOnce(kTooManyDots,
                 "page mode: images beyond " + std::to_string(kImagePages) + " pages' worth of dots not placed");
    } else {
        imageDots_ += dots;
        for (ImageItem im : b.images) {
            im.y += top;
            into.images.push_back(std::move(im));
        }
    }
    const Rect whole{0, 0, frameWidth, frameHeight};
    for (SymbolMark s : b.symbols) {
        s.y += top;
        // A symbol the area cuts off cannot be read; it is drawn, not listed.
        if (!inside(Rect{s.x, s.y, s.width, s.height}, whole)) {
            noteOnce(kSymbolCut, "page mode: " + s.type + " cut off by the print area");
            continue;
        }
        into.symbols.push_back(std::move(s));
    }
}

void PageBuilder::feed(int dots) {
    if (dots <= 0) return;
    if (bottom_) {
        bottom_ = std::min(*bottom_ + dots, kFar);
    } else {
        top_ = std::min(top_ + dots, kFar);
    }
}

void PageBuilder::erase() {
    // What lies wholly inside is gone for good; only what the area cuts
    // through needs wiping when the page is drawn.
    const auto gone =
        std::remove_if(areas_.begin(), areas_.end(), [this](const PageArea& a) { return inside(a.onPage, area_); });
    for (auto it = gone; it != areas_.end(); ++it) {
        glyphs_ -= it->content.glyphs.size();
        imageDots_ -= dotsOf(it->content);
    }
    areas_.erase(gone, areas_.end());
    if (areas_.empty()) return;
    if (areas_.size() >= kMaxAreas)
        return noteOnce(kTooManyAreas, "page mode: more than " + std::to_string(kMaxAreas) +
                                           " print areas on one page, CAN not carried out");
    PageArea wipe;
    wipe.onPage = area_;
    wipe.erase = true;
    areas_.push_back(std::move(wipe));
}

PageLayout PageBuilder::layout() const {
    PageLayout p;
    p.height = std::max(usedBottom_, area_.y + area_.height);
    p.areas = areas_;
    return p;
}

void PageBuilder::clear() {
    areas_.clear();
    usedBottom_ = 0;
    glyphs_ = 0;
    imageDots_ = 0;
    noted_ = 0;
    toStart();
}

}  // namespace zsim::escpos
