// Pictures on their way to the printer: decoded pixels, grey levels, and 1-bit dots.
#pragma once

#include <cstdint>
#include <vector>

namespace image {

// 8-bit red, green, blue, alpha per pixel, rows top to bottom.
struct Rgba {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// One byte per pixel, 0 black .. 255 white.
struct Gray {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

// One byte per dot, 1 = printed.
struct Dots {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> dots;
};

// Every size the library accepts, so a file cannot make it allocate without bound.
constexpr int kMaxSide = 16384;
constexpr long long kMaxPixels = 16LL * 1024 * 1024;
constexpr long long kMaxFileBytes = 64LL * 1024 * 1024;

} // namespace image
