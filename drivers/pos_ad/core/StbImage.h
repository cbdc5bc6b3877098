// The one place that calls stb_image (Debian's libstb-dev), limited to BMP.
#pragma once

#include "Image.h"

#include <string>

namespace stb {

bool DecodeBmp(const uint8_t* data, size_t size, image::Rgba& out, std::string& error);

} // namespace stb
