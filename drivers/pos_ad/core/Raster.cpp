#include "Raster.h"

#include "EscPos.h"

#include <algorithm>

namespace raster {

Mode ModeForDensity(int density)
{
    switch (density) {
    case 0: return {0, 8, 2, 3};
    case 1: return {1, 8, 1, 3};
    case 2: return {32, 24, 2, 1};
    default: return {33, 24, 1, 1};
    }
}

image::Gray ToGray(const image::Rgba& rgba)
{
    image::Gray gray;
    gray.width = rgba.width;
    gray.height = rgba.height;
    gray.pixels.resize(static_cast<size_t>(rgba.width) * rgba.height);
    const uint8_t* p = rgba.pixels.data();
    for (uint8_t& g : gray.pixels) {
        const unsigned luma = (p[0] * 299u + p[1] * 587u + p[2] * 114u) / 1000u;
        g = static_cast<uint8_t>((luma * p[3] + 255u * (255u - p[3])) / 255u);
        p += 4;
    }
    return gray;
}

namespace {

// Source range [first, last) that destination index i of n covers in a source of length m.
void Span(int i, int n, int m, int& first, int& last)
{
    first = static_cast<int>(static_cast<long long>(i) * m / n);
    last = static_cast<int>(static_cast<long long>(i + 1) * m / n);
    if (last <= first)
        last = first + 1; // enlarging: nearest source pixel
}

} // namespace

image::Gray Scale(const image::Gray& source, int width, int height)
{
    // Rows first across, then columns down: each pass averages a box of source pixels.
    std::vector<int> firstX(width), lastX(width);
    for (int x = 0; x < width; ++x)
        Span(x, width, source.width, firstX[x], lastX[x]);
    std::vector<uint8_t> across(static_cast<size_t>(width) * source.height);
    for (int y = 0; y < source.height; ++y) {
        const uint8_t* row = &source.pixels[static_cast<size_t>(y) * source.width];
        uint8_t* to = &across[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            unsigned sum = 0;
            for (int s = firstX[x]; s < lastX[x]; ++s)
                sum += row[s];
            to[x] = static_cast<uint8_t>(sum / (lastX[x] - firstX[x]));
        }
    }
    image::Gray out;
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    std::vector<unsigned> sums(width);
    for (int y = 0; y < height; ++y) {
        int first, last;
        Span(y, height, source.height, first, last);
        std::fill(sums.begin(), sums.end(), 0u);
        for (int s = first; s < last; ++s) {
            const uint8_t* row = &across[static_cast<size_t>(s) * width];
            for (int x = 0; x < width; ++x)
                sums[x] += row[x];
        }
        uint8_t* to = &out.pixels[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x)
            to[x] = static_cast<uint8_t>(sums[x] / (last - first));
    }
    return out;
}

image::Dots Dither(const image::Gray& gray)
{
    image::Dots out;
    out.width = gray.width;
    out.height = gray.height;
    out.dots.assign(gray.pixels.size(), 0);
    // Errors of this row and the next, with a spare cell at each end.
    std::vector<int> here(static_cast<size_t>(gray.width) + 2, 0), next(here.size(), 0);
    for (int y = 0; y < gray.height; ++y) {
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < gray.width; ++x) {
            const size_t at = static_cast<size_t>(y) * gray.width + x;
            const int value = gray.pixels[at] + here[x + 1] / 16;
            const int printed = value < 128 ? 0 : 255;
            out.dots[at] = printed == 0;
            const int error = value - printed;
            here[x + 2] += error * 7;
            next[x] += error * 3;
            next[x + 1] += error * 5;
            next[x + 2] += error * 1;
        }
        here.swap(next);
    }
    return out;
}

Bytes EncodeBands(const image::Dots& dots, const Mode& mode, int lineSpaceSetting)
{
    using namespace escpos;
    const int bytesPerColumn = mode.bandRows / 8;
    const int bands = (dots.height + mode.bandRows - 1) / mode.bandRows;
    Bytes out;
    out.reserve(8 + static_cast<size_t>(bands) * (6 + static_cast<size_t>(dots.width) * bytesPerColumn));
    Append(out, {ESC, 'a', 0, ESC, '3', 24});
    for (int band = 0; band < bands; ++band) {
        Append(out,
            {ESC, '*', mode.escStar, static_cast<uint8_t>(dots.width & 0xFF), static_cast<uint8_t>(dots.width >> 8)});
        const int top = band * mode.bandRows;
        for (int x = 0; x < dots.width; ++x) {
            for (int b = 0; b < bytesPerColumn; ++b) {
                uint8_t column = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int y = top + b * 8 + bit;
                    if (y < dots.height && dots.dots[static_cast<size_t>(y) * dots.width + x])
                        column |= static_cast<uint8_t>(0x80 >> bit);
                }
                out.push_back(column);
            }
        }
        out.push_back(LF);
    }
    Append(out, {ESC, '3', static_cast<uint8_t>(LinePitch(lineSpaceSetting))});
    return out;
}

Encoded Encode(const image::Rgba& rgba, int density, int paperWidthDots, int lineSpaceSetting)
{
    if (rgba.width <= 0 || rgba.height <= 0 || rgba.pixels.size() != static_cast<size_t>(rgba.width) * rgba.height * 4)
        return Encoded::Fail("image has no pixels");
    const Mode mode = ModeForDensity(density);
    const int columns = paperWidthDots / mode.columnDots;
    if (columns < 1 || columns > 0xFFFF)
        return Encoded::Fail("paper width of " + std::to_string(paperWidthDots) + " dots cannot be printed");

    // Printed height in dots keeps the picture's proportions at the printed width.
    const long long printedWidth = static_cast<long long>(columns) * mode.columnDots;
    const long long printedHeight = (printedWidth * rgba.height + rgba.width / 2) / rgba.width;
    if (printedHeight > kMaxPrintedRows)
        return Encoded::Fail("image of " + std::to_string(rgba.width) + "x" + std::to_string(rgba.height) +
            " would print " + std::to_string(printedHeight) + " dots tall, more than " +
            std::to_string(kMaxPrintedRows));
    const int rows = static_cast<int>(std::max<long long>(1, (printedHeight + mode.rowDots / 2) / mode.rowDots));

    const image::Dots dots = Dither(Scale(ToGray(rgba), columns, rows));
    Encoded out;
    out.bytes = EncodeBands(dots, mode, lineSpaceSetting);
    return out;
}

} // namespace raster
