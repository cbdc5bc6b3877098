// The print line buffer: characters and ESC * images collect here at the
// positions the printer's grid gives them, and go to the paper as one band
// when the line is printed (LF, ESC J, ESC d, a full line, a block that
// needs the paper to itself). In page mode the line goes to the page
// instead, and blocks join the line at the print position.
#pragma once

#include <algorithm>

#include "escpos/print_modes.h"
#include "escpos/print_sink.h"

namespace zsim::escpos {

class LineComposer {
public:
    explicit LineComposer(PrintSink& sink) : sink_(&sink) {}

    // Where printed lines go from now on; with blocksInLine, blocks are
    // placed at the print position like a large character.
    void setSink(PrintSink& sink, bool blocksInLine) {
        sink_ = &sink;
        blocksInLine_ = blocksInLine;
    }

    // Both return false when nothing of the item fits the print area.
    bool addChar(char32_t cp, bool twoByte, const PrintModes& m, std::shared_ptr<const Bitmap> pattern = nullptr);
    // ESC * image: placed at the cursor; what does not fit is cut off.
    bool addImage(Bitmap bmp, const PrintModes& m);
    void tab(const PrintModes& m);
    void setPosition(long dots, const PrintModes& m);
    void movePosition(long dots, const PrintModes& m);

    bool empty() const { return glyphs_.empty() && images_.empty() && blocks_.empty(); }
    bool atLineStart() const { return empty() && cursor_ == 0; }
    int cursor() const { return cursor_; }
    int roomLeft(const PrintModes& m) const { return std::max(0, m.areaWidth - cursor_); }

    // Prints the buffer and moves the paper by max(minAdvance, line height);
    // an empty buffer just feeds minAdvance.
    void printLine(const PrintModes& m, int minAdvance);
    // Hands on what the line holds without ending it: the print position
    // stays where it is (page mode, before the position moves away).
    void placeLine(const PrintModes& m);
    void feed(int dots) {
        if (dots > 0) sink_->feed(dots);
    }
    // A block (barcode, symbol, raster strip) on a band of its own; items
    // are positioned relative to the block's left edge, which is aligned
    // within the print area.
    void printBlock(Band block, int blockWidth, const PrintModes& m);
    void clear();

private:
    struct BlockItem {
        int x = 0;
        Band block;
    };
    int alignOffset(int used, const PrintModes& m) const;
    Band takeBand(const PrintModes& m, int advance);

    PrintSink* sink_;
    bool blocksInLine_ = false;
    std::vector<GlyphItem> glyphs_;
    std::vector<ImageItem> images_;
    std::vector<BlockItem> blocks_;
    int cursor_ = 0;
    int right_ = 0;   // rightmost dot used
    int height_ = 0;  // tallest item
};

}  // namespace zsim::escpos
