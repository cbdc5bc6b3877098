// The paper roll: draws the interpreter's bands with cairo-made glyphs and
// plain dot copies, and hands out a finished page at every cut. Memory is
// bounded by the page length cap, whatever the input asks for.
#pragma once

#include <functional>

#include "escpos/print_sink.h"
#include "render/glyph_cache.h"
#include "render/page_image.h"

namespace zsim::render {

struct PaperConfig {
    int width = 576;
    int maxLength = 24000;  // dots; 3 m at 8 dots/mm
    int dpi = 203;          // of the head, for the page's physical size
};

class Paper : public escpos::PrintSink {
public:
    // The page is only valid during the call: its buffers are reused for
    // the next page, so a long run does not keep allocating fresh memory.
    using PageDone = std::function<void(const PageImage&)>;

    Paper(const PaperConfig& config, GlyphCache& glyphs, PageDone done);

    void band(const escpos::Band& band) override;
    void feed(int dots) override;
    void page(const escpos::PageLayout& page) override;
    void cut(escpos::CutKind kind) override;

    // Ends the page at the end of a job that had no cut after its last
    // output. Nothing happens if the page is blank and unmoved.
    void finish();
    // Paper out: output is dropped until it is back.
    void setPaperOut(bool out) { paperOut_ = out; }
    uint64_t takeDroppedWhilePaperOut() {
        const uint64_t n = droppedWhileOut_;
        droppedWhileOut_ = 0;
        return n;
    }

private:
    void endPage(bool byCut);
    void ensureRows(int rows);
    // A buffer of dots to draw into, row after row of width dots; its
    // first dot is where items place (x0, y0).
    struct Canvas {
        uint8_t* dots;
        int width;
        int height;
        int x0 = 0;
        int y0 = 0;
    };
    void drawItems(const Canvas& c, const escpos::Band& band);
    void drawGlyph(const Canvas& c, const escpos::GlyphItem& g);
    void drawArea(const escpos::PageArea& area, int rows);
    void advance(int dots);

    PaperConfig config_;
    GlyphCache& glyphs_;
    PageDone done_;
    PageImage page_;
    int y_ = 0;  // paper position in dots
    bool touched_ = false;
    bool paperOut_ = false;
    uint64_t droppedWhileOut_ = 0;
    std::vector<uint8_t> scratch_;
};

}  // namespace zsim::render
