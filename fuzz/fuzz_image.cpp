// A bitmap file from decoding to printer bytes: header check, stb_image, grey, scaling to the
// paper, dithering and ESC * bands, in each density.
#include "Bmp.h"
#include "Raster.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    image::Rgba rgba;
    std::string error;
    if (!bmp::Decode(data, size, rgba, error))
        return 0;
    // The last byte chooses density, paper and line space, so every mode gets its share.
    const uint8_t choice = size ? data[size - 1] : 0;
    const int density = choice % 5 - 1; // -1..3
    const int paper = (choice & 0x08) ? 48 : 576; // narrow paper keeps the runs quick
    const int lineSpace = (choice >> 4) * 20 - 100;
    const Encoded encoded = raster::Encode(rgba, density, paper, lineSpace);
    if (encoded.ok() && encoded.bytes.size() < 6)
        __builtin_trap(); // a printed image always has its line-pitch commands
    return 0;
}
