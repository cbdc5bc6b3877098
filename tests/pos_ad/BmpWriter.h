// BMP files of every kind a user may pick, written from a grey picture, for the tests to decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> grey; // rows top to bottom, 0 black .. 255 white

    // Black and white blocks of `block` pixels with a steep line, so that any flip, shift or
    // lost row shows.
    static Picture Pattern(int width, int height, int block = 8);
    uint8_t At(int x, int y) const { return grey[static_cast<size_t>(y) * width + x]; }
};

enum class BmpKind { Rgb, BitFields, Rle };

// bits 1, 4, 8 (grey palettes), 16 (5-5-5), 24 or 32. Rle needs 8 or 4 bits.
std::string WriteBmp(const Picture& picture, int bits, bool topDown, BmpKind kind = BmpKind::Rgb);
