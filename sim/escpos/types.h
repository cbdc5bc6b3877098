// Plain data passed from the interpreter to whatever draws the paper.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zsim::escpos {

// One byte per dot, 0 = white, 1 = black. Sizes are always clipped to the
// paper by whoever builds the bitmap, so a bitmap never outgrows the page.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> dots;

    Bitmap() = default;
    Bitmap(int w, int h) : width(w), height(h), dots(static_cast<size_t>(w) * h, 0) {}
    uint8_t at(int x, int y) const { return dots[static_cast<size_t>(y) * width + x]; }
    void set(int x, int y) { dots[static_cast<size_t>(y) * width + x] = 1; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// The single-byte fonts as ESC M numbers them (a model has some of them), and
// the two-byte characters' font.
enum class FontKind : uint8_t { A, B, C, D, E, Cjk };

// A character cell on the printer's grid. The glyph box is the base cell
// scaled by the size multipliers; spacing to its right belongs to the cell
// (it is underlined and reversed along with the glyph, as on the printer).
struct GlyphItem {
    int x = 0;
    int y = 0;
    int boxWidth = 0;
    int boxHeight = 0;
    int spacing = 0;
    char32_t codepoint = U' ';
    FontKind font = FontKind::A;
    int widthMul = 1;
    int heightMul = 1;
    bool bold = false;
    bool reverse = false;
    int underline = 0;  // thickness in dots, 0 = none
    // A user-defined character's dots in the base cell (ESC &); without one
    // the font's own glyph for codepoint is drawn.
    std::shared_ptr<const Bitmap> pattern;
};

struct ImageItem {
    int x = 0;
    int y = 0;
    Bitmap bitmap;
};

// Where a barcode or 2D symbol was printed and what it should read as, so
// tests and tools can find and check each one.
struct SymbolMark {
    std::string type;  // "EAN-13", "QR", ...
    std::string text;  // the content a reader should return
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int module = 1;  // dots per module (narrow bar, QR cell)
};

// A horizontal strip of paper: what one printed line (or one piece of an
// image) puts down, and how far the paper moves afterwards.
struct Band {
    int height = 0;
    // In page mode 0 is part of a line placed before the print position
    // moves elsewhere on the same line (GS $, ESC T...).
    int advance = 0;
    bool upsideDown = false;
    std::vector<GlyphItem> glyphs;
    std::vector<ImageItem> images;
    std::vector<SymbolMark> symbols;
};

enum class CutKind : uint8_t { Full, Partial };

struct DrawerPulse {
    int pin = 2;  // drawer kick connector pin: 2 or 5
    int onMs = 0;
    int offMs = 0;
    std::string command;  // "ESC p" or "DLE DC4"
};

}  // namespace zsim::escpos
