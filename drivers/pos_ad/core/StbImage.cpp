#include "StbImage.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

#include <climits>
#include <cstring>

namespace stb {

bool DecodeBmp(const uint8_t* data, size_t size, image::Rgba& out, std::string& error)
{
    if (size > static_cast<size_t>(INT_MAX)) {
        error = "file too large to decode";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
    if (!pixels) {
        const char* reason = stbi_failure_reason();
        error = std::string("BMP cannot be decoded: ") + (reason ? reason : "unknown reason");
        return false;
    }
    out.width = width;
    out.height = height;
    out.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
    stbi_image_free(pixels);
    return true;
}

} // namespace stb
