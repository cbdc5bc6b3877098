// The printer's character and layout settings, as ESC @ leaves them.
#pragma once

#include <vector>

#include "escpos/types.h"

namespace zsim::escpos {

enum class Align : uint8_t { Left, Center, Right };

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
    int codePage = 0;
    bool chineseMode = true;

    static constexpr int kDefaultLineSpacing = 30;

    static std::vector<int> defaultTabs() {
        std::vector<int> t;
        for (int c = 8; c <= 8 * 32; c += 8) t.push_back(c);
        return t;
    }
};

struct CellSize {
    int width;
    int height;
};

inline CellSize baseCell(FontKind f) {
    switch (f) {
    case FontKind::B: return {9, 17};
    case FontKind::Cjk: return {24, 24};
    case FontKind::A: break;
    }
    return {12, 24};
}

}  // namespace zsim::escpos
