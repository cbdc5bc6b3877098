// Pages to PNG files (8-bit grey, white paper) with libpng.
#pragma once

#include <string>

#include "render/page_image.h"

namespace zsim::render {

// Returns false and sets error when the file cannot be written.
bool writePng(const PageImage& page, const std::string& path, std::string& error);

}  // namespace zsim::render
