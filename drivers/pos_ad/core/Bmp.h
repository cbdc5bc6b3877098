// BMP files: a check of the header against the file, then decoding by stb_image.
#pragma once

#include "Bytes.h"
#include "Image.h"

#include <functional>
#include <string>

namespace bmp {

struct Header {
    int width = 0;
    int height = 0; // positive; topDown says which way the rows run
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = 0;
};

enum class Check { Usable, NeedsPlatformDecoder, Bad };

// Reads the header fields and checks them against each other and against the file's length,
// before any pixel memory is taken. RLE-compressed files are left to the platform's decoder.
Check Inspect(const uint8_t* data, size_t size, Header& header, std::string& error);

// The platform's own decoder of the file being decoded, for the kinds stb_image does not read.
using PlatformDecoder = std::function<bool(image::Rgba& out, std::string& error)>;

// Inspect, then decode to RGBA: by stb_image, or by the platform's decoder where Inspect says so
// (refused when there is none). False with a reason for anything that is not a usable BMP.
bool Decode(const uint8_t* data, size_t size, image::Rgba& out, std::string& error,
    const PlatformDecoder& platformDecoder = {});

} // namespace bmp
