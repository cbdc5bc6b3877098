// The page that page mode fills: the print area and direction in force, the
// print position across the area's lines, and the areas filled so far. Lines
// reach it from the line composer as bands, as they would reach the paper,
// and stay until the page is printed or cleared. What it keeps is bounded
// however much a host sends without ever printing the page.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "escpos/print_sink.h"

namespace zsim::escpos {

class PageBuilder : public PrintSink {
public:
    using Note = std::function<void(const std::string&)>;

    // pageHeight: how long a page may be, in dots (the printable area in page mode).
    PageBuilder(int paperWidth, int pageHeight, Note note);

    // ESC W, in dots from the page's upper left. A size that reaches beyond
    // the page is cut to it (why says so); an origin outside the page or an
    // empty size changes nothing and returns false.
    bool setArea(long x, long y, long width, long height, std::string& why);
    void defaultArea();
    void setDirection(PageDirection d) { direction_ = d; }
    // The area's extent along its lines (the line width) and across them.
    int lineLength() const;
    int depth() const;

    // The print position goes back to where the area's first line starts.
    void toStart();
    // GS $ and GS \: where the bottom of the next characters stands,
    // counted from the area's first-line edge. A position outside the area
    // is not taken (false). lineHeight stands for the line's bottom while
    // the position is still measured from a line's top.
    bool setVertical(long dots);
    bool moveVertical(long dots, int lineHeight);
    // CAN: what lies in the area in force is wiped.
    void erase();

    bool hasContent() const { return !areas_.empty(); }
    // The page as it stands: every area filled so far and the one in force.
    PageLayout layout() const;
    // Empties the page; the area and direction stay.
    void clear();

    // A line (or a part of one) at the print position.
    void band(const Band& b) override;
    void feed(int dots) override;
    // Pages and cuts never reach a page.
    void page(const PageLayout&) override {}
    void cut(CutKind) override {}

private:
    // The area in force, empty.
    PageArea frame() const;
    PageArea* areaInForce();
    void noteOnce(unsigned flag, const std::string& text);

    int paperWidth_;
    int pageHeight_;
    Note note_;
    Rect area_;
    PageDirection direction_ = PageDirection::LeftToRight;
    // The print position across the lines: the top of the next line, or,
    // once placed by GS $, GS \ or part of a line, the bottom it stands on.
    int top_ = 0;
    std::optional<int> bottom_;
    std::vector<PageArea> areas_;
    int usedBottom_ = 0;  // lowest edge of the areas filled
    size_t glyphs_ = 0;
    uint64_t imageDots_ = 0;
    unsigned noted_ = 0;
};

}  // namespace zsim::escpos
