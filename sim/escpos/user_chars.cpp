// User-defined characters (ESC &, ESC %, ESC ?): patterns downloaded for
// codes 32..126 of each font, printed in place of the built-in glyphs
// while ESC % selects them, and sized by the print modes like any glyph.
#include <algorithm>

#include "escpos/interpreter.h"

namespace zsim::escpos {

namespace {

constexpr int kFirst = 32, kLast = 126;
size_t fontSlot(FontKind f) { return std::min<size_t>(static_cast<size_t>(f), kSingleByteFonts - 1); }

// ESC & y c1 c2 [x d1 ... d(y*x)]...: each character brings its own width.
const Records kUserCharRecords{
    [](const uint8_t* c) -> size_t { return c[4] >= c[3] ? c[4] - c[3] + 1 : 0; }, 1,
    [](const uint8_t* c, const uint8_t* head) -> uint64_t { return static_cast<uint64_t>(c[2]) * head[0]; }};

}  // namespace

std::vector<CommandRow> Interpreter::userCharCommands() {
    // The pattern is read as column data, y bytes a column, into the font's cell.
    const auto startPattern = [](auto& p, auto& head) {
        const CellSize cell = p.modes_.cell(p.modes_.font);
        ImageGeometry g;
        g.widthDots = head[0];
        g.clipWidth = cell.width;
        g.clipHeight = cell.height;
        p.data_.columns.start(g, p.in_.command[2]);
    };
    const auto endPattern = [](auto& p, bool complete) {
        if (complete) p.defineUserChar(p.in_.command[3] + p.data_.record, p.data_.head[0], p.data_.columns.take());
    };
    static const DataReader pattern{startPattern, takeColumns, endPattern};
    // Laid out by hand, so that each row keeps its handler beside it.
    // clang-format off
    return {
        {{ESC, '%'}, "select/cancel user-defined character set", fixed<3>,
         [](auto& p, auto& c) { p.userChars_.on = c[2] & 1; }},
        {{ESC, '&'}, "define user-defined characters", withRecords<5, &kUserCharRecords>, nullptr, &pattern},
        {{ESC, '?'}, "cancel user-defined characters", fixed<3>, [](auto& p, auto& c) {
            auto& patterns = p.userChars_.patterns[fontSlot(p.modes_.font)];
            if (c[2] >= kFirst && c[2] <= kLast) patterns[c[2] - kFirst] = nullptr;
        }},
    };
    // clang-format on
}

void Interpreter::defineUserChar(int code, int width, const Bitmap& columns) {
    if (code < kFirst || code > kLast) return;
    const int y = in_.command[2];
    const CellSize cell = modes_.cell(modes_.font);
    if (y < 1 || y > 3 || width > cell.width)
        return note("ESC & character " + std::to_string(code) + ": pattern " + std::to_string(width) + " x " +
                    std::to_string(y * 8) + " dots does not fit the font's cell, not defined");
    // Width 0 defines a blank character.
    auto pattern = std::make_shared<Bitmap>(cell.width, cell.height);
    for (int row = 0; row < std::min(columns.height, cell.height); ++row)
        for (int x = 0; x < std::min(columns.width, width); ++x)
            if (columns.at(x, row)) pattern->set(x, row);
    userChars_.patterns[fontSlot(modes_.font)][code - kFirst] = std::move(pattern);
}

std::shared_ptr<const Bitmap> Interpreter::userChar(uint8_t b) const {
    if (b < kFirst || b > kLast) return nullptr;
    return userChars_.patterns[fontSlot(modes_.font)][b - kFirst];
}

}  // namespace zsim::escpos
