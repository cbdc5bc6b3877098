// Pictures for the printer: grey, scaled to the paper, dithered to dots, and sent as ESC * bands.
#pragma once

#include "Bytes.h"
#include "Image.h"

namespace raster {

// The four image densities of [Print] Density, as ESC * modes. Single density prints each column
// two dots wide; 8-dot bands print each row three dots tall (Epson's 60 dpi against 180).
struct Mode {
    uint8_t escStar; // 0, 1, 32, 33
    int bandRows; // 8 or 24
    int columnDots; // 2 single density, 1 double
    int rowDots; // 3 for 8-dot bands, 1 for 24-dot bands
};
// 0 single 8-dot, 1 double 8-dot, 2 single 24-dot, 3 double 24-dot; anything else is 3, the
// setting's own default.
Mode ModeForDensity(int density);

// The tallest picture printed, in dots (about two metres of paper at 203 dpi).
constexpr long long kMaxPrintedRows = 16384;

image::Gray ToGray(const image::Rgba& rgba); // alpha laid on white paper

// Box-filter resampling to exactly width x height (both at least 1).
image::Gray Scale(const image::Gray& source, int width, int height);

// Floyd-Steinberg error diffusion at the mid grey.
image::Dots Dither(const image::Gray& gray);

// ESC 3 24 so the bands join, each band as ESC * m nL nH data LF, then the configured line pitch.
Bytes EncodeBands(const image::Dots& dots, const Mode& mode, int lineSpaceSetting);

// The whole path from decoded pixels: sized to the paper width in the mode's columns with the
// picture's proportions kept on paper, dithered and encoded.
Encoded Encode(const image::Rgba& rgba, int density, int paperWidthDots, int lineSpaceSetting);

} // namespace raster
