// User-defined characters (ESC &, ESC %, ESC ?): patterns downloaded for
// codes 32..126 of fonts A and B, printed in place of the built-in glyphs
// while ESC % selects them, and sized by the print modes like any glyph.
#include <algorithm>

#include "escpos/interpreter.h"

namespace zsim::escpos {

namespace {
constexpr int kFirst = 32, kLast = 126;
int fontSlot(FontKind f) { return f == FontKind::B ? 1 : 0; }
}  // namespace

// columns: x columns of y bytes each, top to bottom, most significant bit
// first; as many as arrived (at most y * x).
void Interpreter::defineUserChar(int code, int width, const std::vector<uint8_t>& columns) {
    if (code < kFirst || code > kLast) return;
    const int y = command_[2];
    const CellSize cell = baseCell(modes_.font);
    if (y < 1 || y > 3 || width > cell.width) {
        report_.note(commandStart_, "ESC & character " + std::to_string(code) + ": pattern " + std::to_string(width) +
                                        " x " + std::to_string(y * 8) +
                                        " dots does not fit the font's cell, not defined");
        return;
    }
    // Width 0 defines a blank character.
    auto pattern = std::make_shared<Bitmap>(cell.width, cell.height);
    for (int x = 0; x < width; ++x)
        for (int row = 0; row < y; ++row) {
            const size_t i = static_cast<size_t>(x) * y + row;
            if (i >= columns.size()) continue;
            for (int bit = 0; bit < 8; ++bit) {
                const int dotY = row * 8 + bit;
                if (dotY < cell.height && (columns[i] & (0x80 >> bit))) pattern->set(x, dotY);
            }
        }
    userChars_[fontSlot(modes_.font)][code - kFirst] = std::move(pattern);
}

std::shared_ptr<const Bitmap> Interpreter::userChar(uint8_t b) const {
    if (b < kFirst || b > kLast) return nullptr;
    return userChars_[fontSlot(modes_.font)][b - kFirst];
}

void Interpreter::deleteUserChar(int code) {
    if (code >= kFirst && code <= kLast) userChars_[fontSlot(modes_.font)][code - kFirst] = nullptr;
}

}  // namespace zsim::escpos
