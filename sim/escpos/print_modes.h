// The printer's character and layout settings, as ESC @ leaves them.
#pragma once

#include <vector>

#include "escpos/types.h"

namespace zsim::escpos {

enum class Align : uint8_t { Left, Center, Right };

// Fonts A to E: as many as ESC M can select.
constexpr size_t kSingleByteFonts = 5;

struct CellSize {
    int width;
    int height;
};

struct PrintModes {
    FontKind font = FontKind::A;
    int widthMul = 1;  // single-byte characters
    int heightMul = 1;
    int cjkWidthMul = 1;  // two-byte characters
    int cjkHeightMul = 1;
    bool bold = false;
    int underline = 0;
    int cjkUnderline = 0;
    bool reverse = false;
    bool upsideDown = false;
    int rightSpacing = 0;    // ESC SP
    int cjkLeftSpacing = 0;  // FS S
    int cjkRightSpacing = 0;
    int lineSpacing = kDefaultLineSpacing;
    Align align = Align::Left;
    int leftMargin = 0;
    int areaWidth = 0;  // set from the paper width
    std::vector<int> tabColumns = defaultTabs();
    const char32_t* codeTable = nullptr;  // its characters for bytes 0x20..0xFF
    bool chineseMode = true;
    // The cells of the model's fonts A, B ... in ESC M order.
    std::vector<CellSize> fonts = {{12, 24}, {9, 17}};

    static constexpr int kDefaultLineSpacing = 30;

    // A font the model lacks is printed in font A.
    CellSize cell(FontKind f) const {
        if (f == FontKind::Cjk) return {24, 24};
        const size_t i = static_cast<size_t>(f);
        return i < fonts.size() ? fonts[i] : fonts.front();
    }

    static std::vector<int> defaultTabs() {
        std::vector<int> t;
        for (int c = 8; c <= 8 * 32; c += 8) t.push_back(c);
        return t;
    }
};

}  // namespace zsim::escpos
