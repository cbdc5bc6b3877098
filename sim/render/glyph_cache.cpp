#include "render/glyph_cache.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

#include "escpos/print_modes.h"
#include "escpos/text_decoder.h"

namespace zsim::render {

namespace {
// Enough for every character of a long Chinese receipt; cleared when full
// so a stream of random two-byte codes cannot grow it without bound.
constexpr size_t kMaxCached = 8192;

const char* familyFor(escpos::FontKind font) {
    // The Mono face has half-width Latin, the proportional one is the
    // reference CJK design.
    return font == escpos::FontKind::Cjk ? "WenQuanYi Zen Hei" : "WenQuanYi Zen Hei Mono";
}

}  // namespace

struct GlyphCache::Pango {
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;
    cairo_font_options_t* options = nullptr;
    ~Pango() {
        if (context) g_object_unref(context);
        if (fontMap) g_object_unref(fontMap);
        if (options) cairo_font_options_destroy(options);
    }
};

GlyphCache::GlyphCache() : pango_(std::make_unique<Pango>()) {
    // A font map of our own: the default one is per thread and shared.
    pango_->fontMap = pango_cairo_font_map_new();
    pango_->context = pango_font_map_create_context(pango_->fontMap);
    pango_->options = cairo_font_options_create();
    // A thermal head prints a dot or none: glyphs are drawn without
    // antialiasing, with full hinting to keep thin strokes whole.
    cairo_font_options_set_antialias(pango_->options, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(pango_->options, CAIRO_HINT_STYLE_FULL);
    pango_cairo_context_set_font_options(pango_->context, pango_->options);
}

GlyphCache::~GlyphCache() = default;

const GlyphPattern& GlyphCache::pattern(char32_t cp, escpos::FontKind font, int cellWidth, int cellHeight) {
    cellWidth = std::clamp(cellWidth, 1, 255);
    cellHeight = std::clamp(cellHeight, 1, 255);
    const uint64_t key = (static_cast<uint64_t>(cp) << 24) | (static_cast<uint64_t>(cellWidth) << 16) |
                         (static_cast<uint64_t>(cellHeight) << 8) | static_cast<uint8_t>(font);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    if (cache_.size() >= kMaxCached) cache_.clear();
    return cache_.emplace(key, draw(cp, font, cellWidth, cellHeight)).first->second;
}

GlyphPattern GlyphCache::draw(char32_t cp, escpos::FontKind font, int cellWidth, int cellHeight) {
    const escpos::CellSize cell{cellWidth, cellHeight};
    GlyphPattern out;
    out.width = cell.width;
    out.height = cell.height;
    out.coverage.assign(static_cast<size_t>(cell.width) * cell.height, 0);
    if (cp == U' ' || cp == 0x3000) return out;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, cell.width, cell.height);
    cairo_t* cr = cairo_create(surface);
    pango_cairo_update_context(cr, pango_->context);
    PangoLayout* layout = pango_layout_new(pango_->context);
    PangoFontDescription* desc = pango_font_description_from_string(familyFor(font));
    // The em is the cell height for full-width characters; a half-width
    // font's em is twice its cell width, so its glyphs fill the cell's width
    // (font A's 12x24, font B's 9x17 and 9x24 alike).
    const double pixelSize = font == escpos::FontKind::Cjk ? cell.height : 2.0 * cell.width;
    pango_font_description_set_absolute_size(desc, pixelSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc);
    std::string text;
    escpos::appendUtf8(text, cp);
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));

    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    const int baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
    // Glyphs wider than their cell (a full-width sign in a half-width
    // cell) are squeezed to fit.
    const double sx = logical.width > cell.width ? static_cast<double>(cell.width) / logical.width : 1.0;
    // Baseline at about 4/5 of the cell leaves room for descenders.
    const double baselineY = std::round(cell.height * (font == escpos::FontKind::Cjk ? 0.86 : 0.8));
    cairo_scale(cr, sx, 1.0);
    const double x = sx < 1.0 ? -logical.x : (cell.width - logical.width) / 2.0 - logical.x;
    cairo_move_to(cr, x, baselineY - baseline);
    pango_cairo_show_layout(cr, layout);
    cairo_surface_flush(surface);

    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    out.inkTop = cell.height;
    for (int y = 0; y < cell.height; ++y) {
        for (int x = 0; x < cell.width; ++x) {
            const bool dot = data[static_cast<size_t>(y) * stride + x] >= 128;
            out.coverage[static_cast<size_t>(y) * cell.width + x] = dot ? 255 : 0;
            if (dot) {
                out.inkTop = std::min(out.inkTop, y);
                out.inkBottom = y + 1;
            }
        }
    }

    pango_font_description_free(desc);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return out;
}

}  // namespace zsim::render
