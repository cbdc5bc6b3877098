// Character patterns for the printer's fonts, drawn once with pango/cairo
// at the base cell size as plain dots and kept; larger sizes are made by
// repeating dots, as the printer does with its own font ROM.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "escpos/types.h"

namespace zsim::render {

struct GlyphPattern {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;  // 0 or 255, row-major
    int inkTop = 0;                 // rows [inkTop, inkBottom) hold all dots
    int inkBottom = 0;
};

class GlyphCache {
public:
    GlyphCache();
    ~GlyphCache();
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // Pattern filling the font's base cell (12x24, 9x17, 24x24 ...).
    const GlyphPattern& pattern(char32_t cp, escpos::FontKind font, int cellWidth, int cellHeight);

private:
    GlyphPattern draw(char32_t cp, escpos::FontKind font, int cellWidth, int cellHeight);

    struct Pango;
    std::unique_ptr<Pango> pango_;
    std::unordered_map<uint64_t, GlyphPattern> cache_;
};

}  // namespace zsim::render
